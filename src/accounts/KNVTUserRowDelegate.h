#pragma once

#include <QRectF>
#include <QStyledItemDelegate>

// A person's row in the people lists, painted: an optional check box, the avatar (picture or initials), the full
// name, the user name below it in the palette's quiet grey (the highlighted text on a selected row) and a "me" label
// on the local user's row. Clicking the check box of a row that may be ticked, or Space on it, toggles the row's check
// state in the model.
class KNVTUserRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 44;

    struct Layout
    {
        QRectF checkBox; // empty without a check box
        QRectF avatar;
        QRectF fullName;
        QRectF username;
        QRectF meLabel; // empty on other people's rows
    };

    explicit KNVTUserRowDelegate(bool hasCheckBox, QObject *parent = nullptr);

    bool hasCheckBox() const { return m_hasCheckBox; }

    // Where everything stands in a row at `rect`.
    static Layout layoutForRow(const QRectF &rect, bool hasCheckBox, bool isMe);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    bool m_hasCheckBox;
};
