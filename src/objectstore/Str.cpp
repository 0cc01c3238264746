#include "objectstore/Str.h"

#include <new>

namespace ostore {

namespace {

bool fitsLatin1(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

} // namespace

Str *Str::allocate(quint32 length, bool latin1)
{
    void *memory = std::malloc(sizeof(Str) + (latin1 ? 1 : sizeof(char16_t)) * length);
    if (!memory)
        throw std::bad_alloc();
    Str *s = new (memory) Str;
    s->m_length = length | (latin1 ? kLatin1Bit : 0);
    return s;
}

Str *Str::make(QAnyStringView text)
{
    return text.visit([](auto view) {
        using View = decltype(view);
        if constexpr (std::is_same_v<View, QLatin1StringView>)
            return make(view);
        else if constexpr (std::is_same_v<View, QStringView>)
            return make(view);
        else
            return make(QStringView(view.toString()));
    });
}

Str *Str::make(QLatin1StringView text)
{
    Str *s = allocate(quint32(text.size()), true);
    if (!text.isEmpty())
        std::memcpy(s->characters(), text.data(), size_t(text.size()));
    return s;
}

Str *Str::make(QStringView utf16)
{
    const bool latin1 = fitsLatin1(utf16);
    Str *s = allocate(quint32(utf16.size()), latin1);
    if (latin1) {
        auto *out = static_cast<unsigned char *>(s->characters());
        for (qsizetype i = 0; i < utf16.size(); ++i)
            out[i] = static_cast<unsigned char>(utf16[i].unicode());
    } else if (!utf16.isEmpty()) {
        std::memcpy(s->characters(), utf16.utf16(), sizeof(char16_t) * size_t(utf16.size()));
    }
    return s;
}

Str *Str::fromUtf8(const char *data, int bytes)
{
    // Most text is ASCII, which is Latin-1 byte for byte.
    const auto *u = reinterpret_cast<const unsigned char *>(data);
    unsigned char high = 0;
    for (int i = 0; i < bytes; ++i)
        high |= u[i];
    if (high < 0x80)
        return make(QLatin1StringView(data, bytes));
    const QString text = QString::fromUtf8(data, bytes);
    return make(QStringView(text));
}

} // namespace ostore
