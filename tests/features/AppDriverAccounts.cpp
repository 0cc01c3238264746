// The driver's steps for the account, people, sharing and preference windows.
#include "AppDriver.h"

#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "accounts/KNVTNotificationRowDelegate.h"
#include "accounts/KNVTNotificationsModel.h"
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceSignInViewController.h"
#include "accounts/KNVTPreferenceUnauthenticatedAccountViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"
#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserDetailRowDelegate.h"
#include "accounts/KNVTUserGroupsViewController.h"
#include "accounts/KNVTUserRowDelegate.h"
#include "accounts/KNVTUserSelectionModel.h"
#include "accounts/KNVTUserSelectionViewController.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersModel.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"
#include "accounts/PaintedRowList.h"

#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"

#include "foundation/KNVTGenericKeychainItem.h"

#include "uikit/KNVTSwitch.h"
#include "uikit/Popover.h"

#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

namespace knvt::features {

namespace {

template <class T>
T *visible()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<T *>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

// The detail lines of a person, as the user reads the rows.
QString detailLine(const KNVTUserDetailModel::Row &row, const QString &name)
{
    using Kind = KNVTUserDetailModel::RowKind;
    switch (row.kind) {
    case Kind::Header: return QStringLiteral("header ") + name;
    case Kind::Group: return QStringLiteral("group ") + row.text;
    case Kind::TaskList: return QStringLiteral("list ") + row.text;
    case Kind::Invite: return QStringLiteral("invite");
    case Kind::Invited: return QStringLiteral("invited");
    case Kind::AcceptOrDecline: return QStringLiteral("accept or decline");
    }
    return QString();
}

} // namespace

knvt::test::FakeSyncService &AppDriver::service()
{
    if (!m_service) {
        // Syncing as the application sets it up at its start.
        KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
        KNVTTaskStore::setConfiguredLibraryOpenedHandler(&KNVTTaskStore::refreshAccountAfterOpening);
        m_service = std::make_unique<knvt::test::FakeSyncService>();
        KNVTSetSyncServiceAPIURLString(m_service->baseURL());
        KNVTRequest::setDefaultTimeoutInterval(3.0);
        // Signing in downloads the owner's picture; there is none unless a scenario says so.
        m_service->on("GET", "/users/42/avatar/medium.png").reply(404);
    }
    return *m_service;
}

void AppDriver::givenSignedIn(const QString &username, const QString &password, bool autoSync)
{
    service();
    KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), username, {}, password);
    store().configureWithAccountAttributes(
        knvt::test::wire(knvt::test::unwrap(knvt::test::account(7, knvt::test::user(42, username), 1))));
    if (autoSync)
        store().setAutoSyncEnabled(true);
}

void AppDriver::goToThePasswordWindow()
{
    knvt::AuthenticationFailureWindow *asking = app().authenticationFailureWindowController();
    ASSERT_NE(asking, nullptr) << "no password window";
    QWidget *field = asking->window()->findChild<QWidget *>(QStringLiteral("passwordSecureTextField"));
    ASSERT_NE(field, nullptr);
    clickWhereItShows(field, field->rect().center());
    EXPECT_TRUE(knvt::test::waitUntil([asking] { return QApplication::activeModalWidget() == asking->window(); }))
        << "the password window does not take the keyboard";
    settle();
}

void AppDriver::givenTheKeyringRefuses()
{
    KNVTKeychainItem::lockKeychain();
}

void AppDriver::givenSyncServiceAddress(const QString &address)
{
    service();
    KNVTSetSyncServiceAPIURLString(address);
}

KNVTCDUser *AppDriver::givenPerson(const QString &name, qint64 friendshipStatus)
{
    return build().user(name, friendshipStatus);
}

void AppDriver::waitForService(const std::function<bool()> &done)
{
    EXPECT_TRUE(knvt::test::waitUntil(done)) << "the service's answer did not arrive";
    settle();
}

