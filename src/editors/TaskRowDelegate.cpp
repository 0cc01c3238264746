#include "editors/TaskRowDelegate.h"

#include "editors/KNVTTaskViewModel.h"

#include "uikit/ColorAdditions.h"
#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTCheckBox.h"
#include "uikit/KNVTTableViewGroupRowView.h"
#include "uikit/TextInItsDirection.h"

#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace knvt {

namespace {

using Kind = KNVTTaskViewModel::Kind;

// The grey of captions, user names and dates: the text colour at half strength, which reads on a light and on a
// dark background alike.
QColor secondaryText(const QPalette &palette)
{
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.55f);
    return color;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("KNVTTaskViewController", text);
}

void drawButton(QPainter &painter, const QRect &rect, const QString &title, const QPalette &palette)
{
    painter.save();
    QPainterPath path;
    path.addRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setPen(palette.color(QPalette::Mid));
    painter.setBrush(palette.color(QPalette::Button));
    painter.drawPath(path);
    painter.setFont(KNVTTaskRowLayout::smallFont());
    painter.setPen(palette.color(QPalette::ButtonText));
    painter.drawText(rect, Qt::AlignCenter, title);
    painter.restore();
}

// Full name in bold, "Me" after it when shown, the user name under it.
void drawName(QPainter &painter, const QRect &rect, const KNVTTaskViewModel::Person &person, bool showMe, bool oneLine,
              const QPalette &palette)
{
    painter.save();
    QFont bold = KNVTTaskRowLayout::commentFont();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette.color(QPalette::Text));
    const QFontMetrics boldMetrics(bold);
    const int lineHeight = boldMetrics.height();
    const QRect nameLine(rect.left(), rect.top(), rect.width(), lineHeight);
    const QString name = boldMetrics.elidedText(person.fullName, Qt::ElideRight, rect.width());
    painter.drawText(nameLine, Qt::AlignLeft | Qt::AlignVCenter, name);
    int x = rect.left() + boldMetrics.horizontalAdvance(name) + 6;
    painter.setFont(KNVTTaskRowLayout::smallFont());
    painter.setPen(secondaryText(palette));
    if (showMe) {
        const QString me = tr("Me");
        painter.drawText(QRect(x, rect.top(), rect.right() - x, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, me);
        x += QFontMetrics(KNVTTaskRowLayout::smallFont()).horizontalAdvance(me) + 6;
    }
    const QRect userLine = oneLine ? QRect(x, rect.top(), std::max(0, rect.right() - x), lineHeight)
                                   : QRect(rect.left(), rect.top() + lineHeight, rect.width(), lineHeight);
    painter.drawText(userLine, Qt::AlignLeft | Qt::AlignVCenter, person.username);
    painter.restore();
}

void drawAvatar(QPainter &painter, const QRect &rect, const KNVTTaskViewModel::Person &person)
{
    KNVTAvatarView::draw(painter, QRectF(rect), person.avatar, person.initials);
}

} // namespace

TaskRowDelegate::TaskRowDelegate(Actions actions, KNVTTaskRowLayout::TextHeightCache *cache, QObject *parent)
    : QStyledItemDelegate(parent), m_actions(std::move(actions)), m_cache(cache)
{}

KNVTTaskRowLayout TaskRowDelegate::layoutForIndex(const QModelIndex &index) const
{
    const auto *model = qobject_cast<const KNVTTaskViewModel *>(index.model());
    if (!model || index.row() >= model->rowCount())
        return {};
    return KNVTTaskRowLayout::layoutForRow(model->row(index.row()), m_actions.rowWidth ? m_actions.rowWidth() : 0,
                                           m_cache);
}

QSize TaskRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return QSize(m_actions.rowWidth ? m_actions.rowWidth() : 0, layoutForIndex(index).height);
}

void TaskRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const KNVTTaskViewModel *>(index.model());
    if (!model)
        return;
    const KNVTTaskViewModel::Row &row = model->row(index.row());
    const KNVTTaskRowLayout layout = layoutForIndex(index);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    const QRect rowRect(option.rect.topLeft(), QSize(option.rect.width(), layout.height));
    const QPalette &palette = option.palette;
    // The row under the keyboard focus is framed the desktop's way, so that the arrow keys show where they are.
    const auto drawFocus = [&] {
        if (!(option.state & QStyle::State_HasFocus))
            return;
        QStyleOptionFocusRect focus;
        focus.rect = rowRect.adjusted(1, 1, -1, -1);
        focus.palette = palette;
        focus.state = option.state;
        focus.backgroundColor = palette.color(QPalette::Base);
        const QWidget *widget = option.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    };
    if (row.kind == Kind::Header) {
        KNVTTableViewGroupRowView::drawRow(*painter, QRectF(rowRect), row.text, palette);
        drawFocus();
        painter->restore();
        return;
    }
    painter->fillRect(rowRect, palette.color(QPalette::Base));
    drawFocus();
    painter->translate(option.rect.topLeft());
    const QColor secondary = secondaryText(palette);
    // The model says red for overdue; on a dark background the lighter red of the lists reads better.
    const auto readable = [&](const QColor &color) {
        return color == QColor(Qt::red) ? knvt::overdueColor(palette) : color;
    };
    const QColor textColor = row.textColor.isValid() ? readable(row.textColor) : palette.color(QPalette::Text);
    const auto wrapped = [&](const QFont &font, const QRect &rect, const QColor &color) {
        painter->setFont(font);
        painter->setPen(color);
        knvt::drawWrappedText(*painter, rect, row.text);
    };
    switch (row.kind) {
    case Kind::Title:
        KNVTCheckBox::draw(*painter, QRectF(layout.completedCheckBoxButton), row.checkBoxState, readable(row.tintColor),
                           !row.checkBoxEnabled);
        wrapped(KNVTTaskRowLayout::titleFont(), layout.textRect, textColor);
        break;
    case Kind::TaskList:
        painter->setFont(KNVTTaskRowLayout::notesFont());
        painter->setPen(secondary);
        knvt::drawTextInItsDirection(
            *painter, layout.textRect, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(KNVTTaskRowLayout::notesFont()).elidedText(row.text, Qt::ElideRight, layout.textRect.width()));
        break;
    case Kind::StartDate:
    case Kind::DueDate:
    case Kind::Recurrence:
        painter->setFont(KNVTTaskRowLayout::smallFont());
        painter->setPen(secondary);
        painter->drawText(layout.captionRect, Qt::AlignRight | Qt::AlignVCenter,
                          KNVTTaskViewModel::captionForKind(row.kind));
        painter->setFont(KNVTTaskRowLayout::notesFont());
        painter->setPen(textColor);
        // A date of a right-to-left locale keeps its own order at the start of the column.
        knvt::drawTextInItsDirection(*painter, layout.textRect, Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter,
                                     row.text);
        break;
    case Kind::Notes: wrapped(KNVTTaskRowLayout::notesFont(), layout.textRect, textColor); break;
    case Kind::People:
        painter->setFont(KNVTTaskRowLayout::smallFont());
        painter->setPen(secondary);
        for (size_t i = 0; i < row.people.size() && i < 2; ++i) {
            const QRect caption(layout.avatarRects[i].left(), layout.captionRect.top(), layout.nameRects[i].right(),
                                layout.captionRect.height());
            painter->drawText(caption, Qt::AlignLeft | Qt::AlignVCenter,
                              i == 0 ? KNVTTaskViewModel::creatorCaption() : KNVTTaskViewModel::assigneeCaption());
        }
        for (size_t i = 0; i < row.people.size() && i < 2; ++i) {
            drawAvatar(*painter, layout.avatarRects[i], row.people[i]);
            drawName(*painter, layout.nameRects[i], row.people[i], row.people[i].isMe, false, palette);
        }
        break;
    case Kind::Comment:
    case Kind::MyComment:
        if (!row.people.empty()) {
            drawAvatar(*painter, layout.avatarRects[0], row.people.front());
            // The own row always says "Me"; another person's row only when that person is the local user.
            drawName(*painter, layout.nameRects[0], row.people.front(),
                     row.kind == Kind::MyComment || row.people.front().isMe, true, palette);
        }
        painter->setFont(KNVTTaskRowLayout::smallFont());
        painter->setPen(secondary);
        painter->drawText(layout.dateRect, Qt::AlignRight | Qt::AlignVCenter, row.dateText);
        wrapped(KNVTTaskRowLayout::commentFont(), layout.textRect, textColor);
        if (row.kind == Kind::MyComment) {
            drawButton(*painter, layout.editButton, editTitle(), palette);
            drawButton(*painter, layout.deleteButton, deleteTitle(), palette);
        }
        break;
    case Kind::Header: break;
    }
    painter->restore();
}

