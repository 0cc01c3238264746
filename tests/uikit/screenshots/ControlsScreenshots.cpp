// The switch, check box, avatar and image views, the activity line and the source-list and group rows in each state.
#include "Screenshots.h"

#include "uikit/KNVTActivityView.h"
#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTCheckBox.h"
#include "uikit/KNVTImageView.h"
#include "uikit/KNVTSourceListTableCellView.h"
#include "uikit/KNVTSwitch.h"
#include "uikit/KNVTTableViewGroupRowView.h"

#include <QDateTime>
#include <QLinearGradient>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

namespace {

QImage picture(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0.0, QColor(240, 170, 60));
    gradient.setColorAt(1.0, QColor(120, 40, 140));
    painter.fillRect(image.rect(), gradient);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(size.width() * 0.3, size.height() * 0.15, size.width() * 0.4, size.height() * 0.4));
    return image;
}

QIcon squareIcon(const QColor &color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 12, 12), 3, 3);
    return QIcon(pixmap);
}

} // namespace

KNVT_SCREENSHOTS(Switch)
{
    KNVTSwitch::setAnimationsEnabled(false);
    {
        KNVTSwitch control;
        writer.save("off", &control);
        control.setOn(true);
        writer.save("on", &control);
        control.setTintColor(QColor(230, 90, 40));
        writer.save("on-tinted", &control);
    }
    {
        KNVTSwitch control;
        control.setEnabled(false);
        writer.save("off-disabled", &control);
        control.setOn(true);
        writer.save("on-disabled", &control);
    }
    {
        KNVTSwitch control;
        control.show();
        (void)QTest::qWaitForWindowExposed(&control);
        QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(10, 15));
        writer.save("off-pressed", &control);
        QTest::mouseMove(&control, QPoint(42, 15));
        writer.save("dragged-towards-on", &control);
        QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(42, 15));
    }
    KNVTSwitch::setAnimationsEnabled(true);
}

KNVT_SCREENSHOTS(CheckBox)
{
    const char *names[] = {"empty", "tick", "cross"};
    for (int state = KNVTCheckBoxStateNone; state <= KNVTCheckBoxStateCross; ++state) {
        KNVTCheckBox box;
        box.resize(40, 40);
        box.setCheckBoxState(state);
        writer.save(names[state], &box, true);
        box.setTintColor(QColor(220, 60, 50));
        writer.save(QStringLiteral("%1-tinted").arg(QLatin1String(names[state])), &box, true);
        box.setEnabled(false);
        writer.save(QStringLiteral("%1-disabled").arg(QLatin1String(names[state])), &box, true);
    }
    {
        KNVTCheckBox box;
        box.resize(40, 40);
        box.setCheckBoxState(KNVTCheckBoxStateTick);
        box.show();
        (void)QTest::qWaitForWindowExposed(&box);
        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(20, 20));
        writer.save("tick-pressed", &box, true);
        QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(20, 20));
    }
    {
        KNVTCheckBox box;
        box.setCheckBoxState(KNVTCheckBoxStateTick);
        writer.save("tick-row-size", &box);
        box.resize(60, 30);
        box.setCheckBoxState(KNVTCheckBoxStateCross);
        writer.save("cross-oblong", &box, true);
    }
}

KNVT_SCREENSHOTS(AvatarView)
{
    {
        KNVTAvatarView avatar;
        avatar.setAccessibleName(QStringLiteral("Avatar"));
        avatar.resize(40, 40);
        writer.save("empty", &avatar, true);
        avatar.setText(QStringLiteral("AB"));
        writer.save("initials", &avatar, true);
        avatar.setTintColor(QColor(255, 160, 0));
        avatar.setBorderWidth(2);
        writer.save("initials-ring", &avatar, true);
        avatar.setImage(picture(QSize(256, 128)));
        writer.save("image", &avatar, true);
        avatar.setImage(QImage());
        writer.save("content-removed", &avatar, true);
    }
    {
        KNVTAvatarView avatar;
        avatar.setAccessibleName(QStringLiteral("Avatar"));
        avatar.resize(40, 30);
        avatar.setText(QStringLiteral("QV"));
        writer.save("initials-capsule", &avatar, true);
    }
    {
        KNVTAvatarView avatar;
        avatar.setAccessibleName(QStringLiteral("Avatar"));
        avatar.setText(QStringLiteral("M"));
        writer.save("initials-row-size", &avatar);
    }
}