void AppDriver::choosePreferencePane(const QString &name)
{
    auto *window = visible<KNVTPreferenceWindowController>();
    ASSERT_NE(window, nullptr) << "the preferences are not open";
    window->activateWindow();
    QApplication::setActiveWindow(window);
    for (QAction *item : window->toolbar()->actions()) {
        if (item->text() != name)
            continue;
        QWidget *button = window->toolbar()->widgetForAction(item);
        ASSERT_NE(button, nullptr) << "the pane " << name.toStdString() << " has no button";
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
        return;
    }
    ADD_FAILURE() << "no pane " << name.toStdString();
}

QString AppDriver::accountPane()
{
    auto *window = visible<KNVTPreferenceWindowController>();
    if (!window)
        return QString();
    KNVTPreferenceViewController *pane = window->viewControllers().at(1);
    if (qobject_cast<KNVTPreferenceConfiguredAccountViewController *>(pane))
        return QStringLiteral("signed in");
    if (qobject_cast<KNVTPreferenceUnauthenticatedAccountViewController *>(pane))
        return QStringLiteral("password refused");
    return QStringLiteral("sign in");
}

QString AppDriver::messageLine()
{
    auto *line = frontEditor()->findChild<QLabel *>(QStringLiteral("progressLabel"));
    return line && !line->isHidden() ? line->text() : QString();
}

QString AppDriver::storedPassword(const QString &username)
{
    const auto item =
        KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), username, {});
    return item ? item->password() : QString();
}

void AppDriver::switchSync(bool on)
{
    auto *syncSwitch = frontEditor()->findChild<KNVTSwitch *>(QStringLiteral("syncingEnabledCheckBoxButton"));
    ASSERT_NE(syncSwitch, nullptr) << "the signed-in Account pane is not in front";
    // A click turns the switch over; one already where it should be is left alone, as a user would.
    if (syncSwitch->isOn() != on)
        QTest::mouseClick(syncSwitch, Qt::LeftButton);
    settle();
}

bool AppDriver::syncSwitchIsOn()
{
    auto *window = visible<KNVTPreferenceWindowController>();
    auto *syncSwitch =
        window ? window->findChild<KNVTSwitch *>(QStringLiteral("syncingEnabledCheckBoxButton")) : nullptr;
    EXPECT_NE(syncSwitch, nullptr) << "the signed-in Account pane is not shown";
    return syncSwitch && syncSwitch->isOn();
}

bool AppDriver::syncNowIsEnabled()
{
    auto *window = visible<KNVTPreferenceWindowController>();
    auto *button = window ? window->findChild<QPushButton *>(QStringLiteral("syncNowButton")) : nullptr;
    EXPECT_NE(button, nullptr) << "the signed-in Account pane is not shown";
    return button && button->isEnabled();
}

void AppDriver::openPeopleWindow()
{
    chooseMenu(QStringLiteral("Window"), QStringLiteral("People"));
    if (auto *window = visible<KNVTUsersWindowController>())
        QApplication::setActiveWindow(window);
    settle();
}

void AppDriver::choosePeopleGroup(const QString &name)
{
    auto *window = visible<KNVTUsersWindowController>();
    ASSERT_NE(window, nullptr) << "the people window is not open";
    const auto &groups = window->userGroupsViewController()->userGroups();
    QListView *view = window->userGroupsViewController()->tableView();
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].localizedDisplayName() == name) {
            const QModelIndex index = view->model()->index(int(i), 0);
            wheelIntoView(view, index);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
            settle();
            return;
        }
    }
    ADD_FAILURE() << "no group " << name.toStdString();
}

QStringList AppDriver::peopleRows()
{
    QStringList names;
    if (auto *window = visible<KNVTUsersWindowController>()) {
        for (const knvt::UserRow &row : window->usersViewController()->model()->rows())
            names << row.fullName;
    }
    return names;
}

QString AppDriver::peopleFooter()
{
    auto *window = visible<KNVTUsersWindowController>();
    return window ? window->findChild<QLabel *>(QStringLiteral("footerTextLabel"))->text() : QString();
}

void AppDriver::choosePerson(const QString &name)
{
    auto *window = visible<KNVTUsersWindowController>();
    ASSERT_NE(window, nullptr) << "the people window is not open";
    KNVTUsersModel *model = window->usersViewController()->model();
    QListView *view = window->usersViewController()->tableView();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->rows()[size_t(row)].fullName == name) {
            const QModelIndex index = model->index(row);
            wheelIntoView(view, index);
            // A plain click chooses the person alone.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
            settle();
            return;
        }
    }
    ADD_FAILURE() << "nobody called " << name.toStdString();
}

