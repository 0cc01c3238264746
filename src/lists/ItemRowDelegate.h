#pragma once

#include <QStyledItemDelegate>
#include <QUrl>

class KNVTAreaTableCellView;
class KNVTProjectTableCellView;
class KNVTTableViewGroupRowView;
class KNVTTaskTableCellView;

namespace knvt {

// The one delegate of an item list: each row is painted by the delegate of its kind (section header, task, project
// or area, read from knvt::ItemRowRole), headers 20 px high and item rows as high as the list's row height.
class ItemRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ItemRowDelegate(QObject *parent = nullptr);

    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height) { m_rowHeight = height; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    void checkBoxClicked(const QUrl &uri);
    void archiveButtonClicked(const QUrl &uri);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    QStyledItemDelegate *delegateFor(const QModelIndex &index) const;

    KNVTTableViewGroupRowView *m_header;
    KNVTTaskTableCellView *m_task;
    KNVTProjectTableCellView *m_project;
    KNVTAreaTableCellView *m_area;
    int m_rowHeight = 50;
};

} // namespace knvt
