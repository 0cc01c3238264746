#include "uikit/Popover.h"

#include "uikit/FirstTabStop.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/PopoverAccessible.h"
#include "uikit/UnsavedTyping.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

namespace knvt {

bool Popover::animationsEnabled = true;

namespace {

constexpr int ContentMargin = 8;
constexpr int FrameLineWidth = 1;
constexpr int FadeDuration = 150; // milliseconds

// The application's own alerts, sheets and dialogs stand over the form to ask about it or about another window: a
// press in one (Cancel in the question before typing is dropped) is an answer to it, never a press outside the form.
bool isDialogOfTheApplication(const QWidget *widget)
{
    const QWidget *window = widget->window();
    return qobject_cast<const QDialog *>(window) != nullptr || window->windowModality() != Qt::NonModal;
}

} // namespace

Popover::Popover(QWidget *parent) : QFrame(parent)
{
    PopoverAccessible::install();
    // The frame line is painted rather than drawn by QFrame in a palette of its own: a palette set on the popover (or
    // on its content to undo it) is resolved anew for every widget inside, and the style caches the pixmaps of
    // buttons and pop-ups under the palette's key, so every popover opened would leave its own in that cache.
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(FrameLineWidth, FrameLineWidth, FrameLineWidth, FrameLineWidth);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(ContentMargin, ContentMargin, ContentMargin, ContentMargin);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    applyWindowFlags();
}

Popover::~Popover()
{
    if (m_filtering)
        qApp->removeEventFilter(this);
}

void Popover::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    // The palette's mid tone stands out from the window colour under a light and a dark palette alike.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Mid), FrameLineWidth));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void Popover::setContentWidget(QWidget *content)
{
    if (content == m_content)
        return;
    delete m_content;
    m_content = content;
    if (content != nullptr)
        layout()->addWidget(content);
}

QWidget *Popover::contentWidget() const
{
    return m_content;
}

void Popover::setBehavior(Behavior behavior)
{
    if (behavior == m_behavior)
        return;
    m_behavior = behavior;
    if (!m_open)
        applyWindowFlags();
}

void Popover::setDetachFactory(DetachFactory factory)
{
    m_detachFactory = std::move(factory);
}

void Popover::applyWindowFlags()
{
    if (m_behavior == Behavior::Transient) {
        setWindowFlags(Qt::Popup);
        // The press that closes a transient popover must not also act on what lies under it.
        setAttribute(Qt::WA_NoMouseReplay);
    } else {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_NoMouseReplay, false);
    }
}

QRect Popover::placement(const QRect &anchorRect, const QSize &size, const QRect &available)
{
    int x = anchorRect.x() + (anchorRect.width() - size.width()) / 2;
    int y = anchorRect.y() + anchorRect.height();
    const bool roomBelow = y + size.height() <= available.y() + available.height();
    const bool roomAbove = anchorRect.y() - size.height() >= available.y();
    if (!roomBelow && roomAbove)
        y = anchorRect.y() - size.height();
    // Room on neither side (a tall anchor, a row near the bottom of a low screen): the popover stays whole on the
    // screen and covers part of the anchor.
    if (!roomBelow && !roomAbove)
        y = qMax(available.y(), available.y() + available.height() - size.height());
    x = qMin(x, available.x() + available.width() - size.width());
    x = qMax(x, available.x());
    return QRect(QPoint(x, y), size);
}

void Popover::showRelativeTo(const QRect &rect, QWidget *anchor, Opener opener)
{
    if (anchor == nullptr)
        return;
    m_anchor = anchor;
    if (parentWidget() == nullptr) {
        setParent(anchor->window());
        applyWindowFlags();
    } else if (!m_open) {
        applyWindowFlags();
    }

    const QRect local = rect.isEmpty() ? anchor->rect() : rect;
    const QRect anchorRect(anchor->mapToGlobal(local.topLeft()), local.size());
    QScreen *screen = anchor->screen() != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect(anchorRect.topLeft(), QSize(1, 1));
    adjustSize();
    setGeometry(placement(anchorRect, size(), available));

    if (!m_open) {
        m_open = true;
        m_pendingReason = CloseReason::Standard;
        if (m_behavior != Behavior::Transient && !m_filtering) {
            qApp->installEventFilter(this);
            m_filtering = true;
        }
        const bool fade = m_animates && animationsEnabled;
        setWindowOpacity(fade ? 0.0 : 1.0);
        KeyboardOwner::open(this, opener);
        giveFocusToContent();
        if (fade) {
            auto *animation = new QPropertyAnimation(this, "windowOpacity", this);
            animation->setDuration(FadeDuration);
            animation->setStartValue(0.0);
            animation->setEndValue(1.0);
            animation->start(QAbstractAnimation::DeleteWhenStopped);
        }
    }
}

