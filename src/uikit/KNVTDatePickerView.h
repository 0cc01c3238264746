#pragma once

#include <QPointer>
#include <QWidget>

class KNVTDatePickerViewController;

// The content of a date popover. Return closes the popover unless the controller's delegate keeps it open; Escape
// closes it with the date it opened with; keypad Enter and every other key are handled as by any widget.
class KNVTDatePickerView : public QWidget
{
    Q_OBJECT

public:
    explicit KNVTDatePickerView(QWidget *parent = nullptr);

    // Not owned; forgotten when it is destroyed.
    KNVTDatePickerViewController *datePickerViewController() const { return m_datePickerViewController; }
    void setDatePickerViewController(KNVTDatePickerViewController *controller)
    {
        m_datePickerViewController = controller;
    }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<KNVTDatePickerViewController> m_datePickerViewController;
};
