#pragma once

#include <QDateTime>
#include <QDateTimeEdit>

namespace knvt {

// The inline date pickers of the task and project forms: a date and time typed or stepped in place, without a
// calendar of its own (the calendar is the popover beside it). It keeps the whole date and time it was given,
// seconds included, and changes it only when the user edits it, so that a form that shows a task's date and saves
// it back never writes it as changed. A value below the minimum shows the minimum.
class DateField : public QDateTimeEdit
{
    Q_OBJECT
    Q_PROPERTY(QDateTime dateValue READ dateValue WRITE setDateValue NOTIFY dateValueChanged)

public:
    explicit DateField(QWidget *parent = nullptr);

    QDateTime dateValue() const { return m_dateValue; }
    void setDateValue(const QDateTime &value);
    // A null date means no minimum.
    QDateTime minimumDateValue() const { return m_minimumDateValue; }
    void setMinimumDateValue(const QDateTime &minimum);

signals:
    void dateValueChanged(const QDateTime &value);

private:
    void edited(const QDateTime &shown);

    QDateTime m_dateValue;
    QDateTime m_minimumDateValue;
    bool m_showing = false;
};

} // namespace knvt
