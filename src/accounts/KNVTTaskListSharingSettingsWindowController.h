#pragma once

#include "accounts/KNVTUserSelectionViewControllerDelegate.h"

#include "uikit/GoneElsewhere.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class KNVTCDTaskList;
class KNVTCDUser;
class KNVTTaskListSharingSettingsModel;
class KNVTTaskStore;
class KNVTUserSelectionViewController;
class QLabel;
class QMimeData;
class QPushButton;
class QTreeView;

namespace knvt {
class Popover;
}

// The sheet that decides with whom a project or area is shared. It lists the people the list is shared with (all but
// its owner) with the state of their invitation and their role; people are added and removed with a list of check
// boxes in a popover, or added by dropping them on the table. Nothing is written until Save, which writes only what the
// user ticked and unticked here (new invitations, removed memberships) in one save: members that a sync adds or removes
// while the sheet is open are taken in for every person the user left alone, and are never undone by the save. A
// refused save leaves nothing behind in the store. What the user chose and has not saved counts as held: a close or a
// quit asks before it is dropped (UnsavedTyping). The sheet closes by itself, and says why, when the list is deleted
// meanwhile (by a sync, say).
class KNVTTaskListSharingSettingsWindowController : public QDialog, public KNVTUserSelectionViewControllerDelegate
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTTaskListSharingSettingsWindowController(KNVTCDTaskList *taskList, KNVTTaskStore *store = nullptr,
                                                         QWidget *parent = nullptr);
    ~KNVTTaskListSharingSettingsWindowController() override;

    KNVTCDTaskList *taskList() const { return m_taskList; }
    // The people the list is to be shared with, its owner left out, in the table's order.
    const std::vector<KNVTCDUser *> &users() const { return m_users; }
    knvt::Popover *userSelectionPopover() const;
    KNVTUserSelectionViewController *userSelectionViewController() const;
    KNVTTaskListSharingSettingsModel *model() const { return m_model; }

    // What a drop of `mime` would do: copy when the source offers nothing but copying, move otherwise; nothing
    // when it carries no person.
    Qt::DropAction validateDrop(const QMimeData &mime, Qt::DropActions sourceActions);
    // Adds the dropped people not listed yet (never the owner). Always succeeds.
    bool acceptDrop(const QMimeData &mime);

    void userSelectionViewControllerDidSelectUser(KNVTUserSelectionViewController *controller,
                                                  KNVTCDUser *user) override;
    void userSelectionViewControllerDidDeselectUser(KNVTUserSelectionViewController *controller,
                                                    KNVTCDUser *user) override;

public slots:
    // Opens the popover of people under `sender` (the button by default), or closes it when it is open.
    void collaboratingUsersSelection(QWidget *sender = nullptr);
    void save();
    void cancel();
    void dismiss();
    void updateSaveButton();
    void reloadUserSelectionPopover();
    void reject() override;

private:
    std::vector<KNVTCDUser *> droppedUsers(const QMimeData &mime);
    // The people of `m_users` and the owner, when the list has one.
    std::vector<KNVTCDUser *> wantedUsers() const;
    std::vector<KNVTCDUser *> ownerAlone() const;
    // The list's members now, its owner left out.
    std::vector<KNVTCDUser *> currentUsers() const;
    // The people the user added here and those the user removed, against what the sheet last took in.
    std::vector<KNVTCDUser *> addedUsers() const;
    std::vector<KNVTCDUser *> removedUsers() const;
    // The people the list is to be shared with, as the question before they are dropped shows them, while the user's
    // choices here differ from the list's members; empty when they do not.
    QString chosenPeople() const;
    void reloadTable();
    void closePopover();
    // The list went away (by a change made `elsewhere`, or by the user's own command here): the user is told, and the
    // sheet ends without writing.
    void closeBecauseGone(bool elsewhere);
    void taskStoreWillChangeNotification(bool madeElsewhere);
    // "\"Garden\" Sharing settings", with the list's title of the moment.
    void showHeading();
    // Takes in the members as the store has them now, keeping the user's own additions and removals on top.
    void taskStoreDidChangeNotification(bool madeElsewhere);

    KNVTCDTaskList *m_taskList;
    // What the alert calls the list once it has gone.
    QString m_taskListTitle;
    knvt::EditedObject m_object;
    KNVTTaskStore *m_store;
    KNVTCDUser *m_owner;
    std::vector<KNVTCDUser *> m_users;
    // The members (owner left out) as the sheet last took them in: `m_users` against these are the user's changes.
    std::vector<KNVTCDUser *> m_loaded;
    bool m_ended = false;
    KNVTTaskListSharingSettingsModel *m_model;
    QPointer<knvt::Popover> m_userSelectionPopover;
    QPointer<KNVTUserSelectionViewController> m_userSelectionViewController;
    QLabel *m_headingTextField = nullptr;
    QLabel *m_sharedByTextField = nullptr;
    QTreeView *m_tableView = nullptr;
    QPushButton *m_collaboratingUsersButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
