#pragma once

#include <QDateTime>
#include <QLineEdit>
#include <QPalette>

namespace knvt {

// The inline date fields of the task and project forms. Dates of tasks and lists are days: the field shows and takes
// the day in the user's locale's short format ("3/15/26"; a four-digit year is taken too), and the calendar popover
// beside it is the other way to choose one. A typed day is held at 00:00; a text that names no day, or a day before
// the minimum, is refused: the field turns to the palette's colour of a refusal and its value stays what it was.
// The field keeps the whole date and time it was given and changes it only when the user types another day, so that
// a form that shows a task's date and saves it back never writes it as changed, and no time of day the user did not
// see is ever stored.
class DateField : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QDateTime dateValue READ dateValue WRITE setDateValue NOTIFY dateValueChanged)

public:
    explicit DateField(QWidget *parent = nullptr);

    QDateTime dateValue() const { return m_dateValue; }
    // Shows `value`, or the minimum when it lies before it.
    void setDateValue(const QDateTime &value);
    // A null date means no minimum.
    QDateTime minimumDateValue() const { return m_minimumDateValue; }
    void setMinimumDateValue(const QDateTime &minimum);

    // Whether the text as it stands was refused.
    bool isRefused() const { return m_refused; }

    // The day `text` names in the short date format of `locale`, or an invalid date. A two-digit year is taken in the
    // century that puts it nearest to `today`.
    static QDate dayForText(const QString &text, const QLocale &locale, const QDate &today);
    static QString textForDay(const QDate &day, const QLocale &locale);

signals:
    void dateValueChanged(const QDateTime &value);

protected:
    void changeEvent(QEvent *event) override;

private:
    void edited(const QString &text);
    void showText();
    void setRefused(bool refused);
    void applyPalette();

    QDateTime m_dateValue;
    QDateTime m_minimumDateValue;
    bool m_refused = false;
    bool m_applyingPalette = false;
};

} // namespace knvt
