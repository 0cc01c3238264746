#include "accounts/KNVTNotificationRowDelegate.h"

#include "accounts/PaintedRowList.h"
#include "accounts/UserRowRoles.h"

#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTTableViewGroupRowView.h"

#include <QApplication>
#include <QPainter>

namespace {

using Kind = KNVTNotificationsModel::RowKind;

constexpr qreal kButtonWidth = 68.0;
constexpr qreal kButtonHeight = 24.0;
constexpr qreal kButtonGap = 6.0;
constexpr qreal kMargin = 10.0;
constexpr qreal kAvatarSide = 34.0;

Kind kindOf(const QModelIndex &index)
{
    return Kind(index.data(KNVTNotificationsModel::RowKindRole).toInt());
}

} // namespace

KNVTNotificationRowDelegate::KNVTNotificationRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

std::vector<QRectF> KNVTNotificationRowDelegate::buttonRectsForRow(const QRectF &rect)
{
    const qreal top = rect.center().y() - kButtonHeight / 2.0;
    const QRectF decline(rect.right() - kMargin - kButtonWidth, top, kButtonWidth, kButtonHeight);
    const QRectF accept(decline.left() - kButtonGap - kButtonWidth, top, kButtonWidth, kButtonHeight);
    return {accept, decline};
}

void KNVTNotificationRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    const QRectF rect(option.rect);
    const Kind kind = kindOf(index);
    if (kind == Kind::Header) {
        KNVTTableViewGroupRowView::drawRow(*painter, rect, index.data(Qt::DisplayRole).toString());
        return;
    }
    painter->save();
    knvt::drawRowFocus(*painter, option);
    painter->setRenderHint(QPainter::Antialiasing);
    const std::vector<QRectF> buttons = buttonRectsForRow(rect);
    qreal textLeft = rect.left() + kMargin;
    if (kind == Kind::Friendship) {
        const QRectF avatar(textLeft, rect.center().y() - kAvatarSide / 2.0, kAvatarSide, kAvatarSide);
        KNVTAvatarView::draw(*painter, avatar, index.data(knvt::UserAvatarImageRole).value<QImage>(),
                             index.data(knvt::UserInitialsRole).toString());
        textLeft = avatar.right() + 8.0;
    }
    const qreal textWidth = std::max(0.0, buttons.front().left() - 8.0 - textLeft);
    const QRectF first(textLeft, rect.top() + 8.0, textWidth, 18.0);
    const QRectF second(textLeft, first.bottom() + 1.0, textWidth, 15.0);
    const QString firstText = kind == Kind::Friendship ? index.data(knvt::UserFullNameRole).toString()
                                                       : index.data(Qt::DisplayRole).toString();
    const QString secondText = kind == Kind::Friendship ? index.data(knvt::UserUsernameRole).toString()
                                                        : index.data(KNVTNotificationsModel::OwnerNameRole).toString();
    painter->setFont(knvt::rowFont(13, true));
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetricsF(painter->font()).elidedText(firstText, Qt::ElideRight, first.width()));
    painter->setFont(knvt::rowFont(11));
    painter->setPen(knvt::secondaryTextColor(option.palette));
    painter->drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetricsF(painter->font()).elidedText(secondText, Qt::ElideRight, second.width()));
    const QStringList titles = knvt::PaintedRowList::rowActions(index);
    for (size_t i = 0; i < buttons.size() && qsizetype(i) < titles.size(); ++i)
        knvt::drawRowButton(*painter, buttons[i], titles[qsizetype(i)], m_tracker.isPressed(index, int(i)),
                            option.widget);
    painter->restore();
}

QSize KNVTNotificationRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int height = kindOf(index) == Kind::Header ? KNVTTableViewGroupRowView::rowHeight : itemRowHeight;
    return QSize(std::max(option.rect.width(), 200), height);
}

bool KNVTNotificationRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                              const QModelIndex &index)
{
    if (kindOf(index) == Kind::Header)
        return false;
    bool consumed = false;
    const std::optional<int> clicked =
        m_tracker.handle(event, index, buttonRectsForRow(QRectF(option.rect)), &consumed);
    if (consumed && option.widget)
        const_cast<QWidget *>(option.widget)->update();
    if (clicked)
        emit buttonClicked(index, *clicked);
    return consumed;
}
