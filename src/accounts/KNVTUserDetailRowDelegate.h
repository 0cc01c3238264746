#pragma once

#include "accounts/KNVTUserDetailModel.h"
#include "accounts/RowPainting.h"

#include <QStyledItemDelegate>

#include <vector>

// Paints the rows of the people window's detail pane and reports clicks on their buttons: the invite button of an
// invite row, the accept and decline buttons of an invitation row.
class KNVTUserDetailRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Button { InviteButton = 0, AcceptButton = 0, DeclineButton = 1 };

    explicit KNVTUserDetailRowDelegate(QObject *parent = nullptr);

    static int heightForRowKind(KNVTUserDetailModel::RowKind kind);
    // Where the buttons of a row of `kind` at `rect` stand, in the order of Button; none for rows without buttons.
    static std::vector<QRectF> buttonRectsForRow(KNVTUserDetailModel::RowKind kind, const QRectF &rect);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    // `button`: the position in buttonRectsForRow().
    void buttonClicked(const QModelIndex &index, int button);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    knvt::RowButtonTracker m_tracker;
};
