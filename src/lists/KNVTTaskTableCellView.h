#pragma once

#include "lists/ItemRow.h"
#include "lists/RowTextField.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStyledItemDelegate>

// The row of a task in every list: the round completion box at the left, the title with the task's list above it, a
// start or completion date before the title, the due date and the assignee's avatar at the right, and the notes
// below, which only tall rows show. A delegate over the model's knvt::ItemRow; the geometry, texts and colours come
// from layoutForTask(), a pure function that tests call without painting.
class KNVTTaskTableCellView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Layout
    {
        QRectF checkBoxFrame;
        int checkBoxState = 0;
        QColor checkBoxTintColor;
        bool checkBoxEnabled = true;
        knvt::RowTextField title;
        knvt::RowTextField subtitle;
        knvt::RowTextField startDate;
        knvt::RowTextField dueDate;
        knvt::RowTextField completedDate;
        knvt::RowTextField notes;
        QRectF avatarFrame;
        bool avatarHidden = true;
        // The row's own background, under an unselected row.
        QColor backgroundColor;
    };

    explicit KNVTTaskTableCellView(QObject *parent = nullptr);

    // The whole row `width` wide for a task as `row` holds it, at `now`; `emphasized` is the look of a selected row.
    // The colours come from `palette` (the list's).
    static Layout layoutForTask(const knvt::ItemRow &row, qreal width, const QDateTime &now, bool emphasized = false,
                                const QPalette &palette = QGuiApplication::palette());
    // Draws, off screen, the text of a task without notes in its own font (italic, which nothing else uses). The
    // first text in a font the session has not used loads that font, 14 to 20 ms: called as the window opens, that is
    // paid there rather than by the first list showing such a task, often the first search's results. Starts the
    // lookup of the fallback fonts of the rows' fonts off the window's thread as well.
    static void prepareFonts();
    // Lays out, on the calling thread, the first script of the texts a row `height` high shows for `row` that the
    // thread has not laid out yet in the font that shows it (knvt::prepareFallbackFontOnThisThread), and answers
    // whether there was one: a list calls it a turn at a time before such rows reach the screen, so that their first
    // paint finds the fallback fonts of their scripts open.
    static bool prepareFallbackFontOfRow(const knvt::ItemRow &row, int height);
    // The width a date text takes in the row: its advance plus 10, and 0 for no text.
    static qreal widthForString(const QString &string, const QFont &font);

    static QColor todayTintColor();
    // The link colour, faded towards the background.
    static QColor startDateColor(const QPalette &palette = QGuiApplication::palette());
    // The alternate background of the palette, which sets closed items apart.
    static QColor closedBackgroundColor(const QPalette &palette = QGuiApplication::palette());

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    // The completion box of the row showing `uri` was pressed (an enabled box only).
    void checkBoxClicked(const QUrl &uri);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
