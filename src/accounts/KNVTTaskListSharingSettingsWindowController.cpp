#include "accounts/KNVTTaskListSharingSettingsWindowController.h"

#include "accounts/FormWidgets.h"
#include "accounts/KNVTTaskListSharingSettingsModel.h"
#include "accounts/KNVTUserSelectionViewController.h"
#include "accounts/TaskStoreReference.h"

#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/ObjectReferencePayload.h"

#include "uikit/ChangeHolder.h"
#include "uikit/GoneElsewhere.h"
#include "uikit/Popover.h"
#include "uikit/TextInItsDirection.h"
#include "uikit/UnsavedTyping.h"
#include "uikit/ViewAdditions.h"

#include "foundation/NotificationCenter.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

// The table as a drop target: the whole table is one target, whatever row the pointer is over. It holds the people
// the user chose here and has not saved: what a close or a quit would drop asks first (UnsavedTyping).
class SharingTableView final : public QTreeView, public knvt::ChangeHolder
{
public:
    using Validator = std::function<Qt::DropAction(const QMimeData &, Qt::DropActions)>;
    using Acceptor = std::function<bool(const QMimeData &)>;
    using Holding = std::function<QString()>;

    SharingTableView(Validator validator, Acceptor acceptor, Holding holding)
        : m_validator(std::move(validator)), m_acceptor(std::move(acceptor)), m_holding(std::move(holding))
    {}

    QString holding() const override { return m_holding(); }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override { answer(event); }
    void dragMoveEvent(QDragMoveEvent *event) override { answer(event); }
    void dropEvent(QDropEvent *event) override
    {
        const Qt::DropAction action = m_validator(*event->mimeData(), event->possibleActions());
        if (action == Qt::IgnoreAction) {
            event->ignore();
            return;
        }
        m_acceptor(*event->mimeData());
        event->setDropAction(action);
        event->accept();
    }

private:
    void answer(QDragMoveEvent *event)
    {
        const Qt::DropAction action = m_validator(*event->mimeData(), event->possibleActions());
        if (action == Qt::IgnoreAction) {
            event->ignore();
            return;
        }
        event->setDropAction(action);
        event->accept();
    }

    Validator m_validator;
    Acceptor m_acceptor;
    Holding m_holding;
};

bool contains(const std::vector<KNVTCDUser *> &users, const KNVTCDUser *user)
{
    return std::find(users.cbegin(), users.cend(), user) != users.cend();
}

} // namespace

