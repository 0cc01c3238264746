#include "editors/DateField.h"

#include "foundation/Clock.h"

#include <QEvent>
#include <QLocale>

namespace knvt {

namespace {

// The colour a refused text takes: a red that reads on the field's own background, light or dark.
QPalette refusedPalette(QPalette palette)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor base = palette.color(group, QPalette::Base);
        const bool dark = base.lightnessF() < 0.5;
        const QColor red = QColor::fromHslF(0.0f, 0.8f, dark ? 0.7f : 0.42f);
        palette.setColor(group, QPalette::Text, red);
        // A faint wash of the same red over the background, so that the refusal shows without reading the text.
        const float wash = 0.12f;
        palette.setColor(group, QPalette::Base,
                         QColor::fromRgbF(base.redF() * (1 - wash) + red.redF() * wash,
                                          base.greenF() * (1 - wash) + red.greenF() * wash,
                                          base.blueF() * (1 - wash) + red.blueF() * wash));
    }
    return palette;
}

} // namespace

DateField::DateField(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &DateField::edited);
    // A day taken is shown again in the locale's own way once the user leaves the field; a refused text stays as
    // typed, so that the user sees what was refused.
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (!m_refused)
            showText();
    });
    showText();
}

QDate DateField::dayForText(const QString &text, const QLocale &locale, const QDate &today)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return QDate();
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate day = locale.toDate(typed, format);
    if (day.isValid()) {
        if (!format.contains(QStringLiteral("yyyy")) && format.contains(QStringLiteral("yy"))) {
            // Two digits read as a year of the 1900s: move it by whole centuries to the one nearest today.
            while (day.year() < today.year() - 50)
                day = day.addYears(100);
            while (day.year() > today.year() + 49)
                day = day.addYears(-100);
        }
        return day;
    }
    if (!format.contains(QStringLiteral("yyyy")) && format.contains(QStringLiteral("yy"))) {
        QString fourDigits = format;
        fourDigits.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
        day = locale.toDate(typed, fourDigits);
    }
    return day;
}

QString DateField::textForDay(const QDate &day, const QLocale &locale)
{
    return day.isValid() ? locale.toString(day, QLocale::ShortFormat) : QString();
}

void DateField::setDateValue(const QDateTime &value)
{
    QDateTime held = value;
    if (held.isValid() && m_minimumDateValue.isValid() && held < m_minimumDateValue)
        held = m_minimumDateValue;
    m_dateValue = held;
    showText();
    emit dateValueChanged(m_dateValue);
}

void DateField::setMinimumDateValue(const QDateTime &minimum)
{
    m_minimumDateValue = minimum;
    if (m_dateValue.isValid() && minimum.isValid() && m_dateValue < minimum)
        setDateValue(minimum);
}

void DateField::showText()
{
    setText(textForDay(m_dateValue.date(), locale()));
    setRefused(false);
}

void DateField::edited(const QString &text)
{
    const QDate day = dayForText(text, locale(), Clock::shared().now().date());
    const bool early = day.isValid() && m_minimumDateValue.isValid() && day < m_minimumDateValue.date();
    if (!day.isValid() || early) {
        setRefused(true);
        return;
    }
    setRefused(false);
    // The same day typed again keeps the value as it was, time of day included.
    if (m_dateValue.isValid() && m_dateValue.date() == day)
        return;
    m_dateValue = QDateTime(day, QTime(0, 0));
    emit dateValueChanged(m_dateValue);
}

void DateField::setRefused(bool refused)
{
    if (refused == m_refused)
        return;
    m_refused = refused;
    setToolTip(refused ? tr("Not a day. Type one like %1.").arg(textForDay(Clock::shared().now().date(), locale()))
                       : QString());
    applyPalette();
}

void DateField::applyPalette()
{
    m_applyingPalette = true;
    // Back to what the field inherits first, so that the refusal's colours follow the palette as it is now.
    setPalette(QPalette());
    if (m_refused)
        setPalette(refusedPalette(palette()));
    m_applyingPalette = false;
}

void DateField::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_applyingPalette && m_refused)
        applyPalette();
}

} // namespace knvt
