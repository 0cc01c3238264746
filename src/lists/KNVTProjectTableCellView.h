#pragma once

#include "lists/ItemRow.h"
#include "lists/RowTextField.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStyledItemDelegate>

// The row of a project: the completion box (after a start date that has not come yet), the title over the item
// count, the due date at the right, and an archive button for a closed project that can be archived. A delegate
// over the model's knvt::ItemRow; layoutForProject() is the pure layout that tests read.
class KNVTProjectTableCellView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Layout
    {
        QRectF checkBoxFrame;
        int checkBoxState = 0;
        bool checkBoxEnabled = true;
        knvt::RowTextField title;
        knvt::RowTextField subtitle;
        knvt::RowTextField startDate;
        knvt::RowTextField dueDate;
        knvt::RowTextField completedDate;
        QRectF archiveButtonFrame;
        bool archiveButtonHidden = true;
        QColor backgroundColor;
    };

    explicit KNVTProjectTableCellView(QObject *parent = nullptr);

    // The colours come from `palette` (the list's).
    static Layout layoutForProject(const knvt::ItemRow &row, qreal width, const QDateTime &now, bool emphasized = false,
                                   const QPalette &palette = QGuiApplication::palette());
    // Whether the row shows the archive button: a closed project I may edit that is not archived yet.
    static bool showsArchiveButton(const knvt::ItemRow &row);
    // The short date of a project's start and due date.
    static QString mediumDateString(const QDateTime &date);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    void checkBoxClicked(const QUrl &uri);
    void archiveButtonClicked(const QUrl &uri);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
