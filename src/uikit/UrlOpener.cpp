#include "uikit/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace knvt {

namespace {

class DesktopUrlOpener final : public UrlOpener
{
public:
    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

UrlOpener *installed = nullptr;

} // namespace

UrlOpener::~UrlOpener() = default;

UrlOpener &UrlOpener::shared()
{
    static DesktopUrlOpener desktop;
    return installed != nullptr ? *installed : desktop;
}

void UrlOpener::setShared(UrlOpener *opener)
{
    installed = opener;
}

} // namespace knvt
