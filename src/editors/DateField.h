#pragma once

#include "uikit/ChangeHolder.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPalette>

namespace knvt {

// The inline date fields of the task and project forms. Dates of tasks and lists are days: the field shows the day a
// stored date falls on where the user is (knvt::dayForDate, as the lists, the detail and the calendar show it) in the
// user's locale's short format ("3/15/26"), and takes a day typed in that format's order with or without its padding
// and with a two- or four-digit year ("1.1.27" and "01.01.2027" in German); the calendar popover beside it is the
// other way to choose one. A day typed or chosen is held at its local 00:00. A text that names no day, or a day before
// the minimum, is refused: the field turns to the palette's colour of a refusal, says why in its accessible
// description, and a form does not save while a field of a ticked date is refused (the value it still holds is not
// the one it shows). The field keeps the whole date and time it was given and changes it only when the user names
// another day, so that a form that shows a task's date and saves it back never writes it as changed, and no time of
// day the user did not see is ever stored.
class DateField : public QLineEdit, public ChangeHolder
{
    Q_OBJECT
    Q_PROPERTY(QDateTime dateValue READ dateValue WRITE setDateValue NOTIFY dateValueChanged)

public:
    explicit DateField(QWidget *parent = nullptr);

    QDateTime dateValue() const { return m_dateValue; }
    // Shows `value`, or the minimum when it lies before it.
    void setDateValue(const QDateTime &value);
    // A day the user chose elsewhere (in the calendar): held at its local 00:00, or kept as it was when it is the day
    // shown, and counted as the user's change of the field (UnsavedTyping).
    void chooseDay(const QDate &day);
    // A null date means no minimum. `reason` is what a refused earlier day is told with ("Start cannot be before
    // today"); without one the field names the minimum.
    QDateTime minimumDateValue() const { return m_minimumDateValue; }
    void setMinimumDateValue(const QDateTime &minimum, const QString &reason = QString());

    // Its name and the text it shows ("Due Date: 3/20/26"): a day alone would not say which date the user changed.
    QString holding() const override;

    // Whether the text as it stands was refused.
    bool isRefused() const { return m_refused; }
    // A form may save the field's date: its date is not wanted (`wanted` false: its box is unticked), or the field
    // names a day.
    static bool allowsSave(bool wanted, const DateField *field) { return !wanted || !field || !field->isRefused(); }

    // The day `text` names in the short date format of `locale`, or an invalid date: the format's order and
    // separators, a day and a month of one or two digits, a year of two or four (a two-digit year taken in the
    // century that puts it nearest to `today`). Digits may be the locale's own; spaces and direction marks around
    // the separators may be left out, and so may the text the format puts before the first or after the last field.
    static QDate dayForText(const QString &text, const QLocale &locale, const QDate &today);
    static QString textForDay(const QDate &day, const QLocale &locale);

signals:
    void dateValueChanged(const QDateTime &value);
    void refusedChanged(bool refused);

protected:
    void changeEvent(QEvent *event) override;

private:
    void edited(const QString &text);
    void takeDay(const QDate &day);
    void showText();
    // An empty reason takes the refusal back; the tool tip is the reason unless given.
    void setRefusal(const QString &reason, const QString &toolTip = QString());
    void applyPalette();

    QDateTime m_dateValue;
    QDateTime m_minimumDateValue;
    QString m_minimumReason;
    bool m_refused = false;
    bool m_applyingPalette = false;
};

} // namespace knvt
