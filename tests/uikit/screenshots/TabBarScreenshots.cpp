#include "Screenshots.h"

#include "uikit/KNVTTabBar.h"
#include "uikit/KNVTTabBarController.h"
#include "uikit/KNVTTabBarItemView.h"
#include "uikit/KNVTViewController.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <memory>

namespace {

QWidget *roundedBackground(const QColor &colour)
{
    auto *background = new QWidget;
    background->setAutoFillBackground(true);
    QPalette palette = background->palette();
    palette.setColor(QPalette::Window, colour);
    background->setPalette(palette);
    return background;
}

QPixmap dot(const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, 12, 12));
    return pixmap;
}

std::shared_ptr<KNVTViewController> page(const QString &title)
{
    auto controller = std::make_shared<KNVTViewController>();
    controller->setTitle(title);
    auto *label = new QLabel(QStringLiteral("%1 page").arg(title));
    label->setAlignment(Qt::AlignCenter);
    controller->setView(label);
    return controller;
}

} // namespace

KNVT_SCREENSHOTS(TabBarItemView)
{
    knvt::test::addFixtureTexts({QStringLiteral("Inbox"), QStringLiteral("Today")});
    for (const bool selected : {false, true}) {
        KNVTTabBarItemView view(1);
        view.setAccessibleName(QStringLiteral("Tab"));
        view.setTitle(QStringLiteral("Inbox"));
        view.setImage(dot(Qt::gray), dot(QColor(0, 122, 255)));
        view.setBackgroundView(roundedBackground(QColor(235, 235, 235)));
        view.setSelectedBackgroundView(roundedBackground(QColor(210, 225, 250)));
        view.setSelected(selected);
        view.resize(90, 56);
        writer.save(selected ? QStringLiteral("selected") : QStringLiteral("normal"), &view, true);
    }
    KNVTTabBarItemView titleOnly(1);
    titleOnly.setAccessibleName(QStringLiteral("Tab"));
    titleOnly.setTitle(QStringLiteral("Today"));
    titleOnly.resize(90, 44);
    writer.save(QStringLiteral("title-only"), &titleOnly, true);
}

KNVT_SCREENSHOTS(TabBarController)
{
    knvt::test::addFixtureTexts({QStringLiteral("Inbox"), QStringLiteral("Today"), QStringLiteral("Someday"),
                                 QStringLiteral("Inbox page"), QStringLiteral("Today page"),
                                 QStringLiteral("Someday page")});
    KNVTTabBarController controller;
    controller.view()->setAccessibleName(QStringLiteral("Pages"));
    controller.setViewControllers(
        {page(QStringLiteral("Inbox")), page(QStringLiteral("Today")), page(QStringLiteral("Someday"))});
    controller.view()->resize(360, 200);
    writer.save(QStringLiteral("first-selected"), controller.view(), true);
    controller.setSelectedIndex(2);
    writer.save(QStringLiteral("third-selected"), controller.view(), true);
    controller.setTabBarPosition(1);
    controller.setTabBar(new KNVTTabBar(1));
    controller.tabBar()->setTabBarDataSource(&controller);
    controller.tabBar()->setTabBarDelegate(&controller);
    controller.tabBar()->reloadTabs();
    writer.save(QStringLiteral("bar-at-bottom"), controller.view(), true);
    controller.setViewControllers({});
    writer.save(QStringLiteral("no-tabs"), controller.view(), true);
}
