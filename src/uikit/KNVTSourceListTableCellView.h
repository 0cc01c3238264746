#pragma once

#include "uikit/ItemDataRole.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRectF>
#include <QStyledItemDelegate>

// A row of the home source list: an icon, a title, an optional count badge on the right and, for shared task lists,
// a small sharing button at the right edge. A delegate over the row's model data, so that the list paints its rows
// without a widget each; the geometry is a pure function of the row's size and content.
//
// Model data of a row: the title (Qt::DisplayRole), the icon (Qt::DecorationRole: QIcon, QPixmap or QImage; an icon
// in mask mode is drawn in the text colour), the badge text (LabelTextRole, a string; empty for none) and whether
// the sharing button is shown (ShowsSharedIconButtonRole, a bool). A click on the sharing button does not select
// the row; it emits sharedIconButtonClicked().
class KNVTSourceListTableCellView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Role : int {
        LabelTextRole = Qt::UserRole + 0x5105,
        ShowsSharedIconButtonRole,
    };

    struct Layout
    {
        QRectF iconFrame;
        QRectF titleFrame;
        QRectF labelFrame;
        bool labelHidden = true;
        // Empty when the row has no sharing button.
        QRectF sharedIconButtonFrame;
    };

    explicit KNVTSourceListTableCellView(QObject *parent = nullptr);

    static constexpr int rowHeight = 20;

    static QFont titleFont();
    static QFont labelFont();
    // The badge text's colour: faint grey, or the selected text colour of `palette` in a selected row.
    static QColor labelTextColor(bool selected, const QPalette &palette);
    static QColor badgeBlueColor();
    static QColor badgeWhiteColor();

    // The width the badge text takes, with 5 px on either side; 10 for no text.
    static qreal labelTextFieldWidthForString(const QString &string);
    // The width the badge takes in the row.
    static qreal labelViewWidthForString(const QString &string);

    // Where the parts of a row `size` big stand, relative to its top left corner.
    static Layout layoutForSize(const QSizeF &size, bool hasIcon, const QString &labelText, bool showsSharedIconButton);
    // The layout of `index`'s row inside `rect`, in the same coordinates as `rect`.
    static Layout layoutForIndex(const QModelIndex &index, const QRect &rect);

    static QIcon sharedIconButtonImage();

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    void sharedIconButtonClicked(const QModelIndex &index);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
