#include "accounts/KNVTUserDetailRowDelegate.h"

#include "accounts/PaintedRowList.h"
#include "accounts/RowPainting.h"
#include "accounts/UserRowRoles.h"

#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTTableViewGroupRowView.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

using Kind = KNVTUserDetailModel::RowKind;

constexpr qreal kButtonWidth = 96.0;
constexpr qreal kButtonHeight = 28.0;
constexpr qreal kButtonGap = 12.0;
constexpr qreal kAvatarSide = 56.0;

Kind kindOf(const QModelIndex &index)
{
    return Kind(index.data(KNVTUserDetailModel::RowKindRole).toInt());
}

} // namespace

KNVTUserDetailRowDelegate::KNVTUserDetailRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

int KNVTUserDetailRowDelegate::heightForRowKind(KNVTUserDetailModel::RowKind kind)
{
    switch (kind) {
    case Kind::Header: return 80;
    case Kind::Group: return KNVTTableViewGroupRowView::rowHeight;
    case Kind::TaskList: return 26;
    case Kind::Invited: return 40;
    case Kind::Invite:
    case Kind::AcceptOrDecline: return 48;
    }
    return 26;
}

std::vector<QRectF> KNVTUserDetailRowDelegate::buttonRectsForRow(KNVTUserDetailModel::RowKind kind, const QRectF &rect)
{
    const qreal top = rect.center().y() - kButtonHeight / 2.0;
    if (kind == Kind::Invite)
        return {QRectF(rect.center().x() - kButtonWidth / 2.0, top, kButtonWidth, kButtonHeight)};
    if (kind == Kind::AcceptOrDecline) {
        const qreal left = rect.center().x() - kButtonWidth - kButtonGap / 2.0;
        return {QRectF(left, top, kButtonWidth, kButtonHeight),
                QRectF(left + kButtonWidth + kButtonGap, top, kButtonWidth, kButtonHeight)};
    }
    return {};
}

void KNVTUserDetailRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    const Kind kind = kindOf(index);
    const QRectF rect(option.rect);
    painter->save();
    knvt::drawRowFocus(*painter, option);
    painter->setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case Kind::Header: {
        const QRectF avatar(rect.left() + 16.0, rect.center().y() - kAvatarSide / 2.0, kAvatarSide, kAvatarSide);
        KNVTAvatarView::draw(*painter, avatar, index.data(knvt::UserAvatarImageRole).value<QImage>(),
                             index.data(knvt::UserInitialsRole).toString(), 2.0);
        const qreal textLeft = avatar.right() + 14.0;
        const QRectF name(textLeft, rect.top() + 18.0, rect.right() - textLeft - 12.0, 22.0);
        const QRectF username(textLeft, name.bottom() + 2.0, name.width(), 18.0);
        painter->setFont(knvt::rowFont(17, true));
        painter->setPen(option.palette.color(QPalette::Text));
        const QString fullName = index.data(knvt::UserFullNameRole).toString();
        painter->drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetricsF(painter->font()).elidedText(fullName, Qt::ElideRight, name.width() - 40.0));
        if (index.data(knvt::UserIsMeRole).toBool()) {
            const qreal nameWidth =
                std::min(QFontMetricsF(painter->font()).horizontalAdvance(fullName), name.width() - 40.0);
            const QRectF pill(name.left() + nameWidth + 8.0, name.center().y() - 8.0, 30.0, 16.0);
            QPainterPath path;
            path.addRoundedRect(pill, 8.0, 8.0);
            painter->fillPath(path, knvt::meLabelFill(option.palette));
            painter->setFont(knvt::rowFont(11));
            painter->setPen(knvt::secondaryTextColor(option.palette));
            painter->drawText(pill, Qt::AlignCenter, tr("me"));
        }
        painter->setFont(knvt::rowFont(12));
        painter->setPen(knvt::secondaryTextColor(option.palette));
        painter->drawText(username, Qt::AlignLeft | Qt::AlignVCenter, index.data(knvt::UserUsernameRole).toString());
        break;
    }
    case Kind::Group: KNVTTableViewGroupRowView::drawRow(*painter, rect, index.data(Qt::DisplayRole).toString()); break;
    case Kind::TaskList:
        painter->setFont(knvt::rowFont(13));
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(rect.adjusted(24.0, 0.0, -12.0, 0.0), Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetricsF(painter->font())
                              .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, rect.width() - 36.0));
        break;
    case Kind::Invited:
        painter->setFont(knvt::rowFont(12));
        painter->setPen(knvt::secondaryTextColor(option.palette));
        painter->drawText(rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
        break;
    case Kind::Invite:
    case Kind::AcceptOrDecline: {
        const std::vector<QRectF> buttons = buttonRectsForRow(kind, rect);
        const QStringList titles = knvt::PaintedRowList::rowActions(index);
        for (size_t i = 0; i < buttons.size() && qsizetype(i) < titles.size(); ++i) {
            knvt::drawRowButton(*painter, buttons[i], titles.value(qsizetype(i)), m_tracker.isPressed(index, int(i)),
                                option.widget, index.flags().testFlag(Qt::ItemIsEnabled));
        }
        break;
    }
    }
    painter->restore();
}

QSize KNVTUserDetailRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QSize(std::max(option.rect.width(), 200), heightForRowKind(kindOf(index)));
}

bool KNVTUserDetailRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                            const QModelIndex &index)
{
    const Kind kind = kindOf(index);
    if (!index.flags().testFlag(Qt::ItemIsEnabled))
        return false;
    bool consumed = false;
    const std::optional<int> clicked =
        m_tracker.handle(event, index, buttonRectsForRow(kind, QRectF(option.rect)), &consumed);
    if (consumed && option.widget)
        const_cast<QWidget *>(option.widget)->update();
    if (clicked)
        emit buttonClicked(index, *clicked);
    return consumed;
}