QStringList AppDriver::personDetail()
{
    QStringList lines;
    auto *window = visible<KNVTUsersWindowController>();
    if (!window || !window->userViewController()->user())
        return lines;
    const QString name = window->userViewController()->user()->fullName();
    for (const KNVTUserDetailModel::Row &row : window->userViewController()->model()->detailRows())
        lines << detailLine(row, name);
    return lines;
}

void AppDriver::clickPersonButton(const QString &button)
{
    auto *window = visible<KNVTUsersWindowController>();
    ASSERT_NE(window, nullptr) << "the people window is not open";
    KNVTUserDetailModel *model = window->userViewController()->model();
    QListView *tree = window->userViewController()->tableView();
    using Kind = KNVTUserDetailModel::RowKind;
    const Kind kind = button == QLatin1String("Invite") ? Kind::Invite : Kind::AcceptOrDecline;
    const int position = button == QLatin1String("Decline") ? 1 : 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->kindAtRow(row) != kind)
            continue;
        const QRect rect = tree->visualRect(model->index(row));
        const QPointF centre = KNVTUserDetailRowDelegate::buttonRectsForRow(kind, rect).at(size_t(position)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre.toPoint());
        settle();
        return;
    }
    ADD_FAILURE() << "no " << button.toStdString() << " button in the detail";
}

void AppDriver::openNotifications()
{
    clickToolbar(QStringLiteral("Notifications"));
}

QStringList AppDriver::notificationRows()
{
    QStringList rows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *popover = qobject_cast<knvt::Popover *>(widget);
        if (!popover || !popover->isShown() || !popover->contentWidget())
            continue;
        auto *tree = popover->contentWidget()->findChild<QListView *>(QStringLiteral("tableView"));
        auto *model = tree ? qobject_cast<KNVTNotificationsModel *>(tree->model()) : nullptr;
        if (!model)
            continue;
        for (const KNVTNotificationsModel::Row &row : model->cells()) {
            if (row.kind == KNVTNotificationsModel::RowKind::Header)
                rows << QStringLiteral("# ") + row.title;
            else
                rows << (row.kind == KNVTNotificationsModel::RowKind::Friendship ? row.user.fullName : row.title);
        }
    }
    return rows;
}

void AppDriver::answerNotification(const QString &title, const QString &button)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *popover = qobject_cast<knvt::Popover *>(widget);
        auto *tree = popover && popover->isShown() && popover->contentWidget()
            ? popover->contentWidget()->findChild<QListView *>(QStringLiteral("tableView"))
            : nullptr;
        auto *model = tree ? qobject_cast<KNVTNotificationsModel *>(tree->model()) : nullptr;
        if (!model)
            continue;
        for (size_t i = 0; i < model->cells().size(); ++i) {
            const KNVTNotificationsModel::Row &row = model->cells()[i];
            const QString text =
                row.kind == KNVTNotificationsModel::RowKind::Friendship ? row.user.fullName : row.title;
            if (row.kind == KNVTNotificationsModel::RowKind::Header || text != title)
                continue;
            const QRect rect = tree->visualRect(model->index(int(i)));
            const int position = button == QLatin1String("Decline") ? KNVTNotificationRowDelegate::DeclineButton
                                                                    : KNVTNotificationRowDelegate::AcceptButton;
            const QPointF centre = KNVTNotificationRowDelegate::buttonRectsForRow(rect).at(size_t(position)).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre.toPoint());
            settle();
            return;
        }
    }
    ADD_FAILURE() << "no notification " << title.toStdString();
}

void AppDriver::shareList(const QString &title)
{
    openHomeContextMenu(title);
    for (const QString &entry : contextMenu())
        if (entry.startsWith(QStringLiteral("Shar"))) {
            choose({entry.section(QLatin1Char('\t'), 0, 0)});
            return;
        }
    closeMenus();
    ADD_FAILURE() << "no sharing entry for " << title.toStdString();
}

