#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace knvt {

// The line that names a window the application opened by itself and that waits for the user, with a button in the
// Tab order that goes to it ("“Incorrect Password” is waiting: Answer"); while the keys rest after a form closed
// under the user, it says where what was typed went ("The form closed: what you typed is in “…”. Press F8 to open
// it."). Hidden while nothing waits. It follows KeyboardOwner.
class WaitingWindowLine : public QWidget
{
    Q_OBJECT

public:
    explicit WaitingWindowLine(QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_label; }
    QPushButton *button() const { return m_button; }

    void reload();

private:
    QLabel *m_label;
    QPushButton *m_button;
    // The window the button goes to.
    QPointer<QWidget> m_window;
};

} // namespace knvt