KNVT_SCREENSHOTS(ImageView)
{
    {
        KNVTImageView view;
        view.setAccessibleName(QStringLiteral("Picture"));
        view.resize(60, 60);
        view.setImage(picture(QSize(100, 50)));
        writer.save("stretched", &view, true);
        view.setCornerRadius(12);
        writer.save("rounded", &view, true);
        view.setBorderColor(QColor(0, 122, 255));
        view.setBorderWidth(4);
        writer.save("rounded-border", &view, true);
        view.setCornerRadius(30);
        writer.save("circle-border", &view, true);
    }
    {
        KNVTImageView view;
        view.setAccessibleName(QStringLiteral("Picture"));
        view.resize(60, 60);
        view.setBackgroundColor(QColor(210, 230, 210));
        view.setCornerRadius(12);
        view.setBorderWidth(4);
        writer.save("background-no-border-colour", &view, true);
    }
}

KNVT_SCREENSHOTS(ActivityView)
{
    const QString failed = QStringLiteral("Sync failed 10:12 PM (service failed)");
    const QString refused = QStringLiteral(
        "Sync failed 10:12 PM: the service refused \u201cPick up the dry cleaning\u201d (title is too long)");
    knvt::test::addFixtureTexts(
        {QStringLiteral("Syncing"), QStringLiteral("Synced"), QStringLiteral("Synced 5/3/24"), failed, refused});
    KNVTActivityView view;
    view.setAccessibleName(QStringLiteral("Activity"));
    view.resize(200, 20);
    writer.save("inactive", &view, true);
    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    writer.save("active", &view, true);
    view.resize(30, 20);
    writer.save("active-narrow", &view, true);
    view.resize(200, 20);
    view.setCompletedText(QStringLiteral("Synced"));
    view.setState(KNVTActivityViewStateCompleted);
    writer.save("completed", &view, true);
    view.setCompletedDate(QDateTime(QDate(2024, 5, 3), QTime(14, 30)));
    view.setState(KNVTActivityViewStateCompleted);
    writer.save("completed-with-date", &view, true);
    // A failure wider than the sidebar's default width wraps, and the line grows to show it all.
    view.setCompletedText(failed);
    view.setCompletedDate({});
    view.setState(KNVTActivityViewStateCompleted);
    view.resize(174, view.heightForWidth(174));
    writer.save("failed-wrapped", &view, true);
    // A change the service refuses names the object and the service's reason, however long the title.
    view.setCompletedText(refused);
    view.setState(KNVTActivityViewStateCompleted);
    view.resize(174, view.heightForWidth(174));
    writer.save("refused-wrapped", &view, true);
}

KNVT_SCREENSHOTS(SourceListRows)
{
    QStandardItemModel model;
    const auto add = [&](const QString &title, const QIcon &icon, const QString &badge, bool shared) {
        auto *item = new QStandardItem(title);
        if (!icon.isNull())
            item->setIcon(icon);
        item->setData(badge, KNVTSourceListTableCellView::LabelTextRole);
        item->setData(shared, KNVTSourceListTableCellView::ShowsSharedIconButtonRole);
        model.appendRow(item);
    };
    add(QStringLiteral("Focus"), QIcon(), QString(), false);
    add(QStringLiteral("Inbox"), squareIcon(QColor(0, 122, 255)), QStringLiteral("12"), false);
    add(QStringLiteral("Today"), squareIcon(QColor(240, 180, 0)), QStringLiteral("3"), false);
    add(QStringLiteral("Next"), squareIcon(QColor(90, 200, 90)), QString(), false);
    add(QStringLiteral("Projects"), QIcon(), QString(), false);
    add(QStringLiteral("Garden with a rather long name that does not fit"), squareIcon(QColor(150, 90, 200)),
        QStringLiteral("128"), true);
    add(QStringLiteral("No icon"), QIcon(), QStringLiteral("7"), false);

    // The home list is a tree whose one column spans the view.
    QTreeView list;
    list.setAccessibleName(QStringLiteral("Home"));
    list.setHeaderHidden(true);
    list.setRootIsDecorated(false);
    KNVTSourceListTableCellView rows;
    KNVTTableViewGroupRowView headers;
    list.setItemDelegate(&rows);
    list.setItemDelegateForRow(0, &headers);
    list.setItemDelegateForRow(4, &headers);
    list.setModel(&model);
    list.resize(220, 160);
    writer.save("rows", &list, true);
    list.selectionModel()->select(model.index(1, 0), QItemSelectionModel::ClearAndSelect);
    writer.save("rows-inbox-selected", &list, true);
    list.selectionModel()->select(model.index(5, 0), QItemSelectionModel::ClearAndSelect);
    writer.save("rows-shared-selected", &list, true);
}
