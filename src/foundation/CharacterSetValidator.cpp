#include "foundation/CharacterSetValidator.h"

namespace knvt {

CharacterSetValidator::CharacterSetValidator(QStringView allowed, int maximumLength, QObject *parent)
    : QValidator(parent), m_allowed(allowed), m_maximumLength(maximumLength)
{}

QString CharacterSetValidator::filteredString(const QString &string, QStringView allowed)
{
    QString filtered;
    filtered.reserve(string.size());
    for (const QChar character : string) {
        if (allowed.contains(character))
            filtered.append(character);
    }
    return filtered;
}

QValidator::State CharacterSetValidator::validate(QString &input, int &) const
{
    if (input.size() > m_maximumLength)
        return Invalid;
    return filteredString(input, m_allowed).size() < input.size() ? Invalid : Acceptable;
}

} // namespace knvt

#include "moc_CharacterSetValidator.cpp"
