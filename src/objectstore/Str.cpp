#include "objectstore/Str.h"

#include <new>

namespace ostore {

Str *Str::allocate(quint32 length)
{
    void *memory = std::malloc(sizeof(Str) + sizeof(char16_t) * length);
    if (!memory)
        throw std::bad_alloc();
    Str *s = new (memory) Str;
    s->m_length = length;
    return s;
}

Str *Str::make(const char16_t *data, quint32 length)
{
    Str *s = allocate(length);
    if (length)
        std::memcpy(s->mutableData(), data, sizeof(char16_t) * length);
    return s;
}

Str *Str::fromUtf8(const char *data, int bytes)
{
    // Most text is ASCII: widen it in place instead of going through a QString.
    const auto *u = reinterpret_cast<const unsigned char *>(data);
    unsigned char high = 0;
    for (int i = 0; i < bytes; ++i)
        high |= u[i];
    if (high < 0x80) {
        Str *s = allocate(quint32(bytes));
        char16_t *out = s->mutableData();
        for (int i = 0; i < bytes; ++i)
            out[i] = char16_t(u[i]);
        return s;
    }
    const QString text = QString::fromUtf8(data, bytes);
    return make(text);
}

} // namespace ostore
