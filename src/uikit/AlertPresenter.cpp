#include "uikit/AlertPresenter.h"

#include "uikit/MessageBoxAlertPresenter.h"

namespace knvt {

namespace {

AlertPresenter *installed = nullptr;

} // namespace

AlertPresenter::~AlertPresenter() = default;

AlertPresenter &AlertPresenter::shared()
{
    static MessageBoxAlertPresenter messageBoxes;
    return installed != nullptr ? *installed : messageBoxes;
}

void AlertPresenter::setShared(AlertPresenter *presenter)
{
    installed = presenter;
}

} // namespace knvt
