#include "objectstore/TextSearch.h"

#include <cstring>

namespace ostore {

namespace {

// Eight UTF-16 code units, handled at once by the processor's vector instructions.
using Lanes = quint16 __attribute__((vector_size(16)));

Lanes load(const char16_t *at)
{
    Lanes lanes;
    std::memcpy(&lanes, at, sizeof lanes);
    return lanes;
}

bool same(const char16_t *a, const char16_t *b, qsizetype length)
{
    return std::memcmp(a, b, size_t(length) * sizeof(char16_t)) == 0;
}

// Sixteen bytes of Latin-1 at once.
using Bytes = uchar __attribute__((vector_size(16)));

Bytes loadBytes(const uchar *at)
{
    Bytes bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}

bool anyOf(Bytes bytes)
{
    quint64 halves[2];
    std::memcpy(halves, &bytes, sizeof halves);
    return halves[0] | halves[1];
}

Bytes lowered(Bytes bytes)
{
    return bytes + (Bytes(bytes - uchar('A') < uchar(26)) & uchar(32));
}

uchar lowered(uchar c)
{
    return uchar(c + (unsigned(c - 'A') < 26u ? 32 : 0));
}

// Whether the `length` bytes at `text`, lower-cased, are those of `term`.
bool sameLowered(const uchar *text, const uchar *term, qsizetype length)
{
    for (qsizetype k = 0; k < length; ++k)
        if (lowered(text[k]) != term[k])
            return false;
    return true;
}

} // namespace

bool containsText(QStringView text, QStringView term)
{
    const qsizetype length = term.size();
    if (length == 0)
        return true;
    if (length > text.size())
        return false;
    const char16_t *t = reinterpret_cast<const char16_t *>(text.utf16());
    const char16_t *p = reinterpret_cast<const char16_t *>(term.utf16());
    const char16_t first = p[0];
    const char16_t last = p[length - 1];
    // The places the term may start: 0 to `end` - 1.
    const qsizetype end = text.size() - length + 1;
    const Lanes firsts = Lanes{} + quint16(first);
    const Lanes lasts = Lanes{} + quint16(last);
    qsizetype at = 0;
    for (; at + 8 <= end; at += 8) {
        const Lanes both = Lanes(load(t + at) == firsts) & Lanes(load(t + at + length - 1) == lasts);
        quint64 halves[2];
        std::memcpy(halves, &both, sizeof halves);
        if (!(halves[0] | halves[1]))
            continue;
        for (qsizetype k = at; k < at + 8; ++k)
            if (t[k] == first && t[k + length - 1] == last && same(t + k + 1, p + 1, length - 2 > 0 ? length - 2 : 0))
                return true;
    }
    for (; at < end; ++at)
        if (t[at] == first && t[at + length - 1] == last && same(t + at + 1, p + 1, length - 2 > 0 ? length - 2 : 0))
            return true;
    return false;
}

std::optional<bool> containsAsciiIgnoringCase(QLatin1StringView text, QByteArrayView term)
{
    const auto *t = reinterpret_cast<const uchar *>(text.data());
    const auto *p = reinterpret_cast<const uchar *>(term.data());
    const qsizetype size = text.size();
    const qsizetype length = term.size();
    // A character outside ASCII may fold to several, or to ASCII: the text must be ASCII throughout.
    qsizetype at = 0;
    for (; at + 16 <= size; at += 16)
        if (anyOf(loadBytes(t + at) & uchar(0x80)))
            return std::nullopt;
    for (; at < size; ++at)
        if (t[at] & 0x80)
            return std::nullopt;
    if (length == 0)
        return true;
    if (length > size)
        return false;
    const Bytes firsts = Bytes{} + p[0];
    const Bytes lasts = Bytes{} + p[length - 1];
    const qsizetype end = size - length + 1;
    at = 0;
    for (; at + 16 <= end; at += 16) {
        if (!anyOf(Bytes(lowered(loadBytes(t + at)) == firsts)
                   & Bytes(lowered(loadBytes(t + at + length - 1)) == lasts)))
            continue;
        for (qsizetype k = at; k < at + 16; ++k)
            if (sameLowered(t + k, p, length))
                return true;
    }
    for (; at < end; ++at)
        if (sameLowered(t + at, p, length))
            return true;
    return false;
}

} // namespace ostore
