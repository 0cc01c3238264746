#include "uikit/SecondClickGuard.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

#include <utility>

namespace knvt {

SecondClickGuard::SecondClickGuard(QAbstractItemView *view, ButtonHitTest onButton)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_onButton(std::move(onButton))
{
    view->viewport()->installEventFilter(this);
}

SecondClickGuard *SecondClickGuard::install(QAbstractItemView *view, ButtonHitTest onButton)
{
    return new SecondClickGuard(view, std::move(onButton));
}

bool SecondClickGuard::isSecondClick(const QMouseEvent &press) const
{
    // Events made up by the program carry no time.
    if (!m_lastRelease || press.timestamp() == 0)
        return false;
    const QStyleHints *hints = QGuiApplication::styleHints();
    return press.timestamp() - m_lastRelease->timestamp < ulong(hints->mouseDoubleClickInterval())
        && (press.position().toPoint() - m_lastRelease->position).manhattanLength()
        <= hints->mouseDoubleClickDistance();
}

bool SecondClickGuard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return false;
    if (watched != m_viewport)
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint position = mouse->position().toPoint();
    const QModelIndex row = m_view->indexAt(position).siblingAtColumn(0);
    if (type == QEvent::MouseButtonRelease) {
        m_lastRelease = Release{mouse->timestamp(), position};
        return std::exchange(m_swallowingRelease, false);
    }
    // The window system may hand the second click over as a press, a double click or both.
    const bool second = type == QEvent::MouseButtonDblClick || isSecondClick(*mouse);
    if (!second) {
        m_firstClickRow = row;
        m_swallowingRelease = false;
        return false;
    }
    const bool otherRow = row != QModelIndex(m_firstClickRow);
    if (!otherRow && !(m_onButton && row.isValid() && m_onButton(row, position)))
        return false;
    m_swallowingRelease = true;
    return true;
}

} // namespace knvt
