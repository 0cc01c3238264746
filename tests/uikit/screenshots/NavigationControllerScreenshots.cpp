#include "Screenshots.h"

#include "uikit/KNVTNavigationController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <memory>

namespace {

std::shared_ptr<KNVTViewController> list(const QString &title, const QColor &colour)
{
    auto controller = std::make_shared<KNVTViewController>();
    auto *label = new QLabel(title);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
    controller->setView(label);
    return controller;
}

void runEventsFor(
    int milliseconds, const std::function<bool()> &done = [] { return false; })
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds && !done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

KNVT_SCREENSHOTS(NavigationController)
{
    knvt::test::addFixtureTexts({QStringLiteral("Today"), QStringLiteral("Garden project")});
    KNVTNavigationController navigation;
    navigation.view()->setAccessibleName(QStringLiteral("Lists"));
    navigation.view()->resize(320, 200);
    navigation.setRootViewController(list(QStringLiteral("Today"), QColor(240, 240, 240)));
    writer.save(QStringLiteral("root"), navigation.view(), true);

    KNVTNavigationController::animationsEnabled = true;
    navigation.pushViewController(list(QStringLiteral("Garden project"), QColor(215, 230, 250)), true);
    runEventsFor(KNVTNavigationController::TransitionDuration / 2 - 50);
    writer.save(QStringLiteral("sliding-in"), navigation.view(), true);
    runEventsFor(2000, [&] { return !navigation.isTransitioning(); });
    writer.save(QStringLiteral("pushed"), navigation.view(), true);
}