QString TaskRowDelegate::editTitle()
{
    return QCoreApplication::translate("KNVTTaskViewController", "Edit");
}

QString TaskRowDelegate::deleteTitle()
{
    return QCoreApplication::translate("KNVTTaskViewController", "Delete");
}

std::vector<TaskRowDelegate::RowAction> TaskRowDelegate::rowActions(const QModelIndex &index,
                                                                    const QPoint &rowOrigin) const
{
    const auto *model = qobject_cast<const KNVTTaskViewModel *>(index.model());
    if (!model || index.row() >= model->rowCount())
        return {};
    const KNVTTaskViewModel::Row &row = model->row(index.row());
    const KNVTTaskRowLayout layout = layoutForIndex(index);
    // The painted controls of the row, each as the click on it would act.
    std::vector<RowAction> actions;
    if (row.kind == Kind::Title && row.checkBoxEnabled) {
        actions.push_back({QAccessibleActionInterface::toggleAction(),
                           actionForClick(index, layout.completedCheckBoxButton.center(), rowOrigin)});
    } else if (row.kind == Kind::MyComment) {
        actions.push_back({editTitle(), actionForClick(index, layout.editButton.center(), rowOrigin)});
        actions.push_back({deleteTitle(), actionForClick(index, layout.deleteButton.center(), rowOrigin)});
    }
    return actions;
}

std::function<void()> TaskRowDelegate::actionForClick(const QModelIndex &index, const QPoint &point,
                                                      const QPoint &rowOrigin) const
{
    const int control = controlAt(index, point);
    if (control == 0)
        return {};
    const KNVTTaskViewModel::Row &row = static_cast<const KNVTTaskViewModel *>(index.model())->row(index.row());
    switch (control) {
    case 1:
        if (!row.checkBoxEnabled)
            return [] {};
        return m_actions.toggleStatus ? m_actions.toggleStatus : [] {};
    case 2:
        return [edit = m_actions.editComment, uri = row.uri,
                button = layoutForIndex(index).editButton.translated(rowOrigin)] {
            if (edit)
                edit(uri, button);
        };
    case 3:
        return [remove = m_actions.deleteComment, uri = row.uri] {
            if (remove)
                remove(uri);
        };
    }
    return {};
}

int TaskRowDelegate::controlAt(const QModelIndex &index, const QPoint &point) const
{
    const auto *model = qobject_cast<const KNVTTaskViewModel *>(index.model());
    if (!model || index.row() >= model->rowCount())
        return 0;
    const KNVTTaskViewModel::Row &row = model->row(index.row());
    const KNVTTaskRowLayout layout = layoutForIndex(index);
    if (row.kind == Kind::Title && layout.completedCheckBoxButton.contains(point))
        return 1;
    if (row.kind == Kind::MyComment && layout.editButton.contains(point))
        return 2;
    if (row.kind == Kind::MyComment && layout.deleteButton.contains(point))
        return 3;
    return 0;
}

bool TaskRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint point = mouse->position().toPoint() - option.rect.topLeft();
    const int control = controlAt(index, point);
    if (type == QEvent::MouseButtonPress) {
        m_pressedRow = control ? QPersistentModelIndex(index) : QPersistentModelIndex();
        m_pressedControl = control;
        return control != 0;
    }
    const bool armed = control != 0 && m_pressedControl == control && m_pressedRow.isValid()
        && m_pressedRow == QPersistentModelIndex(index);
    m_pressedRow = QPersistentModelIndex();
    m_pressedControl = 0;
    if (!armed)
        return control != 0;
    std::function<void()> action = actionForClick(index, point, option.rect.topLeft());
    if (!action)
        return false;
    // Run once the view has finished with the click: the action saves, and the save rebuilds every row.
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
    return true;
}

} // namespace knvt
