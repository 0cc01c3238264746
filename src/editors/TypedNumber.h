#pragma once

#include <QStringView>
#include <QValidator>

#include <optional>

namespace knvt {

// The whole number a user typed: the digits of any script (those of the user's locale, or Latin ones typed on
// another keyboard), blanks around them allowed. None for anything else, and for a number beyond `maximum`. Every
// field that takes a number reads it here, so that what the field accepts is what is stored.
std::optional<unsigned int> typedNumber(QStringView text, unsigned int maximum = 0xFFFFFFFFu);

// Accepts what typedNumber reads, from `bottom` to `top`; digits still short of `bottom` are left to finish.
class TypedNumberValidator : public QValidator
{
    Q_OBJECT

public:
    TypedNumberValidator(unsigned int bottom, unsigned int top, QObject *parent);
    State validate(QString &input, int &position) const override;

private:
    unsigned int m_bottom;
    unsigned int m_top;
};

} // namespace knvt
