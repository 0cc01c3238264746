#include "lists/ItemRowDelegate.h"

#include "lists/ItemRow.h"
#include "lists/KNVTAreaTableCellView.h"
#include "lists/KNVTProjectTableCellView.h"
#include "lists/KNVTTaskTableCellView.h"
#include "lists/RowPainting.h"

#include "uikit/KNVTTableViewGroupRowView.h"

namespace knvt {

ItemRowDelegate::ItemRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent),
      m_header(new KNVTTableViewGroupRowView(this)),
      m_task(new KNVTTaskTableCellView(this)),
      m_project(new KNVTProjectTableCellView(this)),
      m_area(new KNVTAreaTableCellView(this))
{
    connect(m_task, &KNVTTaskTableCellView::checkBoxClicked, this, &ItemRowDelegate::checkBoxClicked);
    connect(m_project, &KNVTProjectTableCellView::checkBoxClicked, this, &ItemRowDelegate::checkBoxClicked);
    connect(m_project, &KNVTProjectTableCellView::archiveButtonClicked, this, &ItemRowDelegate::archiveButtonClicked);
}

QStyledItemDelegate *ItemRowDelegate::delegateFor(const QModelIndex &index) const
{
    const auto *row = index.data(ItemRowRole).value<const ItemRow *>();
    if (!row)
        return m_header;
    switch (row->kind) {
    case ItemRowKind::Header: return m_header;
    case ItemRowKind::Task: return m_task;
    case ItemRowKind::Project: return m_project;
    case ItemRowKind::Area: return m_area;
    }
    return m_header;
}

void ItemRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    delegateFor(index)->paint(painter, option, index);
    drawRowFocus(*painter, option);
}

QSize ItemRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A view without uniform row heights asks every row for its height whenever it lays its rows out: the kind alone
    // answers, where the model gives it, without filling a row that no one looks at.
    const QVariant kind = index.data(ItemRowKindRole);
    const bool header =
        kind.isValid() ? ItemRowKind(kind.toInt()) == ItemRowKind::Header : delegateFor(index) == m_header;
    if (header)
        return QSize(option.rect.width(), KNVTTableViewGroupRowView::rowHeight);
    return QSize(option.rect.width(), m_rowHeight);
}

bool ItemRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    QStyledItemDelegate *delegate = delegateFor(index);
    if (delegate == m_task)
        return static_cast<QAbstractItemDelegate *>(m_task)->editorEvent(event, model, option, index);
    if (delegate == m_project)
        return static_cast<QAbstractItemDelegate *>(m_project)->editorEvent(event, model, option, index);
    return false;
}

} // namespace knvt
