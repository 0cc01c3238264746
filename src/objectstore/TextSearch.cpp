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

} // namespace ostore
