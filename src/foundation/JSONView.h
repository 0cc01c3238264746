#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <optional>
#include <string_view>

namespace knvt {

// A read-only look at one value of a parsed JSON document (knvt::JSONDocument): every reply of the sync service is
// read through it, and the entities fill from it. It is two words and a type, cheap to copy, and valid while its
// document lives.
//
// Three states stay apart, as the service's replies need them: a key that is missing gives an undefined view, JSON
// null a null one, anything else its type. Asking an object for a key of a value that is no object, or an array for
// its elements when it is no array, gives undefined views and empty ranges, never an error.
class JSONView
{
public:
    enum class Type : quint8 { Undefined, Null, Bool, Number, String, Array, Object };

    JSONView() = default;

    Type type() const { return m_type; }
    bool isUndefined() const { return m_type == Type::Undefined; }
    bool isNull() const { return m_type == Type::Null; }
    bool isBool() const { return m_type == Type::Bool; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isString() const { return m_type == Type::String; }
    bool isArray() const { return m_type == Type::Array; }
    bool isObject() const { return m_type == Type::Object; }

    // -- Objects -------------------------------------------------------------------------------------------------
    // The value of `key`, undefined when missing or when this is no object. Of a key written twice, which the service
    // never does, the first counts.
    JSONView value(std::string_view key) const;
    JSONView value(QLatin1String key) const { return value(std::string_view(key.data(), size_t(key.size()))); }
    JSONView value(const char *key) const { return value(std::string_view(key)); }
    JSONView operator[](std::string_view key) const { return value(key); }
    JSONView operator[](const char *key) const { return value(std::string_view(key)); }
    bool contains(std::string_view key) const { return !value(key).isUndefined(); }

    // The members of an object in the document's order; nothing for any other value.
    class Member;
    class MemberIterator;
    class Members;
    Members members() const;

    // Lookups by key read an object's members one after the other. Code that reads many keys of one object (an
    // entity's fill reads a few dozen) indexes its keys once and reads through the index's view.
    class KeyIndex;

    // -- Arrays ---------------------------------------------------------------------------------------------------
    // The elements of an array in order (`for (const JSONView &element : view)`); nothing for any other value.
    class ElementIterator;
    ElementIterator begin() const;
    ElementIterator end() const;

    // The number of elements of an array or members of an object; 0 for anything else.
    qsizetype size() const;

    // -- Scalars --------------------------------------------------------------------------------------------------
    // The text of a string; a null QString for anything else.
    QString toString() const;
    // The UTF-8 bytes of a string, valid while the document lives; empty for anything else.
    std::string_view utf8() const;
    bool toBool(bool defaultValue = false) const;
    // Any number as a double; `defaultValue` for anything else.
    double toDouble(double defaultValue = 0) const;
    // A whole number that fits in 64 bits (written as an integer or as a double without fraction, 12 or 12.0);
    // `defaultValue` for any other value, a fraction or a number out of range included.
    qint64 toInteger(qint64 defaultValue = 0) const;
    std::optional<qint64> wholeNumber() const;

    // The value as Qt's variants: objects as QVariantMap, arrays as QVariantList, whole numbers as qlonglong, other
    // numbers as double, null as a null std::nullptr_t variant, undefined as an invalid QVariant.
    QVariant toVariant() const;
    // The value as compact JSON text; empty for undefined.
    QByteArray toJson() const;

private:
    friend class JSONDocument;
    static JSONView fromElement(const void *element);
    const void *element() const { return m_element; }

    JSONView scanFor(std::string_view key) const;

    // The simdjson element this view stands for: a document pointer and a tape index, kept as opaque words so that
    // including this header does not pull in the parser's.
    alignas(8) unsigned char m_element[16] = {};
    Type m_type = Type::Undefined;
    const KeyIndex *m_index = nullptr;
};

class JSONView::KeyIndex
{
public:
    // Indexes the members of `object` (nothing for any other value).
    explicit KeyIndex(const JSONView &object);
    KeyIndex(const KeyIndex &) = delete;
    KeyIndex &operator=(const KeyIndex &) = delete;

    // The object, its lookups by key answered by this index; valid while the index lives.
    const JSONView &view() const { return m_view; }

private:
    friend class JSONView;
    // Enough for every entity of the service; the members past it are found by reading the object.
    static constexpr int kCapacity = 48;
    struct Entry
    {
        quint64 tag; // length, first and last byte of the key
        const char *key;
        alignas(8) unsigned char element[16];
        Type type;
    };
    static quint64 tagOf(std::string_view key);
    // The entry of `key`, or nullptr.
    const Entry *find(std::string_view key) const;

    Entry m_entries[kCapacity];
    int m_count = 0;
    bool m_complete = true;
    JSONView m_view;
};

class JSONView::Member
{
public:
    std::string_view key() const { return m_key; }
    QString keyString() const { return QString::fromUtf8(m_key.data(), qsizetype(m_key.size())); }
    const JSONView &value() const { return m_value; }

private:
    friend class JSONView;
    std::string_view m_key;
    JSONView m_value;
};

class JSONView::ElementIterator
{
public:
    JSONView operator*() const;
    ElementIterator &operator++();
    bool operator==(const ElementIterator &other) const;
    bool operator!=(const ElementIterator &other) const { return !(*this == other); }

private:
    friend class JSONView;
    alignas(8) unsigned char m_iterator[16] = {};
    bool m_valid = false;
};

class JSONView::MemberIterator
{
public:
    Member operator*() const;
    MemberIterator &operator++();
    bool operator==(const MemberIterator &other) const;
    bool operator!=(const MemberIterator &other) const { return !(*this == other); }

private:
    friend class JSONView;
    alignas(8) unsigned char m_iterator[16] = {};
    bool m_valid = false;
};

class JSONView::Members
{
public:
    MemberIterator begin() const { return m_begin; }
    MemberIterator end() const { return m_end; }

private:
    friend class JSONView;
    MemberIterator m_begin;
    MemberIterator m_end;
};

} // namespace knvt
