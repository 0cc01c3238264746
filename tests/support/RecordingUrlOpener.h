#pragma once

#include "uikit/UrlOpener.h"

#include <QList>
#include <QUrl>

namespace knvt::test {

// Installed as the shared opener for its lifetime; records every address instead of opening it.
class RecordingUrlOpener final : public knvt::UrlOpener
{
public:
    RecordingUrlOpener() { knvt::UrlOpener::setShared(this); }
    ~RecordingUrlOpener() override { knvt::UrlOpener::setShared(nullptr); }
    RecordingUrlOpener(const RecordingUrlOpener &) = delete;
    RecordingUrlOpener &operator=(const RecordingUrlOpener &) = delete;

    bool openUrl(const QUrl &url) override
    {
        m_opened.append(url);
        return true;
    }
    const QList<QUrl> &opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};

} // namespace knvt::test
