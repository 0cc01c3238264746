#include "foundation/DataAdditions.h"

#include "foundation/StringAdditions.h"

#include <QCryptographicHash>

#include <array>
#include <cstdint>

namespace knvt {

QString base64Encoded(const QByteArray &data)
{
    return QString::fromLatin1(data.toBase64());
}

namespace {

constexpr std::array<std::int8_t, 256> makeBase64Values()
{
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 26; ++i) {
        values['A' + i] = static_cast<std::int8_t>(i);
        values['a' + i] = static_cast<std::int8_t>(26 + i);
    }
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<std::int8_t>(52 + i);
    values['+'] = 62;
    values['/'] = 63;
    return values;
}

constexpr std::array<std::int8_t, 256> base64Values = makeBase64Values();

} // namespace

QByteArray base64Decoded(const QByteArray &data)
{
    // QByteArray::fromBase64 keeps the bytes of an unpadded final group and reads on past "=", both of which would
    // change what existing stored texts decode to.
    QByteArray result;
    result.reserve(data.size() / 4 * 3);
    std::uint32_t group = 0;
    int count = 0;
    bool padded = false;
    for (const char c : data) {
        if (c == '=') {
            padded = true;
            break;
        }
        const std::int8_t value = base64Values[static_cast<unsigned char>(c)];
        if (value < 0)
            continue;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            result.append(static_cast<char>(group >> 16));
            result.append(static_cast<char>(group >> 8));
            result.append(static_cast<char>(group));
            group = 0;
            count = 0;
        }
    }
    if (padded) {
        if (count == 3) {
            group <<= 6;
            result.append(static_cast<char>(group >> 16));
            result.append(static_cast<char>(group >> 8));
        } else if (count == 2) {
            group <<= 12;
            result.append(static_cast<char>(group >> 16));
        }
    }
    return result;
}

QByteArray md5Digest(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

QByteArray sha1Digest(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

QString hexStringValue(const QByteArray &data)
{
    return QString::fromLatin1(data.toHex());
}

QByteArray HTTPBodyDataWithFormParameters(const QueryParameters &parameters)
{
    QString body;
    for (const auto &[key, value] : parameters) {
        if (!body.isEmpty())
            body += u'&';
        body += key;
        body += u'=';
        body += URLEscapedString(value);
    }
    return body.toUtf8();
}

} // namespace knvt
