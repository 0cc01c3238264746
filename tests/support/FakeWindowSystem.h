#pragma once

#include "uikit/WindowSystem.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;

namespace knvt::test {

// Stands in for the window manager behind knvt::WindowSystem, installed for its lifetime. It grants the application's
// requests for the keyboard, and does with a window the application shows without the keyboard what window managers
// do on their own, as the test chooses: nothing, activate it before the show returns (early), as soon as the
// application goes back to its events (at once), at the user's next key (late), or at once and again at the next key
// (twice). A window shown without the keyboard stays off the offscreen platform, which would activate it itself, until
// the application asks for the keyboard for it; an activation reaches the application as Qt delivers one from the
// window system (none while a pop-up holds the keyboard). With `picksOnClose`, closing the window that has the keyboard
// activates a window of the fake's own choice, the normal window the user was in last, once the application is back to
// its events, as an X window manager does.
class FakeWindowSystem final : public QObject, public knvt::WindowSystem
{
public:
    enum class Activation { Never, Early, AtOnce, Late, Twice };
    // How a table's row names it: "activated late".
    static const char *activationName(Activation activation);

    explicit FakeWindowSystem(Activation activation = Activation::Never, bool picksOnClose = false);
    ~FakeWindowSystem() override;
    FakeWindowSystem(const FakeWindowSystem &) = delete;
    FakeWindowSystem &operator=(const FakeWindowSystem &) = delete;

    // What it does with the next window shown without the keyboard.
    void setActivation(Activation activation) { m_activation = activation; }
    // The user goes to another program: no window of the application has the keyboard.
    void switchToAnotherProgram();
    // How many times it activated a window shown without the keyboard on its own.
    int activationsOnItsOwn() const { return m_activations; }
    // How many times it activated a window of its own choice after one closed.
    int picks() const { return m_picks; }

    void showActive(QWidget *window) override;
    void showInactive(QWidget *window) override;
    void allowKeyboard(QWidget *window) override;
    void activate(QWidget *window) override;
    bool picksAWindowWhenOneCloses() const override { return m_picksOnClose; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activateOnItsOwn(QWidget *window);
    void deliverActivation(QWidget *window);
    void hadKeyboard(QWidget *window);

    Activation m_activation;
    bool m_picksOnClose;
    int m_activations = 0;
    int m_picks = 0;
    // Windows shown without the keyboard that it activates at the user's next key.
    std::vector<QPointer<QWidget>> m_late;
    // The window that had the keyboard last.
    QPointer<QWidget> m_keyboardIn;
    // The normal windows that had the keyboard, the last one last.
    std::vector<QPointer<QWidget>> m_focused;
};

} // namespace knvt::test
