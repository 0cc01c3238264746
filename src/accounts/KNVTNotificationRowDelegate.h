#pragma once

#include "accounts/KNVTNotificationsModel.h"
#include "accounts/RowPainting.h"

#include <QStyledItemDelegate>

#include <vector>

// Paints the notifications popover's rows: section headers, invitations from people (avatar and names) and pending
// projects and areas (title and owner), each invitation with accept and decline buttons, whose clicks it reports.
// Selected rows look like the others.
class KNVTNotificationRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Button { AcceptButton = 0, DeclineButton = 1 };
    static constexpr int itemRowHeight = 50;

    explicit KNVTNotificationRowDelegate(QObject *parent = nullptr);

    // Where the accept and decline buttons of an item row at `rect` stand, in the order of Button.
    static std::vector<QRectF> buttonRectsForRow(const QRectF &rect);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    void buttonClicked(const QModelIndex &index, int button);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    knvt::RowButtonTracker m_tracker;
};
