#include "editors/DateField.h"

#include <QSignalBlocker>

namespace knvt {

DateField::DateField(QWidget *parent) : QDateTimeEdit(parent)
{
    setCalendarPopup(false);
    setDisplayFormat(QStringLiteral("MMM d, yyyy h:mm AP"));
    setTimeSpec(Qt::LocalTime);
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &DateField::edited);
}

void DateField::setDateValue(const QDateTime &value)
{
    QDateTime held = value;
    if (held.isValid() && m_minimumDateValue.isValid() && held < m_minimumDateValue)
        held = m_minimumDateValue;
    m_dateValue = held;
    m_showing = true;
    setDateTime(held.isValid() ? held : QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    m_showing = false;
    emit dateValueChanged(m_dateValue);
}

void DateField::setMinimumDateValue(const QDateTime &minimum)
{
    m_minimumDateValue = minimum;
    m_showing = true;
    if (minimum.isValid())
        setMinimumDateTime(minimum);
    else
        clearMinimumDateTime();
    m_showing = false;
    if (m_dateValue.isValid() && minimum.isValid() && m_dateValue < minimum)
        setDateValue(minimum);
}

void DateField::edited(const QDateTime &shown)
{
    if (m_showing)
        return;
    m_dateValue = shown;
    emit dateValueChanged(m_dateValue);
}

} // namespace knvt