void Popover::giveFocusToContent()
{
    // A popup takes no keyboard focus from the window system: without this the keys would still go to the window
    // under it. The content's own choice stands (a field it focused before it was shown); else its first control.
    if (m_content == nullptr || m_content->isAncestorOf(QApplication::focusWidget()))
        return;
    QWidget *target = focusWidget();
    if (target == nullptr || !isAncestorOf(target) || !target->isVisible() || !target->isEnabled())
        target = firstTabStop(m_content);
    if (target != nullptr)
        target->setFocus(Qt::PopupFocusReason);
}

void Popover::performClose()
{
    if (m_open)
        close();
}

bool Popover::closeUnlessTyping()
{
    if (!m_open)
        return false;
    if (!UnsavedTyping::holdsTyping(this)) {
        close();
        return true;
    }
    comeBack();
    return true;
}

void Popover::comeBack()
{
    if (!m_open)
        return;
    raise();
    activateWindow();
    giveFocusToContent();
}

QWidget *Popover::detach(Opener opener)
{
    if (!m_open || !m_detachFactory)
        return nullptr;
    QWidget *window = m_detachFactory(this);
    if (window == nullptr)
        return nullptr;
    window->move(pos());
    KeyboardOwner::open(window, opener);
    m_pendingReason = CloseReason::Detached;
    close();
    return window;
}

void Popover::finishClose(CloseReason reason)
{
    m_open = false;
    m_dragging = false;
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    m_pendingReason = CloseReason::Standard;
    emit closed(reason);
}

bool Popover::ownsWidget(const QWidget *widget) const
{
    for (const QWidget *w = widget; w != nullptr; w = w->parentWidget()) {
        if (w == this)
            return true;
    }
    return false;
}

bool Popover::eventFilter(QObject *watched, QEvent *event)
{
    if (m_open
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::NonClientAreaMouseButtonPress)) {
        auto *widget = qobject_cast<QWidget *>(watched);
        // A press on the anchor is left to the anchor: its action toggles the popover, and closing here first
        // would make that action open it again.
        const bool onAnchor =
            widget != nullptr && m_anchor != nullptr && (widget == m_anchor || m_anchor->isAncestorOf(widget));
        if (widget != nullptr && !ownsWidget(widget) && !onAnchor && !isDialogOfTheApplication(widget)
            && !UnsavedTyping::holdsTyping(this)) {
            if (parentWidget() != nullptr && widget->window() != parentWidget()->window())
                m_pendingReason = CloseReason::PressInAnotherWindow;
            performClose();
        }
    }
    return QFrame::eventFilter(watched, event);
}

void Popover::closeEvent(QCloseEvent *event)
{
    event->accept();
}

void Popover::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    if (m_open && !event->spontaneous())
        finishClose(m_pendingReason);
}

void Popover::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        performClose();
        return;
    }
    QFrame::keyPressEvent(event);
}

void Popover::mousePressEvent(QMouseEvent *event)
{
    // A pop-up sees every press while it is open: one outside it would close it.
    if (windowType() == Qt::Popup && !rect().contains(event->position().toPoint())
        && UnsavedTyping::holdsTyping(this)) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && isDetachable() && rect().contains(event->position().toPoint())) {
        m_dragging = true;
        m_pressGlobal = event->globalPosition().toPoint();
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void Popover::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging) {
        const QPoint moved = event->globalPosition().toPoint() - m_pressGlobal;
        if (moved.manhattanLength() >= DetachDistance) {
            m_dragging = false;
            if (QWidget *window = detach(Opener::User))
                window->move(window->pos() + moved);
        }
        event->accept();
        return;
    }
    QFrame::mouseMoveEvent(event);
}

void Popover::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}

} // namespace knvt
