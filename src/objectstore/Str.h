#pragma once

#include <QAnyStringView>
#include <QString>

#include <cstdlib>
#include <cstring>

namespace ostore {

// An immutable, reference-counted string as kept in the row cache. A QString costs 24 bytes per value before its
// data; a cell holds one pointer to this 8-byte header followed by the characters. A text whose characters are all
// Latin-1 (every ASCII text among them) keeps one byte a character, which halves what most titles and notes cost; the
// others keep UTF-16.
class Str
{
public:
    static Str *make(QAnyStringView text);
    static Str *make(QLatin1StringView text);
    static Str *make(QStringView text);
    static Str *fromUtf8(const char *data, int bytes);

    void ref() { ++m_refs; }
    void deref()
    {
        if (--m_refs == 0)
            std::free(this);
    }

    quint32 length() const { return m_length & kLengthBits; }
    bool isLatin1() const { return m_length & kLatin1Bit; }
    QAnyStringView view() const
    {
        if (isLatin1())
            return QLatin1StringView(reinterpret_cast<const char *>(this + 1), qsizetype(length()));
        return QStringView(reinterpret_cast<const char16_t *>(this + 1), qsizetype(length()));
    }
    QString toQString() const { return view().toString(); }

private:
    static constexpr quint32 kLatin1Bit = 0x80000000u;
    static constexpr quint32 kLengthBits = ~kLatin1Bit;

    Str() = default;
    static Str *allocate(quint32 length, bool latin1);
    void *characters() { return this + 1; }

    quint32 m_refs = 1;
    quint32 m_length = 0;
};

static_assert(sizeof(Str) == 8);

} // namespace ostore
