#include "uikit/KNVTSourceListTableCellView.h"

#include "uikit/FontAdditions.h"
#include "uikit/ImageAdditions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kIconSide = 16.0;
constexpr qreal kIconTitleX = 20.0;
constexpr qreal kSharedIconSpace = 14.0;
constexpr qreal kSharedIconSide = 12.0;
// The title keeps this distance from its frame's ends, as a text field's cell does.
constexpr qreal kTextInset = 2.0;

QIcon iconFromVariant(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QIcon: return value.value<QIcon>();
    case QMetaType::QPixmap: return QIcon(value.value<QPixmap>());
    case QMetaType::QImage: return QIcon(QPixmap::fromImage(value.value<QImage>()));
    default: return QIcon();
    }
}

bool isSelected(const QStyleOptionViewItem &option)
{
    return option.state.testFlag(QStyle::State_Selected);
}

} // namespace

KNVTSourceListTableCellView::KNVTSourceListTableCellView(QObject *parent) : QStyledItemDelegate(parent) {}

QFont KNVTSourceListTableCellView::titleFont()
{
    return knvt::rowFont(12);
}

QFont KNVTSourceListTableCellView::labelFont()
{
    return knvt::rowFont(12, true);
}

QColor KNVTSourceListTableCellView::labelTextColor(bool selected, const QPalette &palette)
{
    if (selected)
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    // The text colour, faint: light text on a dark palette needs more of it to read.
    QColor faint = palette.color(QPalette::Active, QPalette::Text);
    faint.setAlphaF(faint.lightnessF() < 0.5f ? 0.26f : 0.5f);
    return faint;
}

QColor KNVTSourceListTableCellView::badgeBlueColor()
{
    return QColor::fromRgbF(0.7f, 0.75f, 0.85f, 1.0f);
}

QColor KNVTSourceListTableCellView::badgeWhiteColor()
{
    return QColor(Qt::white);
}

qreal KNVTSourceListTableCellView::labelTextFieldWidthForString(const QString &string)
{
    if (string.isNull())
        return 10.0;
    return QFontMetricsF(titleFont()).horizontalAdvance(string) + 10.0;
}

qreal KNVTSourceListTableCellView::labelViewWidthForString(const QString &string)
{
    return labelTextFieldWidthForString(string) + 2.0;
}

KNVTSourceListTableCellView::Layout KNVTSourceListTableCellView::layoutForSize(const QSizeF &size, bool hasIcon,
                                                                               const QString &labelText,
                                                                               bool showsSharedIconButton)
{
    const qreal width = size.width();
    const qreal labelWidth = labelText.isEmpty() ? 0.0 : labelViewWidthForString(labelText);
    const qreal sharedSpace = showsSharedIconButton ? kSharedIconSpace : 0.0;

    Layout layout;
    layout.iconFrame = QRectF(0.0, 2.0, kIconSide, kIconSide);
    const qreal titleX = hasIcon ? kIconTitleX : 0.0;
    layout.titleFrame = QRectF(titleX, 0.0, width - titleX - labelWidth - sharedSpace, size.height());
    layout.labelFrame = QRectF(width - labelWidth - sharedSpace, 2.0, labelWidth, 16.0);
    layout.labelHidden = labelText.isEmpty();
    if (showsSharedIconButton)
        layout.sharedIconButtonFrame = QRectF(width - kSharedIconSide, 4.0, kSharedIconSide, kSharedIconSide);
    return layout;
}

KNVTSourceListTableCellView::Layout KNVTSourceListTableCellView::layoutForIndex(const QModelIndex &index,
                                                                                const QRect &rect)
{
    Layout layout = layoutForSize(QSizeF(rect.size()), !iconFromVariant(index.data(Qt::DecorationRole)).isNull(),
                                  index.data(LabelTextRole).toString(), index.data(ShowsSharedIconButtonRole).toBool());
    const QPointF origin = rect.topLeft();
    layout.iconFrame.translate(origin);
    layout.titleFrame.translate(origin);
    layout.labelFrame.translate(origin);
    if (!layout.sharedIconButtonFrame.isNull())
        layout.sharedIconButtonFrame.translate(origin);
    return layout;
}

QIcon KNVTSourceListTableCellView::sharedIconButtonImage()
{
    return knvt::templateImageFromMainBundleWithName(QStringLiteral("SL_SharingTemplate"));
}

void KNVTSourceListTableCellView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    background.features &= ~QStyleOptionViewItem::HasDisplay & ~QStyleOptionViewItem::HasDecoration;
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = isSelected(option);
    const QColor textColor =
        option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
    const QIcon icon = iconFromVariant(index.data(Qt::DecorationRole));
    const Layout layout = layoutForIndex(index, option.rect);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    knvt::drawIcon(*painter, icon, layout.iconFrame, textColor, selected ? QIcon::Selected : QIcon::Normal);

    const QRectF titleText = layout.titleFrame.adjusted(kTextInset, 0.0, -kTextInset, 0.0);
    if (titleText.width() > 0.0) {
        QString title = index.data(Qt::DisplayRole).toString();
        title.replace(QLatin1Char('\n'), QLatin1Char(' '));
        painter->setFont(titleFont());
        painter->setPen(textColor);
        painter->drawText(titleText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          QFontMetricsF(titleFont()).elidedText(title, Qt::ElideRight, titleText.width()));
    }

    if (!layout.labelHidden) {
        painter->setFont(labelFont());
        painter->setPen(labelTextColor(selected, option.palette));
        painter->drawText(layout.labelFrame, Qt::AlignCenter | Qt::TextSingleLine,
                          index.data(LabelTextRole).toString());
    }

    if (!layout.sharedIconButtonFrame.isNull()) {
        QIcon sharing = sharedIconButtonImage();
        knvt::drawIcon(*painter, sharing, layout.sharedIconButtonFrame, textColor, QIcon::Normal);
    }
    painter->restore();
}

QSize KNVTSourceListTableCellView::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const bool hasIcon = !iconFromVariant(index.data(Qt::DecorationRole)).isNull();
    const QString labelText = index.data(LabelTextRole).toString();
    const qreal width = (hasIcon ? kIconTitleX : 0.0) + 2 * kTextInset
        + QFontMetricsF(titleFont()).horizontalAdvance(index.data(Qt::DisplayRole).toString())
        + (labelText.isEmpty() ? 0.0 : labelViewWidthForString(labelText))
        + (index.data(ShowsSharedIconButtonRole).toBool() ? kSharedIconSpace : 0.0);
    return QSize(int(std::ceil(width)), rowHeight);
}

// The sharing button takes its clicks for itself: they neither select the row nor start a drag.
bool KNVTSourceListTableCellView::editorEvent(QEvent *event, QAbstractItemModel *model,
                                              const QStyleOptionViewItem &option, const QModelIndex &index)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Layout layout = layoutForIndex(index, option.rect);
        if (layout.sharedIconButtonFrame.isNull() || !layout.sharedIconButtonFrame.contains(mouse->position()))
            break;
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
            emit sharedIconButtonClicked(index);
        return true;
    }
    default: break;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
