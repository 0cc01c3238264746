#pragma once

#include <QModelIndex>
#include <QPersistentModelIndex>

class QAbstractItemView;

namespace knvt {

// After the selected rows of a list are removed (deleted, or gone from the list), the selection and the keyboard's row
// go to the row that took their place: the next selectable row in the order the list shows them, the last one when
// none follows. Qt moves the keyboard's row to the row above and selects nothing, so that a user working down a list
// with the keys would act next on a row already passed. Every list view holds one and calls it from its own
// rowsAboutToBeRemoved(), before handing on to its base class: only until then does the selection still hold the rows.
class SelectionAfterRemoval
{
public:
    // `amongSiblings`: the row taking the place is one of the removed rows' siblings (a list of places whose sections
    // hold different kinds of them); none when none is left.
    explicit SelectionAfterRemoval(bool amongSiblings = false) : m_amongSiblings(amongSiblings) {}

    void rowsAboutToBeRemoved(QAbstractItemView &view, const QModelIndex &parent, int first, int last);

    // While one with `elsewhere` true lives, the rows removed went by a change made elsewhere (a sync, another
    // program): the selection goes with them and no row takes its place, so that a command meant for the row that
    // went never acts on another one.
    class MadeElsewhere
    {
    public:
        explicit MadeElsewhere(bool elsewhere);
        ~MadeElsewhere();
        MadeElsewhere(const MadeElsewhere &) = delete;
        MadeElsewhere &operator=(const MadeElsewhere &) = delete;

    private:
        bool m_elsewhere;
    };

private:
    void rowsRemoved(QAbstractItemView &view);

    bool m_amongSiblings;
    QPersistentModelIndex m_successor;
    // Where the removed rows stood, for m_amongSiblings.
    QPersistentModelIndex m_parent;
    bool m_underRoot = true;
    // The rows removed were selected, rather than only the keyboard's.
    bool m_selects = false;
    bool m_waiting = false;
};

} // namespace knvt
