#pragma once

#include <QDialog>

class QObject;

namespace knvt {

// A sheet over a window: a window-modal dialog that the presenter shows with open() and that ends with
// finished(int), the presenter's did-end callback. dismiss() ends it. New Task, Close and Quit work from it as from
// every window (WindowCommands::offerInEveryWindow).
class Sheet : public QDialog
{
    Q_OBJECT

public:
    explicit Sheet(QWidget *parent = nullptr);

    Q_INVOKABLE void dismiss(QObject *sender = nullptr);

    void setVisible(bool visible) override;

protected:
    // A sheet is as large as what it asks, so the window manager offers no resizing and draws no grip under its
    // buttons; one that holds a whole task window, whose comments the user may want more room for, says so.
    void setResizable(bool resizable) { m_resizable = resizable; }

private:
    bool m_resizable = false;
};

} // namespace knvt