KNVTTaskListSharingSettingsWindowController::KNVTTaskListSharingSettingsWindowController(KNVTCDTaskList *taskList,
                                                                                         KNVTTaskStore *store,
                                                                                         QWidget *parent)
    : QDialog(parent),
      m_taskList(taskList),
      m_taskListTitle(taskList ? taskList->title() : QString()),
      m_object(taskList && taskList->isArea() ? knvt::EditedObject::Area : knvt::EditedObject::Project),
      m_store(store),
      m_owner(taskList ? taskList->owner() : nullptr),
      m_model(new KNVTTaskListSharingSettingsModel(this))
{
    knvt::frameAsSheet(this);
    setObjectName(QStringLiteral("KNVTTaskListSharingSettingsWindowController"));
    setWindowTitle(tr("Sharing Settings"));
    setWindowModality(Qt::WindowModal);

    m_headingTextField = new QLabel;
    m_headingTextField->setObjectName(QStringLiteral("headingTextField"));
    m_headingTextField->setTextFormat(Qt::PlainText);
    QFont headingFont = m_headingTextField->font();
    headingFont.setPixelSize(15);
    headingFont.setBold(true);
    m_headingTextField->setFont(headingFont);
    m_sharedByTextField = new QLabel(tr("Unknown"));
    m_sharedByTextField->setObjectName(QStringLiteral("sharedByTextField"));
    m_sharedByTextField->setTextFormat(Qt::PlainText);
    m_tableView = new SharingTableView(
        [this](const QMimeData &mime, Qt::DropActions actions) { return validateDrop(mime, actions); },
        [this](const QMimeData &mime) { return acceptDrop(mime); }, [this] { return chosenPeople(); });
    m_tableView->setObjectName(QStringLiteral("tableView"));
    m_tableView->setAccessibleName(tr("Shared With"));
    m_tableView->setModel(m_model);
    m_tableView->setRootIsDecorated(false);
    m_tableView->setItemsExpandable(false);
    m_tableView->setUniformRowHeights(true);
    m_tableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->setDragEnabled(true);
    m_tableView->setAcceptDrops(true);
    m_tableView->viewport()->setAcceptDrops(true);
    m_tableView->setDragDropMode(QAbstractItemView::DragDrop);
    m_tableView->setDropIndicatorShown(false);
    m_tableView->setStyleSheet(QStringLiteral("QTreeView::item { padding: 3px 2px; }"));
    m_tableView->header()->setStretchLastSection(false);
    m_tableView->header()->setSectionResizeMode(KNVTTaskListSharingSettingsModel::UserColumn, QHeaderView::Stretch);
    m_tableView->header()->resizeSection(KNVTTaskListSharingSettingsModel::StatusColumn, 100);
    m_tableView->header()->resizeSection(KNVTTaskListSharingSettingsModel::RoleColumn, 90);
    m_collaboratingUsersButton = knvt::makeButton(tr("Choose People..."), "collaboratingUsersButton");
    m_saveButton = knvt::makeButton(QString(), "saveButton", true);
    m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");

    auto *owner = new QFormLayout;
    owner->addRow(tr("Owner:"), m_sharedByTextField);
    auto *hint = new QLabel(tr("Choose people, or drag them here from the People window."));
    hint->setForegroundRole(QPalette::PlaceholderText);
    hint->setWordWrap(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_collaboratingUsersButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_headingTextField);
    layout->addLayout(owner);
    layout->addWidget(m_tableView, 1);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    resize(480, 380);

    showHeading();
    m_users = currentUsers();
    m_loaded = m_users;
    if (m_owner && !m_owner->extendedDisplayName().isEmpty())
        m_sharedByTextField->setText(m_owner->extendedDisplayName());
    m_saveButton->setText(taskList && taskList->isShared() ? tr("Update") : tr("Share"));
    m_saveButton->setEnabled(false);
    reloadTable();

    connect(m_collaboratingUsersButton, &QPushButton::clicked, this,
            [this] { collaboratingUsersSelection(m_collaboratingUsersButton); });
    connect(m_saveButton, &QPushButton::clicked, this, &KNVTTaskListSharingSettingsWindowController::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTTaskListSharingSettingsWindowController::cancel);
    knvt::setTabOrder({m_tableView, m_collaboratingUsersButton, m_cancelButton, m_saveButton});
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(m_store), this,
        [this](const knvt::Notification &notification) {
            taskStoreWillChangeNotification(knvt::TaskStoreChanges::madeElsewhere(notification));
        });
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidChangeNotification), &knvt::taskStore(m_store), this,
        [this](const knvt::Notification &notification) {
            taskStoreDidChangeNotification(knvt::TaskStoreChanges::madeElsewhere(notification));
        });
}

KNVTTaskListSharingSettingsWindowController::~KNVTTaskListSharingSettingsWindowController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    if (m_userSelectionPopover)
        delete m_userSelectionPopover.data();
}

knvt::Popover *KNVTTaskListSharingSettingsWindowController::userSelectionPopover() const
{
    return m_userSelectionPopover;
}

KNVTUserSelectionViewController *KNVTTaskListSharingSettingsWindowController::userSelectionViewController() const
{
    return m_userSelectionViewController;
}

std::vector<KNVTCDUser *> KNVTTaskListSharingSettingsWindowController::wantedUsers() const
{
    std::vector<KNVTCDUser *> wanted = m_users;
    // A list pulled without its owner's record has nobody to add here.
    if (m_owner && !contains(wanted, m_owner))
        wanted.push_back(m_owner);
    return wanted;
}

std::vector<KNVTCDUser *> KNVTTaskListSharingSettingsWindowController::ownerAlone() const
{
    return m_owner ? std::vector<KNVTCDUser *>{m_owner} : std::vector<KNVTCDUser *>();
}

std::vector<KNVTCDUser *> KNVTTaskListSharingSettingsWindowController::currentUsers() const
{
    std::vector<KNVTCDUser *> users;
    if (!m_taskList || m_taskList->isDeleted())
        return users;
    for (KNVTCDUser *user : m_taskList->activeTaskListCollaboratorUsers()) {
        if (user != m_owner)
            users.push_back(user);
    }
    return users;
}

