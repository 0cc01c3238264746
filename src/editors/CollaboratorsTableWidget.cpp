#include "editors/CollaboratorsTableWidget.h"

#include "model/KNVTCDTaskStoreObject.h"

#include <QHeaderView>

namespace knvt {

CollaboratorsTableWidget::CollaboratorsTableWidget(RowsMimeData rowsMimeData, QWidget *parent)
    : QTableWidget(parent), m_rowsMimeData(std::move(rowsMimeData))
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the window's buttons; the arrows move between its rows.
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
}

QStringList CollaboratorsTableWidget::mimeTypes() const
{
    return {QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI), QStringLiteral("text/plain")};
}

QMimeData *CollaboratorsTableWidget::mimeData(const QList<QTableWidgetItem *> &items) const
{
    QList<int> rows;
    for (const QTableWidgetItem *item : items) {
        if (!rows.contains(item->row()))
            rows.append(item->row());
    }
    std::sort(rows.begin(), rows.end());
    return m_rowsMimeData ? m_rowsMimeData(rows) : nullptr;
}

} // namespace knvt
