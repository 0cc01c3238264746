#include "uikit/ApplicationCommands.h"

namespace knvt {

namespace {

ApplicationCommands *gCommands = nullptr;

} // namespace

ApplicationCommands *ApplicationCommands::shared()
{
    return gCommands;
}

void ApplicationCommands::setShared(ApplicationCommands *commands)
{
    gCommands = commands;
}

} // namespace knvt