std::vector<KNVTCDUser *> KNVTTaskListSharingSettingsWindowController::addedUsers() const
{
    std::vector<KNVTCDUser *> added;
    std::copy_if(m_users.cbegin(), m_users.cend(), std::back_inserter(added),
                 [this](KNVTCDUser *user) { return !contains(m_loaded, user); });
    return added;
}

std::vector<KNVTCDUser *> KNVTTaskListSharingSettingsWindowController::removedUsers() const
{
    std::vector<KNVTCDUser *> removed;
    std::copy_if(m_loaded.cbegin(), m_loaded.cend(), std::back_inserter(removed),
                 [this](KNVTCDUser *user) { return !contains(m_users, user); });
    return removed;
}

void KNVTTaskListSharingSettingsWindowController::reloadTable()
{
    m_model->reload(m_users, m_taskList);
}

void KNVTTaskListSharingSettingsWindowController::updateSaveButton()
{
    m_saveButton->setEnabled(!addedUsers().empty() || !removedUsers().empty());
}

void KNVTTaskListSharingSettingsWindowController::collaboratingUsersSelection(QWidget *sender)
{
    if (m_userSelectionPopover) {
        closePopover();
        return;
    }
    auto *popover = new knvt::Popover(this);
    popover->setObjectName(QStringLiteral("userSelectionPopover"));
    popover->setBehavior(knvt::Popover::Behavior::Transient);
    popover->setAnimates(true);
    auto *selection = new KNVTUserSelectionViewController(m_store, popover);
    selection->setUsers(knvt::taskStore(m_store).sortedUsers());
    selection->setSelectedUsers(wantedUsers());
    selection->setUnselectableUsers(ownerAlone());
    selection->setUserSelectionViewControllerDelegate(this);
    popover->setContentWidget(selection->view());
    // The keyboard starts in the search field, from where Tab reaches the people and Space ticks them.
    selection->searchField()->setFocus(Qt::PopupFocusReason);
    m_userSelectionPopover = popover;
    m_userSelectionViewController = selection;
    connect(popover, &knvt::Popover::closed, this, [this, popover] {
        if (m_userSelectionPopover == popover) {
            m_userSelectionPopover = nullptr;
            m_userSelectionViewController = nullptr;
        }
        popover->deleteLater();
    });
    QWidget *anchor = sender ? sender : m_collaboratingUsersButton;
    popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
}

void KNVTTaskListSharingSettingsWindowController::closePopover()
{
    if (knvt::Popover *popover = m_userSelectionPopover) {
        m_userSelectionPopover = nullptr;
        m_userSelectionViewController = nullptr;
        popover->performClose();
    }
}

void KNVTTaskListSharingSettingsWindowController::reloadUserSelectionPopover()
{
    if (KNVTUserSelectionViewController *selection = m_userSelectionViewController) {
        selection->setUsers(knvt::taskStore(m_store).sortedUsers());
        selection->setSelectedUsers(wantedUsers());
        selection->setUnselectableUsers(ownerAlone());
    }
}

QString KNVTTaskListSharingSettingsWindowController::chosenPeople() const
{
    if (m_ended || (addedUsers().empty() && removedUsers().empty()))
        return QString();
    QStringList names;
    for (const KNVTCDUser *user : m_users)
        names << user->extendedDisplayName();
    return tr("Shared With: %1").arg(names.isEmpty() ? tr("nobody") : names.join(QStringLiteral(", ")));
}

void KNVTTaskListSharingSettingsWindowController::userSelectionViewControllerDidSelectUser(
    KNVTUserSelectionViewController *, KNVTCDUser *user)
{
    knvt::UnsavedTyping::changing(m_tableView);
    if (user != m_owner && !contains(m_users, user))
        m_users.push_back(user);
    reloadTable();
    updateSaveButton();
}

void KNVTTaskListSharingSettingsWindowController::userSelectionViewControllerDidDeselectUser(
    KNVTUserSelectionViewController *, KNVTCDUser *user)
{
    knvt::UnsavedTyping::changing(m_tableView);
    m_users.erase(std::remove(m_users.begin(), m_users.end(), user), m_users.end());
    reloadTable();
    updateSaveButton();
}

