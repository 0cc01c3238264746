#include "accounts/KNVTUserRowDelegate.h"

#include "accounts/RowPainting.h"
#include "accounts/UserRowRoles.h"

#include "uikit/FontAdditions.h"
#include "uikit/KNVTAvatarView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kMargin = 8.0;
constexpr qreal kCheckBoxSide = 18.0;
constexpr qreal kAvatarSide = 32.0;
constexpr qreal kMeLabelWidth = 30.0;
constexpr qreal kMeLabelHeight = 16.0;

} // namespace

KNVTUserRowDelegate::KNVTUserRowDelegate(bool hasCheckBox, QObject *parent)
    : QStyledItemDelegate(parent), m_hasCheckBox(hasCheckBox)
{}

KNVTUserRowDelegate::Layout KNVTUserRowDelegate::layoutForRow(const QRectF &rect, bool hasCheckBox, bool isMe)
{
    Layout layout;
    qreal x = rect.left() + kMargin;
    if (hasCheckBox) {
        layout.checkBox = QRectF(x, rect.center().y() - kCheckBoxSide / 2.0, kCheckBoxSide, kCheckBoxSide);
        x = layout.checkBox.right() + kMargin;
    }
    layout.avatar = QRectF(x, rect.center().y() - kAvatarSide / 2.0, kAvatarSide, kAvatarSide);
    const qreal textLeft = layout.avatar.right() + kMargin;
    qreal textRight = rect.right() - kMargin;
    if (isMe) {
        layout.meLabel =
            QRectF(textRight - kMeLabelWidth, rect.center().y() - kMeLabelHeight / 2.0, kMeLabelWidth, kMeLabelHeight);
        textRight = layout.meLabel.left() - kMargin;
    }
    const qreal width = std::max(0.0, textRight - textLeft);
    layout.fullName = QRectF(textLeft, rect.top() + 5.0, width, 18.0);
    layout.username = QRectF(textLeft, rect.top() + 23.0, width, 15.0);
    return layout;
}

void KNVTUserRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The row's background and selection, without the model's text or check mark.
    opt.text.clear();
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool isMe = index.data(knvt::UserIsMeRole).toBool();
    const Layout layout = layoutForRow(QRectF(option.rect), m_hasCheckBox, isMe);
    const bool selected = option.state.testFlag(QStyle::State_Selected);

    painter->save();
    if (m_hasCheckBox) {
        const bool enabled =
            index.flags().testFlag(Qt::ItemIsUserCheckable) && option.state.testFlag(QStyle::State_Enabled);
        knvt::drawRowCheckBox(*painter, layout.checkBox, index.data(Qt::CheckStateRole).toInt() == Qt::Checked, enabled,
                              option.palette);
    }

    KNVTAvatarView::draw(*painter, layout.avatar, index.data(knvt::UserAvatarImageRole).value<QImage>(),
                         index.data(knvt::UserInitialsRole).toString());

    const QColor textColor = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->setPen(textColor);
    const QFont nameFont = knvt::rowFont(13, true);
    painter->setFont(nameFont);
    const QFontMetricsF nameMetrics(nameFont);
    painter->drawText(
        layout.fullName, Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(index.data(knvt::UserFullNameRole).toString(), Qt::ElideRight, layout.fullName.width()));
    painter->setPen(knvt::secondaryTextColor(option.palette, selected));
    const QFont usernameFont = knvt::rowFont(11);
    painter->setFont(usernameFont);
    const QFontMetricsF usernameMetrics(usernameFont);
    painter->drawText(layout.username, Qt::AlignLeft | Qt::AlignVCenter,
                      usernameMetrics.elidedText(index.data(knvt::UserUsernameRole).toString(), Qt::ElideRight,
                                                 layout.username.width()));

    if (isMe) {
        painter->setRenderHint(QPainter::Antialiasing);
        QPainterPath pill;
        pill.addRoundedRect(layout.meLabel, kMeLabelHeight / 2.0, kMeLabelHeight / 2.0);
        painter->fillPath(pill, knvt::meLabelFill(option.palette, selected));
        painter->setPen(knvt::secondaryTextColor(option.palette, selected));
        painter->drawText(layout.meLabel, Qt::AlignCenter, tr("me"));
    }
    painter->restore();
}

QSize KNVTUserRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // Only the least width: the list stretches its rows to its width, which a vertical scroll bar narrows after the
    // rows were measured; a row as wide as the list was would then scroll sideways and cut the "me" badge.
    return QSize(200, rowHeight);
}

bool KNVTUserRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                      const QModelIndex &index)
{
    if (!m_hasCheckBox || !index.flags().testFlag(Qt::ItemIsUserCheckable))
        return false;
    if (event->type() == QEvent::KeyPress) {
        // Space ticks the row the keyboard is on, as it would a check box.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return true;
    }
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonPress
        && event->type() != QEvent::MouseButtonDblClick) {
        return false;
    }
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const Layout layout = layoutForRow(QRectF(option.rect), true, index.data(knvt::UserIsMeRole).toBool());
    if (mouse->button() != Qt::LeftButton || !layout.checkBox.contains(mouse->position()))
        return false;
    if (event->type() == QEvent::MouseButtonRelease) {
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    return true;
}
