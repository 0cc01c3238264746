#include "app/KNVTMainWindowController.h"

#include "app/WindowFactory.h"

#include "lists/KNVTTaskStoreItemsViewController.h"
#include "lists/MoveMenu.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "uikit/ImageAdditions.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

struct ButtonSpec
{
    const char *name;
    const char *title;
    const char *image;
};

} // namespace

void KNVTMainWindowController::buildToolbar()
{
    m_toolbar = addToolBar(tr("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    // Every button shows its picture with its name under it, as desktop toolbars do; the name is also the tooltip
    // and what screen readers say.
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(20, 20));

    const ButtonSpec buttons[] = {
        {"taskButton", QT_TR_NOOP("New Task"), "TB_NewTaskTemplate"},
        {"notificationsButton", QT_TR_NOOP("Notifications"), "TB_UserTemplate"},
        {"syncButton", QT_TR_NOOP("Sync"), "TB_SyncTemplate"},
        {"moveButton", QT_TR_NOOP("Move"), "TB_MoveTemplate"},
        {"assignButton", QT_TR_NOOP("Assign"), "TB_AssignTemplate"},
        {"deleteButton", QT_TR_NOOP("Delete"), "TB_DeleteTemplate"},
        {"commentButton", QT_TR_NOOP("Comment"), "TB_CommentTemplate"},
        {"todayButton", QT_TR_NOOP("Today"), "TB_StarTemplate"},
        {"editButton", QT_TR_NOOP("Edit"), "TB_EditTemplate"},
    };
    for (const ButtonSpec &spec : buttons) {
        auto *button = new QToolButton(m_toolbar);
        button->setObjectName(QString::fromLatin1(spec.name));
        const QString title = tr(spec.title);
        button->setText(title);
        button->setToolTip(title);
        button->setAccessibleName(title);
        button->setAutoRaise(true);
        button->setToolButtonStyle(m_toolbar->toolButtonStyle());
        button->setIconSize(m_toolbar->iconSize());
        button->setIcon(
            knvt::tintedTemplateIcon(knvt::templateImageFromMainBundleWithName(QString::fromLatin1(spec.image)),
                                     button->palette(), m_toolbar->iconSize()));
        m_toolbar->addWidget(button);
        if (QString::fromLatin1(spec.name) == QStringLiteral("taskButton"))
            m_toolbar->addSeparator();
    }
    QToolButton *move = toolbarButton(QStringLiteral("moveButton"));
    move->setPopupMode(QToolButton::InstantPopup);
    connect(toolbarButton(QStringLiteral("taskButton")), &QToolButton::clicked, this,
            [this] { newTaskPopover(toolbarButton(QStringLiteral("taskButton"))); });
    connect(toolbarButton(QStringLiteral("notificationsButton")), &QToolButton::clicked, this,
            [this] { notificationsSheet(toolbarButton(QStringLiteral("notificationsButton"))); });
    connect(toolbarButton(QStringLiteral("syncButton")), &QToolButton::clicked, this, [this] { sync(); });
    connect(toolbarButton(QStringLiteral("assignButton")), &QToolButton::clicked, this,
            [this] { assignSelectedTasks(toolbarButton(QStringLiteral("assignButton"))); });
    connect(toolbarButton(QStringLiteral("deleteButton")), &QToolButton::clicked, this, [this] {
        if (KNVTTaskStoreItemsViewController *list = currentTasksViewController())
            list->deleteSelectedItems();
    });
    connect(toolbarButton(QStringLiteral("commentButton")), &QToolButton::clicked, this,
            [this] { commentOnSelectedTask(toolbarButton(QStringLiteral("commentButton"))); });
    connect(toolbarButton(QStringLiteral("todayButton")), &QToolButton::clicked, this,
            [this] { toggleTodayForSelectedItems(); });
    connect(toolbarButton(QStringLiteral("editButton")), &QToolButton::clicked, this,
            [this] { editSelectedItems(toolbarButton(QStringLiteral("editButton"))); });

    auto *spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_searchField = new QLineEdit(m_toolbar);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(tr("Search"));
    m_searchField->setAccessibleName(tr("Search"));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setFixedWidth(220);
    m_toolbar->addWidget(m_searchField);
    connect(m_searchField, &QLineEdit::textChanged, this, &KNVTMainWindowController::searchTextDidChange);
}

QToolButton *KNVTMainWindowController::toolbarButton(const QString &objectName) const
{
    return m_toolbar ? m_toolbar->findChild<QToolButton *>(objectName) : nullptr;
}

void KNVTMainWindowController::validateToolbarButtons()
{
    if (!m_toolbar)
        return;
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    QToolButton *notifications = toolbarButton(QStringLiteral("notificationsButton"));
    QToolButton *syncButton = toolbarButton(QStringLiteral("syncButton"));
    notifications->setVisible(true);
    syncButton->setVisible(true);
    const qsizetype count = store.numberOfNotifications();
    if (count > 0) {
        notifications->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        notifications->setText(QString::number(count));
        notifications->setMinimumWidth(0);
        notifications->setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        // The picture alone, at the height of the other buttons' pictures: their names sit under them.
        notifications->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        notifications->setText(QString());
        notifications->setFixedWidth(40);
    }
    notifications->setEnabled(count > 0);
    syncButton->setEnabled(store.isAutoSyncEnabled());

    KNVTCDTask *shown = m_taskViewController ? m_taskViewController->task() : nullptr;
    const bool editable = shown && !shown->isArchived();
    toolbarButton(QStringLiteral("editButton"))->setEnabled(editable);
    toolbarButton(QStringLiteral("commentButton"))->setEnabled(editable);

    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    toolbarButton(QStringLiteral("assignButton"))->setEnabled(list && list->canAssignSelectedItems());
    QToolButton *move = toolbarButton(QStringLiteral("moveButton"));
    QToolButton *today = toolbarButton(QStringLiteral("todayButton"));
    QToolButton *remove = toolbarButton(QStringLiteral("deleteButton"));
    if (!list || list->selectedItems().empty()) {
        // The Move menu keeps what it had.
        move->setEnabled(false);
        today->setEnabled(false);
        remove->setEnabled(false);
        return;
    }
    move->setEnabled(true);
    today->setEnabled(list->canMoveSelectedItemsToToday());
    remove->setEnabled(list->canDeleteSelectedItems());
    QMenu *menu = knvt::buildMoveMenu(*list, move);
    if (m_moveMenu)
        m_moveMenu->deleteLater();
    m_moveMenu = menu;
    move->setMenu(menu);
}

void KNVTMainWindowController::validateMenuBarItems()
{
    knvt::MenuBarItems *items = m_menuBarItems;
    if (!items)
        return;
    auto set = [](QAction *action, const QString &key, bool enabled, bool visible) {
        if (!action)
            return;
        action->setShortcut(key.isEmpty() ? QKeySequence() : QKeySequence(key));
        action->setEnabled(enabled);
        action->setVisible(visible);
    };
    const QString ctrlT = QStringLiteral("Ctrl+T");
    const QString ctrlS = QStringLiteral("Ctrl+S");
    const QString ctrlDot = QStringLiteral("Ctrl+.");
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    if (!isActiveWindow() || !list) {
        set(items->moveSelectedItemsToTodayMenuItem, ctrlT, false, true);
        set(items->removeSelectedItemsFromTodayMenuItem, QString(), false, false);
        set(items->moveSelectedItemsToSomedayMenuItem, ctrlS, false, true);
        set(items->removeSelectedItemsFromSomedayMenuItem, QString(), false, false);
        for (QAction *action :
             {items->scheduleSelectedItemsMenuItem.data(), items->markSelectedItemsMenuItem.data(),
              items->duplicateSelectedItemsMenuItem.data(), items->deleteSelectedItemsMenuItem.data(),
              items->detachSelectedItemsFromTaskListMenuItem.data(), items->selectNextItemMenuItem.data(),
              items->selectPreviousItemMenuItem.data(), items->markSelectedItemsAsCompletedMenuItem.data(),
              items->markSelectedItemsAsUncompletedMenuItem.data(), items->markSelectedItemsAsCancelledMenuItem.data()})
            if (action)
                action->setEnabled(false);
        return;
    }
    if (!list->shouldDisplayRemoveSelectedItemsFromToday()) {
        set(items->moveSelectedItemsToTodayMenuItem, ctrlT, list->canMoveSelectedItemsToToday(), true);
        set(items->removeSelectedItemsFromTodayMenuItem, QString(), false, false);
    } else {
        set(items->moveSelectedItemsToTodayMenuItem, QString(), false, false);
        set(items->removeSelectedItemsFromTodayMenuItem, ctrlT, list->canRemoveSelectedItemsFromToday(), true);
    }
    if (!list->shouldDisplayRemoveSelectedTasksFromSomeday()) {
        set(items->moveSelectedItemsToSomedayMenuItem, ctrlS, list->canMoveSelectedItemsToSomeday(), true);
        set(items->removeSelectedItemsFromSomedayMenuItem, QString(), false, false);
    } else {
        set(items->moveSelectedItemsToSomedayMenuItem, QString(), false, false);
        set(items->removeSelectedItemsFromSomedayMenuItem, ctrlS, list->canRemoveSelectedItemsFromSomeday(), true);
    }
    const bool hasSelection = !list->selectedItems().empty();
    if (items->scheduleSelectedItemsMenuItem)
        items->scheduleSelectedItemsMenuItem->setEnabled(list->canScheduleSelectedItems());
    if (items->markSelectedItemsMenuItem)
        items->markSelectedItemsMenuItem->setEnabled(list->canMarkSelectedItems());

    // Each Mark item needs both its display rule and its own rule: a disabled parent menu does not stop the key.
    const bool c = hasSelection && list->shouldDisplayMarkSelectedItemsAsCompleted();
    const bool u = hasSelection && list->shouldDisplayMarkSelectedItemsAsUncompleted();
    const bool canComplete = list->canMarkSelectedItemsAsCompleted();
    const bool canUncomplete = list->canMarkSelectedItemsAsUncompleted();
    if (c && !u) {
        set(items->markSelectedItemsAsCompletedMenuItem, ctrlDot, canComplete, true);
        set(items->markSelectedItemsAsUncompletedMenuItem, QString(), false, false);
    } else if (!c && u) {
        set(items->markSelectedItemsAsCompletedMenuItem, QString(), false, false);
        set(items->markSelectedItemsAsUncompletedMenuItem, ctrlDot, canUncomplete, true);
    } else if (c && u) {
        set(items->markSelectedItemsAsCompletedMenuItem, ctrlDot, canComplete, true);
        set(items->markSelectedItemsAsUncompletedMenuItem, QString(), canUncomplete, true);
    } else {
        if (items->markSelectedItemsAsCompletedMenuItem)
            items->markSelectedItemsAsCompletedMenuItem->setEnabled(false);
        if (items->markSelectedItemsAsUncompletedMenuItem)
            items->markSelectedItemsAsUncompletedMenuItem->setEnabled(false);
    }
    const bool x = hasSelection && list->shouldDisplayMarkSelectedItemsAsCancelled();
    if (items->markSelectedItemsAsCancelledMenuItem) {
        items->markSelectedItemsAsCancelledMenuItem->setEnabled(x && list->canMarkSelectedItemsAsCancelled());
        items->markSelectedItemsAsCancelledMenuItem->setVisible(x);
    }
    if (items->duplicateSelectedItemsMenuItem)
        items->duplicateSelectedItemsMenuItem->setEnabled(list->canDuplicateSelectedItems());
    if (items->deleteSelectedItemsMenuItem)
        items->deleteSelectedItemsMenuItem->setEnabled(list->canDeleteSelectedItems());
    if (items->detachSelectedItemsFromTaskListMenuItem)
        items->detachSelectedItemsFromTaskListMenuItem->setEnabled(list->canDetachSelectedItemsFromTaskList());
    if (items->selectNextItemMenuItem)
        items->selectNextItemMenuItem->setEnabled(hasSelection);
    if (items->selectPreviousItemMenuItem)
        items->selectPreviousItemMenuItem->setEnabled(hasSelection);
}