std::vector<KNVTCDUser *> KNVTTaskListSharingSettingsWindowController::droppedUsers(const QMimeData &mime)
{
    const std::optional<QList<QUrl>> uris = knvt::ObjectReferencePayload::read(mime);
    std::vector<KNVTCDUser *> users;
    if (!uris)
        return users;
    for (KNVTCDTaskStoreObject *object : knvt::taskStore(m_store).objectsForURIs(*uris)) {
        if (auto *user = dynamic_cast<KNVTCDUser *>(object))
            users.push_back(user);
    }
    return users;
}

Qt::DropAction KNVTTaskListSharingSettingsWindowController::validateDrop(const QMimeData &mime,
                                                                         Qt::DropActions sourceActions)
{
    if (droppedUsers(mime).empty())
        return Qt::IgnoreAction;
    return sourceActions == Qt::CopyAction ? Qt::CopyAction : Qt::MoveAction;
}

bool KNVTTaskListSharingSettingsWindowController::acceptDrop(const QMimeData &mime)
{
    knvt::UnsavedTyping::changing(m_tableView);
    for (KNVTCDUser *user : droppedUsers(mime)) {
        if (user != m_owner && !contains(m_users, user))
            m_users.push_back(user);
    }
    reloadUserSelectionPopover();
    reloadTable();
    updateSaveButton();
    return true;
}

void KNVTTaskListSharingSettingsWindowController::save()
{
    closePopover();
    if (!m_taskList)
        return;
    KNVTTaskStore &store = knvt::taskStore(m_store);
    // Only the user's own ticks and unticks are written, each where the list still needs it: a member that a sync
    // brought or took away meanwhile is none of this save's business.
    const std::vector<KNVTCDUser *> current = m_taskList->activeTaskListCollaboratorUsers();
    for (KNVTCDUser *user : addedUsers()) {
        if (!contains(current, user) && !user->isDeleted())
            store.taskListCollaboratorWithUser(user, m_taskList, 2);
    }
    for (KNVTCDUser *user : removedUsers()) {
        if (contains(current, user))
            store.removeTaskListCollaboratorForUser(user, m_taskList);
    }
    // A refused save is shown by the store and its records are discarded there; the sheet keeps the user's choices so
    // that Update can try again, and Cancel leaves nothing behind.
    if (!store.saveUserChanges())
        return;
    dismiss();
}

void KNVTTaskListSharingSettingsWindowController::cancel()
{
    closePopover();
    dismiss();
}

void KNVTTaskListSharingSettingsWindowController::dismiss()
{
    m_ended = true;
    QDialog::reject();
}

void KNVTTaskListSharingSettingsWindowController::reject()
{
    cancel();
}

void KNVTTaskListSharingSettingsWindowController::taskStoreWillChangeNotification(bool madeElsewhere)
{
    if (m_ended)
        return;
    if (!m_taskList || m_taskList->isDeleted() || m_taskList->deletedDate().isValid())
        closeBecauseGone(madeElsewhere);
}

void KNVTTaskListSharingSettingsWindowController::closeBecauseGone(bool elsewhere)
{
    // The people ticked here are the sheet's changes; nothing of them was written.
    knvt::tellObjectWentAway(m_object, m_taskListTitle, this, knvt::whoseChange(elsewhere), true);
    cancel();
}

void KNVTTaskListSharingSettingsWindowController::showHeading()
{
    m_headingTextField->setText(
        tr("\"%1\" Sharing settings").arg(knvt::isolatedText(m_taskList ? m_taskList->title() : QString())));
}

void KNVTTaskListSharingSettingsWindowController::taskStoreDidChangeNotification(bool madeElsewhere)
{
    if (m_ended || !m_taskList)
        return;
    if (m_taskList->isDeleted() || m_taskList->deletedDate().isValid()) {
        closeBecauseGone(madeElsewhere);
        return;
    }
    const std::vector<KNVTCDUser *> added = addedUsers();
    const std::vector<KNVTCDUser *> removed = removedUsers();
    const std::vector<KNVTCDUser *> current = currentUsers();
    std::vector<KNVTCDUser *> users;
    for (KNVTCDUser *user : current) {
        if (!contains(removed, user))
            users.push_back(user);
    }
    for (KNVTCDUser *user : added) {
        if (!contains(users, user) && !user->isDeleted())
            users.push_back(user);
    }
    m_loaded = current;
    m_users = std::move(users);
    // A rename here or in a sync shows at once.
    showHeading();
    reloadUserSelectionPopover();
    reloadTable();
    updateSaveButton();
}
