#pragma once

#include "app/HomeEntry.h"
#include "app/KNVTHomeActivityView.h"
#include "app/KNVTHomeSection.h"

#include "uikit/CommandTarget.h"
#include "uikit/WaitingWindowLine.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QPointer>
#include <QPushButton>

#include <vector>

class KNVTCDTag;
class KNVTCDTaskList;
class KNVTHomeOutlineView;
class KNVTHomeViewControllerDelegate;
class QDialog;
class QMenu;
class QMimeData;
class QWidget;

namespace knvt {
class HomeModel;
}

// The home source list of the main window: the focus lists, the active projects and areas and the archive under
// their sections, with badges, the sync status line and the add button below. It tells its host what is selected,
// follows every store change in place (the chosen entries stay chosen while they exist), offers the commands on the
// selected project, area or tag (menu, keys, double click, sharing button) and takes drops of tasks, lists and tags.
//
// The window's commands act on the selected project, area or tag while the list has the keyboard focus (Delete
// deletes the project, not the tasks of the centre list); the list is then their target.
class KNVTHomeViewController : public QObject, public knvt::CommandTarget
{
    Q_OBJECT

public:
    explicit KNVTHomeViewController(KNVTHomeViewControllerDelegate *delegate, QObject *parent = nullptr);
    ~KNVTHomeViewController() override;

    KNVTHomeViewControllerDelegate *homeViewControllerDelegate() const { return m_delegate; }

    // The pane: the list over a bottom bar with the add button and the sync status line. Made on first use, which
    // selects Inbox and tells the delegate.
    QWidget *view();
    KNVTHomeOutlineView *outlineView();
    QPushButton *addPopUpButton() const { return m_addPopUpButton; }
    KNVTHomeActivityView *activityView() const { return m_activityView; }
    // The line over the bottom bar that names a window waiting for the user, with its button.
    knvt::WaitingWindowLine *waitingLine() const { return m_waitingLine; }
    knvt::HomeModel *model() const { return m_model; }

    // ---- Selection ---------------------------------------------------------------------------------------------
    std::vector<knvt::HomeEntry> selectedItems() const;
    std::optional<knvt::HomeEntry> selectedItem() const;
    // The selected project or area, or nullptr.
    KNVTCDTaskList *selectedTaskList() const;
    // The selected tag (the first of several), or nullptr.
    KNVTCDTag *selectedTag() const;
    // Selects the entry alone; false when the list does not show it.
    bool selectItem(const knvt::HomeEntry &entry);
    bool selectItem(KNVTCDTaskList *taskList);

    // ---- Rebuilding --------------------------------------------------------------------------------------------
    // Replaces every section and entry.
    void reloadSections();
    // Brings the sections and entries up to the store in place. The host hears only when the selection changed:
    // when the chosen entry went, Inbox is chosen.
    void refreshData();

    // ---- Commands on the selected project, area or tag --------------------------------------------------------------
    void viewSelectedItem();
    void editSelectedItem();
    // The double click of the row at `index`.
    void doubleAction(const QModelIndex &index);
    void removeSelectedItem();
    void archiveSelectedItem();
    void unarchiveSelectedItem();
    void shareSelectedItem();
    void stopSharingSelectedItem();
    void resendInvitationsForSelectedItem();
    void unsubscribeFromSelectedItem();
    void refreshSelectedItem();
    // The sharing button of the row of `uri`.
    void shareItem(const QUrl &uri);
    // The context menu for the selection (nullptr: none), made of the window's actions; owned by the caller. The list
    // takes the keyboard focus first, so that the actions act on it.
    QMenu *menuForEvent(QWidget *parent = nullptr);
    void validateCommand(knvt::Command command, knvt::CommandState &state) override;
    void performCommand(knvt::Command command, QWidget *source) override;

    // ---- Drag and drop -----------------------------------------------------------------------------------------
    QMimeData *writeItems(const QModelIndexList &indexes) const;
    // `target`: a section or an entry (invalid: the top level); `childIndex` -1 for a drop onto it.
    Qt::DropAction validateDrop(const QMimeData &mime, const QModelIndex &target, int childIndex,
                                bool fromThisProcess) const;
    // Answers at once; the changes, and any question they ask, follow on the next pass of the event loop.
    bool acceptDrop(const QMimeData &mime, const QModelIndex &target, int childIndex, bool fromThisProcess);
    // The reordering of a drop between the rows of a section: `order` is the section's lists in display order,
    // `moved` the dropped ones in drag order, `childIndex` the drop position. Returns the new order.
    static std::vector<QUrl> reorder(std::vector<QUrl> order, const std::vector<QUrl> &moved, int childIndex);

    // Tab and Back-tab from the list.
    void insertTab(bool next);

private:
    static std::vector<KNVTHomeSection> sectionsNow();
    void buildView();
    void selectionDidChange();
    void expansionDidChange(const QModelIndex &index, bool expanded);
    void expandSections();
    void selectInbox();
    void openSheet(QPointer<QDialog> &slot, QDialog *sheet);
    void removeTag(KNVTCDTag *tag);
    void performDrop(const std::vector<QUrl> &uris, const knvt::HomeEntry *entry, int sectionType, int childIndex);
    QWidget *window() const;

    KNVTHomeViewControllerDelegate *m_delegate;
    QPointer<QWidget> m_view;
    QPointer<KNVTHomeOutlineView> m_outlineView;
    QPointer<QPushButton> m_addPopUpButton;
    QPointer<KNVTHomeActivityView> m_activityView;
    QPointer<knvt::WaitingWindowLine> m_waitingLine;
    knvt::HomeModel *m_model;
    int m_changingRows = 0;
    knvt::HomeEntry m_lastSelection;
    bool m_hasSelection = false;
    bool m_restoring = false;
    QPointer<QDialog> m_projectWindowController;
    QPointer<QDialog> m_areaWindowController;
    QPointer<QDialog> m_editProjectWindowController;
    QPointer<QDialog> m_editAreaWindowController;
    QPointer<QDialog> m_taskListSharingSettingsWindowController;
    QPointer<QDialog> m_tagEditWindowController;
};
