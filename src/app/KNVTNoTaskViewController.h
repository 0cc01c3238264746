#pragma once

#include <QWidget>

class QLabel;

// The right pane's placeholder: "No Task Selected" or "Multiple Tasks Selected".
class KNVTNoTaskViewController : public QWidget
{
    Q_OBJECT

public:
    explicit KNVTNoTaskViewController(QWidget *parent = nullptr);

    QLabel *titleTextField() const { return m_titleTextField; }

private:
    QLabel *m_titleTextField;
};
