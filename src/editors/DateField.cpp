#include "editors/DateField.h"

#include "editors/TypedNumber.h"

#include "uikit/UnsavedTyping.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"

#include <QEvent>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <optional>

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

// The short format of a locale as a pattern of what people type: its fields in its order, with the padding and the
// year's length left free. Formats with other fields than a numeric day, month and year have none.
class TypedDayPattern
{
public:
    static std::optional<TypedDayPattern> forFormat(const QString &format);
    QDate dayFor(const QString &typed, const QDate &today) const;

private:
    static std::optional<TypedDayPattern> compiled(const QString &format);

    QRegularExpression m_expression;
    // The capture group of each field.
    int m_day = 0;
    int m_month = 0;
    int m_year = 0;
};

// Spaces and the direction marks that right-to-left locales put around their separators: nobody types those.
const QString Blank = QStringLiteral("[\\s\\p{Cf}]");

// What stands between (or around) the fields: its visible characters, with blanks on either side or none. Between two
// fields a separator that is only blanks needs one at least, or "1 12 27" could be read as "11 2 27".
QString separatorPattern(const QString &literal, bool between)
{
    QString visible;
    for (const QChar c : literal) {
        if (!c.isSpace() && c.category() != QChar::Other_Format)
            visible.append(c);
    }
    if (visible.isEmpty())
        return Blank + (between ? u'+' : u'*');
    const QString pattern = Blank + u'*' + QRegularExpression::escape(visible) + Blank + u'*';
    return between ? pattern : QStringLiteral("(?:%1)?").arg(pattern);
}

int numberFor(const QString &digits)
{
    return int(typedNumber(digits, 9999).value_or(0));
}

// Every key press reads the typed text: each format's expression is compiled once, and its copies share it.
std::optional<TypedDayPattern> TypedDayPattern::forFormat(const QString &format)
{
    static QHash<QString, std::optional<TypedDayPattern>> patterns;
    auto known = patterns.constFind(format);
    if (known == patterns.cend())
        known = patterns.insert(format, compiled(format));
    return *known;
}

std::optional<TypedDayPattern> TypedDayPattern::compiled(const QString &format)
{
    TypedDayPattern pattern;
    QString expression = QStringLiteral("^");
    QString literal;
    int fields = 0;
    bool leading = true;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            // Quoted text is literal; two quotes stand for one.
            qsizetype end = i + 1;
            while (end < format.size() && format.at(end) != u'\'')
                ++end;
            literal += end == i + 1 ? QStringLiteral("'") : format.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (c.unicode() >= 128 || !c.isLetter()) {
            literal.append(c);
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        i += run;
        const bool dayOrMonth = (c == u'd' || c == u'M') && run <= 2;
        const bool year = c == u'y' && (run == 2 || run == 4);
        if (!dayOrMonth && !year)
            return std::nullopt;
        int &group = c == u'd' ? pattern.m_day : c == u'M' ? pattern.m_month : pattern.m_year;
        if (group != 0)
            return std::nullopt;
        group = ++fields;
        expression += separatorPattern(literal, !leading);
        expression += year ? QStringLiteral("(\\d{4}|\\d{2})") : QStringLiteral("(\\d{1,2})");
        literal.clear();
        leading = false;
    }
    if (pattern.m_day == 0 || pattern.m_month == 0 || pattern.m_year == 0)
        return std::nullopt;
    expression += separatorPattern(literal, false) + u'$';
    // Unicode digits and spaces: a locale that writes its own digits gets them back.
    pattern.m_expression = QRegularExpression(expression, QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

QDate TypedDayPattern::dayFor(const QString &typed, const QDate &today) const
{
    const QRegularExpressionMatch match = m_expression.match(typed);
    if (!match.hasMatch())
        return QDate();
    const QString yearDigits = match.captured(m_year);
    int year = numberFor(yearDigits);
    if (yearDigits.toUcs4().size() == 2) {
        // The century that puts the year nearest today.
        year += today.year() - today.year() % 100;
        if (year > today.year() + 49)
            year -= 100;
        else if (year < today.year() - 50)
            year += 100;
    }
    return QDate(year, numberFor(match.captured(m_month)), numberFor(match.captured(m_day)));
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
    if (const std::optional<TypedDayPattern> pattern = TypedDayPattern::forFormat(format))
        return pattern->dayFor(typed, today);
    // A short format that writes names (the C locale's "d MMM yyyy") is read as it stands.
    QDate day = locale.toDate(typed, format);
    if (!day.isValid() && !format.contains(QStringLiteral("yyyy")) && format.contains(QStringLiteral("yy"))) {
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

void DateField::chooseDay(const QDate &day)
{
    if (!day.isValid())
        return;
    // The day comes from the user's pick in the calendar: the field holds it as it would a day typed into it.
    UnsavedTyping::changing(this);
    takeDay(day);
    showText();
}

QString DateField::holding() const
{
    //: A date the user changed, as the question before it is dropped names it: "Due Date: 3/20/26".
    return tr("%1: %2").arg(accessibleName(), text());
}

void DateField::setMinimumDateValue(const QDateTime &minimum, const QString &reason)
{
    m_minimumDateValue = minimum;
    m_minimumReason = reason;
    if (m_dateValue.isValid() && minimum.isValid() && m_dateValue < minimum)
        setDateValue(minimum);
}

void DateField::showText()
{
    setText(textForDay(dayForDate(m_dateValue), locale()));
    setRefusal(QString());
}

void DateField::edited(const QString &text)
{
    const QDate day = dayForText(text, locale(), dayForDate(Clock::shared().now()));
    if (!day.isValid()) {
        const QString example = textForDay(dayForDate(Clock::shared().now()), locale());
        setRefusal(tr("Not a day"), tr("Not a day. Type one like %1.").arg(example));
        return;
    }
    if (m_minimumDateValue.isValid() && day < dayForDate(m_minimumDateValue)) {
        setRefusal(m_minimumReason.isEmpty()
                       ? tr("Cannot be before %1").arg(textForDay(dayForDate(m_minimumDateValue), locale()))
                       : m_minimumReason);
        return;
    }
    setRefusal(QString());
    takeDay(day);
}

void DateField::takeDay(const QDate &day)
{
    // The same day named again keeps the value as it was, time of day included.
    if (m_dateValue.isValid() && dayForDate(m_dateValue) == day)
        return;
    m_dateValue = zeroHundredHoursDateForDay(day);
    emit dateValueChanged(m_dateValue);
}

void DateField::setRefusal(const QString &reason, const QString &toolTip)
{
    const bool refused = !reason.isEmpty();
    // The reason is what a screen reader says of the field.
    setAccessibleDescription(reason);
    setToolTip(toolTip.isEmpty() ? reason : toolTip);
    if (refused == m_refused)
        return;
    m_refused = refused;
    applyPalette();
    emit refusedChanged(m_refused);
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
