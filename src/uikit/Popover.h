#pragma once

#include "foundation/Opener.h"

#include <QFrame>
#include <QPointer>
#include <QRect>

#include <functional>

namespace knvt {

// A small floating panel shown next to a control: below the anchor rectangle, centred on it, and above it when
// there is no room below. A transient popover is a pop-up: it closes on any press outside it, and whenever an alert or
// another modal window opens. A semi-transient one stays open while the user works in other windows of its own (menus,
// nested popovers) and in the application's alerts, sheets and dialogs, and closes on a press anywhere else: a popover
// holding a form the user types into is semi-transient, so that a question about it never drops it. Neither kind
// closes on a press outside while it holds typing (UnsavedTyping): a stray click must not drop what was typed.
// Escape closes either kind. A popover opens, and a detached one's window too, through KeyboardOwner as its opener
// says (the user's use of the control it stands at, as a rule), and gives the keyboard focus to its content: to the
// control the content focused, else to its first control. A detachable popover can be dragged off by its background: the window made by the
// detach factory takes its place and the popover closes with reason Detached.
class Popover : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(Behavior behavior READ behavior WRITE setBehavior)
    Q_PROPERTY(bool animates READ animates WRITE setAnimates)
    Q_PROPERTY(bool shown READ isShown)
    Q_PROPERTY(bool detachable READ isDetachable)

public:
    // How the popover closes; callers store and pass these numbers.
    enum class Behavior { ApplicationDefined = 0, Transient = 1, SemiTransient = 2 };
    Q_ENUM(Behavior)
    // PressInAnotherWindow: the user pressed in another window of the application, which the keyboard goes to with the
    // press: the popover's window does not take it back.
    enum class CloseReason { Standard, Detached, PressInAnotherWindow };
    Q_ENUM(CloseReason)

    // Builds the window for a detach; nullptr refuses the detach. Called with the popover.
    using DetachFactory = std::function<QWidget *(Popover *)>;

    // `parent` is the window the popover belongs to; it is usually the anchor's window and may be left out, in
    // which case showRelativeTo() takes the anchor's window.
    explicit Popover(QWidget *parent = nullptr);
    ~Popover() override;

    // Takes ownership of `content` (the previous content is deleted); the popover sizes itself to its size hint.
    void setContentWidget(QWidget *content);
    QWidget *contentWidget() const;

    Behavior behavior() const { return m_behavior; }
    // Takes effect on the next show.
    void setBehavior(Behavior behavior);

    bool animates() const { return m_animates; }
    void setAnimates(bool animates) { m_animates = animates; }

    void setDetachFactory(DetachFactory factory);
    bool isDetachable() const { return static_cast<bool>(m_detachFactory); }

    // Shows the popover at `rect` of `anchor` (anchor coordinates; an empty rect means the anchor's whole rect), opened
    // as `opener` says. Showing a popover that is shown moves it to the new anchor.
    void showRelativeTo(const QRect &rect, QWidget *anchor, Opener opener);
    bool isShown() const { return isVisible(); }
    QWidget *anchor() const { return m_anchor; }

    // Closes with reason Standard; nothing when not shown.
    void performClose();
    // A second use of the command that opened the popover: it closes, unless it holds typing, which only Escape or
    // the form's own Cancel drops; then it stays and the keyboard goes back into it. False when it was not shown.
    bool closeUnlessTyping();
    // The shown popover comes to the front with the keyboard in its content, where the user left it.
    void comeBack();

    // Makes the detach window, moves it where the popover stands, shows it as `opener` says and closes the popover
    // with reason Detached. Returns the window, or nullptr (and stays open) when there is no factory or it refuses.
    QWidget *detach(Opener opener);

    // Where a popover of `size` stands for an anchor at `anchorRect` on a screen area `available` (global
    // coordinates): centred under the anchor, flipped above it when the bottom would leave the area and there is
    // room above, over the anchor's lower part when there is room on neither side, then moved sideways into the
    // area. A popover no larger than the area is always wholly inside it.
    static QRect placement(const QRect &anchorRect, const QSize &size, const QRect &available);

    // Tests switch the fade-in off; a popover with animations off is fully shown at once.
    static bool animationsEnabled;

    // How far the background must be dragged before a detachable popover tears off.
    static constexpr int DetachDistance = 24;

signals:
    void closed(knvt::Popover::CloseReason reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyWindowFlags();
    void giveFocusToContent();
    void finishClose(CloseReason reason);
    bool ownsWidget(const QWidget *widget) const;

    Behavior m_behavior = Behavior::Transient;
    bool m_animates = false;
    DetachFactory m_detachFactory;
    QPointer<QWidget> m_anchor;
    QPointer<QWidget> m_content;
    CloseReason m_pendingReason = CloseReason::Standard;
    bool m_open = false;
    bool m_filtering = false;
    bool m_dragging = false;
    QPoint m_pressGlobal;
};

} // namespace knvt
