#pragma once

#include "lists/AccessibleItemView.h"
#include "uikit/SelectionAfterRemoval.h"

#include <QPointer>
#include <QTreeView>

class KNVTHomeViewController;

// The home list's view: sections as group rows (Focus without a disclosure control), entries painted as source-list
// rows. One entry at a time is selected, or several tags; group rows never are. Keys: Tab and Back-tab go to the host,
// the arrows pass over the group rows, a plain click chooses a project, area or tag when the button comes up (a press
// that moves on drags it instead), Ctrl+Space does
// nothing, Ctrl+I shows the selected project or area, Ctrl+Backspace deletes it, Return and Enter edit it. The
// context menu and drops are the controller's.
class KNVTHomeOutlineView : public QTreeView, public knvt::AccessibleItemView
{
    Q_OBJECT

public:
    explicit KNVTHomeOutlineView(QWidget *parent = nullptr);

    KNVTHomeViewController *homeViewController() const { return m_controller; }
    void setHomeViewController(KNVTHomeViewController *controller) { m_controller = controller; }

    // Whether the press that began the current click landed on the one entry already chosen.
    bool pressedChosenEntry() const { return m_pressedChosenEntry; }

    // ---- knvt::AccessibleItemView: the list "Home", a tree whose sections open and close; a shared entry's sharing
    // button is the entry's Sharing Settings action ------------------------------------------------------------
    QString accessibleListName() const override;
    QAccessible::Role accessibleListRole() const override { return QAccessible::Tree; }
    // False for the Focus section, which always stays open.
    bool isRowCollapsible(const QModelIndex &index) const override;
    QStringList accessibleActionNames(const QModelIndex &row) const override;
    void performAccessibleAction(const QModelIndex &row, const QString &name) override;

protected:
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    // Up, Down, Home, End and the page keys pass over the section headers; Left from an entry goes to its section's
    // header, where Left and Right close and open the section.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // A press on an entry not chosen yet drags that entry alone.
    void startDrag(Qt::DropActions supportedActions) override;

private:
    // Its sections hold different kinds of places: a deleted project's place goes to another project.
    knvt::SelectionAfterRemoval m_selectionAfterRemoval{/*amongSiblings=*/true};
    bool isTagRow(const QModelIndex &index) const;

    // Where a drop at `position` goes: the row's index and -1 onto a row, or the section and a child index
    // between two of its rows.
    std::pair<QModelIndex, int> dropTarget(const QPoint &position) const;

    QPointer<KNVTHomeViewController> m_controller;
    bool m_pressedChosenEntry = false;
    // A plain press on a draggable entry that is not chosen chooses it only when the button comes up without a drag,
    // so that dragging a tag or list onto the centre list leaves the centre list where it is.
    mutable QPersistentModelIndex m_pressedUnchosenEntry;
    QPoint m_pressPosition;
};