QStringList AppDriver::sharingRows()
{
    QStringList rows;
    auto *sheet = visible<KNVTTaskListSharingSettingsWindowController>();
    if (!sheet)
        return rows;
    QAbstractItemModel *model = sheet->findChild<QTreeView *>(QStringLiteral("tableView"))->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        rows << QStringLiteral("%1|%2|%3")
                    .arg(model->index(row, 0).data().toString(), model->index(row, 1).data().toString(),
                         model->index(row, 2).data().toString());
    }
    return rows;
}

void AppDriver::tickInPeoplePopover(const QString &name, bool on)
{
    auto *sheet = visible<KNVTTaskListSharingSettingsWindowController>();
    ASSERT_NE(sheet, nullptr) << "no sharing settings are open";
    if (!sheet->userSelectionPopover()) {
        QTest::mouseClick(sheet->findChild<QPushButton *>(QStringLiteral("collaboratingUsersButton")), Qt::LeftButton);
        settle();
    }
    KNVTUserSelectionViewController *selection = sheet->userSelectionViewController();
    ASSERT_NE(selection, nullptr) << "Choose People... opened no popover";
    QListView *list = selection->tableView();
    KNVTUserSelectionModel *model = selection->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const knvt::UserRow &person = model->rows()[size_t(row)];
        if (person.fullName != name)
            continue;
        const QModelIndex index = model->index(row);
        if ((index.data(Qt::CheckStateRole).toInt() == Qt::Checked) == on)
            return;
        // A click on the check box the row paints.
        const QRectF box = KNVTUserRowDelegate::layoutForRow(list->visualRect(index), true, person.isMe).checkBox;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center().toPoint());
        settle();
        return;
    }
    ADD_FAILURE() << "nobody called " << name.toStdString() << " in the popover";
}

namespace {

// Where keys go in the sharing settings: the popover of people while it is open, else the sheet.
QWidget *sharingKeyTarget(QWidget *sheet)
{
    auto *settings = qobject_cast<KNVTTaskListSharingSettingsWindowController *>(sheet);
    QWidget *front = settings && settings->userSelectionPopover() ? settings->userSelectionPopover() : sheet;
    QWidget *focused = QApplication::focusWidget();
    if (focused && focused->window() == front)
        return focused;
    return front->focusWidget() ? front->focusWidget() : front;
}

} // namespace

void AppDriver::pressInSharingSettings(const QString &keys)
{
    auto *sheet = visible<KNVTTaskListSharingSettingsWindowController>();
    ASSERT_NE(sheet, nullptr) << "no sharing settings are open";
    QTest::keySequence(sharingKeyTarget(sheet), QKeySequence(keys));
    settle();
}

void AppDriver::typeInSharingSettings(const QString &text)
{
    auto *sheet = visible<KNVTTaskListSharingSettingsWindowController>();
    ASSERT_NE(sheet, nullptr) << "no sharing settings are open";
    QTest::keyClicks(sharingKeyTarget(sheet), text);
    settle();
}

QString AppDriver::focusedInSharingSettings()
{
    auto *sheet = visible<KNVTTaskListSharingSettingsWindowController>();
    if (!sheet)
        return QString();
    QAccessibleInterface *focused = QAccessible::queryAccessibleInterface(sharingKeyTarget(sheet));
    return focused ? focused->text(QAccessible::Name) : QString();
}

bool AppDriver::dropPersonOnSharingTable(const QString &name)
{
    auto *sheet = visible<KNVTTaskListSharingSettingsWindowController>();
    auto *people = qobject_cast<KNVTUsersWindowController *>(
        app().usersWindowController() ? app().usersWindowController()->window() : nullptr);
    if (!sheet || !people) {
        ADD_FAILURE() << "the sharing settings and the people window must be open";
        return false;
    }
    KNVTUsersModel *model = people->usersViewController()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->rows()[size_t(row)].fullName != name)
            continue;
        std::unique_ptr<QMimeData> mime(model->mimeData({model->index(row)}));
        const Qt::DropAction action = sheet->validateDrop(*mime, model->supportedDragActions());
        const bool taken = action != Qt::IgnoreAction && sheet->acceptDrop(*mime);
        settle();
        return taken;
    }
    ADD_FAILURE() << "nobody called " << name.toStdString() << " in the people window";
    return false;
}

} // namespace knvt::features
