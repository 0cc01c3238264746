#pragma once

#include <QStringView>
#include <QValidator>

namespace knvt {

// The shape of every input formatter: a field limited to a length and a set of characters. An edit that would break
// either limit is refused whole, so a paste with one disallowed character leaves the field's previous text; the text
// is never rewritten and the cursor never moved. Lengths count UTF-16 code units.
class CharacterSetValidator : public QValidator
{
    Q_OBJECT
public:
    State validate(QString &input, int &pos) const override;

    // `string` without the characters outside `allowed`, the others in their order.
    static QString filteredString(const QString &string, QStringView allowed);

protected:
    CharacterSetValidator(QStringView allowed, int maximumLength, QObject *parent);

private:
    QStringView m_allowed;
    int m_maximumLength;
};

} // namespace knvt
