#include "uikit/Beeper.h"

#include <QApplication>

namespace knvt {

namespace {

class SystemBeeper final : public Beeper
{
public:
    void beep() override { QApplication::beep(); }
};

Beeper *installed = nullptr;

} // namespace

Beeper::~Beeper() = default;

Beeper &Beeper::shared()
{
    static SystemBeeper system;
    return installed != nullptr ? *installed : system;
}

void Beeper::setShared(Beeper *beeper)
{
    installed = beeper;
}

} // namespace knvt
