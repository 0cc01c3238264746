#pragma once

#include <QString>
#include <QStringView>

#include <cstdlib>
#include <cstring>

namespace ostore {

// An immutable, reference-counted UTF-16 string as kept in the row cache. A QString costs 24 bytes per value
// before its data; a cell holds one pointer to this 8-byte header followed by the characters.
class Str
{
public:
    static Str *make(const char16_t *data, quint32 length);
    static Str *make(QStringView text)
    {
        return make(reinterpret_cast<const char16_t *>(text.utf16()), quint32(text.size()));
    }
    static Str *fromUtf8(const char *data, int bytes);

    void ref() { ++m_refs; }
    void deref()
    {
        if (--m_refs == 0)
            std::free(this);
    }

    quint32 length() const { return m_length; }
    const char16_t *data() const { return reinterpret_cast<const char16_t *>(this + 1); }
    QStringView view() const { return QStringView(data(), qsizetype(m_length)); }
    QString toQString() const { return view().toString(); }

private:
    Str() = default;
    char16_t *mutableData() { return reinterpret_cast<char16_t *>(this + 1); }
    static Str *allocate(quint32 length);

    quint32 m_refs = 1;
    quint32 m_length = 0;
};

static_assert(sizeof(Str) == 8);

} // namespace ostore
