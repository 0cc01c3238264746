#include "foundation/JSONView.h"

#include <QVariantList>
#include <QVariantMap>

#include <simdjson.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace knvt {

namespace {

namespace dom = simdjson::dom;

// The opaque words of the views and iterators hold these simdjson handles as they are.
static_assert(sizeof(dom::element) <= 16 && std::is_trivially_copyable_v<dom::element>);
static_assert(sizeof(dom::array::iterator) <= 16 && std::is_trivially_copyable_v<dom::array::iterator>);
static_assert(sizeof(dom::object::iterator) <= 16 && std::is_trivially_copyable_v<dom::object::iterator>);

template <class T>
T load(const unsigned char *bytes)
{
    T value;
    std::memcpy(static_cast<void *>(&value), bytes, sizeof(T));
    return value;
}

template <class T>
void store(unsigned char *bytes, const T &value)
{
    std::memcpy(bytes, static_cast<const void *>(&value), sizeof(T));
}

JSONView::Type typeOf(const dom::element &element)
{
    switch (element.type()) {
    case dom::element_type::ARRAY: return JSONView::Type::Array;
    case dom::element_type::OBJECT: return JSONView::Type::Object;
    case dom::element_type::INT64:
    case dom::element_type::UINT64:
    case dom::element_type::DOUBLE: return JSONView::Type::Number;
    case dom::element_type::STRING: return JSONView::Type::String;
    case dom::element_type::BOOL: return JSONView::Type::Bool;
    case dom::element_type::NULL_VALUE: return JSONView::Type::Null;
    }
    return JSONView::Type::Undefined;
}

// A double that is a whole number within 64 bits; the bounds are exact powers of two, so the comparison is too.
std::optional<qint64> wholeDouble(double value)
{
    if (!std::isfinite(value) || value != std::trunc(value) || value < -9223372036854775808.0
        || value >= 9223372036854775808.0)
        return std::nullopt;
    return qint64(value);
}

// The handles of a view whose type was checked; the checks are the callers'.
dom::object objectOf(const unsigned char *bytes)
{
    return load<dom::element>(bytes).get_object().value_unsafe();
}

dom::array arrayOf(const unsigned char *bytes)
{
    return load<dom::element>(bytes).get_array().value_unsafe();
}

} // namespace

JSONView JSONView::fromElement(const void *element)
{
    JSONView view;
    const auto &e = *static_cast<const dom::element *>(element);
    store(view.m_element, e);
    view.m_type = typeOf(e);
    return view;
}

JSONView JSONView::value(std::string_view key) const
{
    if (m_type != Type::Object)
        return JSONView();
    if (m_index) {
        if (const KeyIndex::Entry *entry = m_index->find(key)) {
            JSONView found;
            std::memcpy(found.m_element, entry->element, sizeof found.m_element);
            found.m_type = entry->type;
            return found;
        }
        if (m_index->m_complete)
            return JSONView();
    }
    return scanFor(key);
}

JSONView JSONView::scanFor(std::string_view key) const
{
    const dom::object object = objectOf(m_element);
    const dom::object::iterator end = object.end();
    dom::object::iterator match = object.begin();
    while (match != end && !match.key_equals(key))
        ++match;
    if (match == end)
        return JSONView();
    const dom::element found = match.value();
    return fromElement(&found);
}

JSONView::Members JSONView::members() const
{
    Members range;
    if (m_type != Type::Object)
        return range;
    const dom::object object = objectOf(m_element);
    store(range.m_begin.m_iterator, object.begin());
    store(range.m_end.m_iterator, object.end());
    range.m_begin.m_valid = range.m_end.m_valid = true;
    return range;
}

JSONView::ElementIterator JSONView::begin() const
{
    ElementIterator it;
    if (m_type == Type::Array) {
        store(it.m_iterator, arrayOf(m_element).begin());
        it.m_valid = true;
    }
    return it;
}

JSONView::ElementIterator JSONView::end() const
{
    ElementIterator it;
    if (m_type == Type::Array) {
        store(it.m_iterator, arrayOf(m_element).end());
        it.m_valid = true;
    }
    return it;
}

qsizetype JSONView::size() const
{
    if (m_type == Type::Array)
        return qsizetype(arrayOf(m_element).size());
    if (m_type == Type::Object)
        return qsizetype(objectOf(m_element).size());
    return 0;
}

std::string_view JSONView::utf8() const
{
    if (m_type != Type::String)
        return {};
    std::string_view text;
    if (load<dom::element>(m_element).get_string().get(text) != simdjson::SUCCESS)
        return {};
    return text;
}

QString JSONView::toString() const
{
    if (m_type != Type::String)
        return QString();
    const std::string_view text = utf8();
    // An empty string stays an empty string, never a null one: the two mean different things to the model.
    if (text.empty())
        return QString(QLatin1String(""));
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool JSONView::toBool(bool defaultValue) const
{
    if (m_type != Type::Bool)
        return defaultValue;
    bool value = defaultValue;
    if (load<dom::element>(m_element).get_bool().get(value) != simdjson::SUCCESS)
        return defaultValue;
    return value;
}

double JSONView::toDouble(double defaultValue) const
{
    if (m_type != Type::Number)
        return defaultValue;
    const dom::element e = load<dom::element>(m_element);
    switch (e.type()) {
    case dom::element_type::INT64: return double(e.get_int64().value_unsafe());
    case dom::element_type::UINT64: return double(e.get_uint64().value_unsafe());
    default: return e.get_double().value_unsafe();
    }
}

std::optional<qint64> JSONView::wholeNumber() const
{
    if (m_type != Type::Number)
        return std::nullopt;
    const dom::element e = load<dom::element>(m_element);
    switch (e.type()) {
    case dom::element_type::INT64: return qint64(e.get_int64().value_unsafe());
    case dom::element_type::UINT64: {
        const uint64_t value = e.get_uint64().value_unsafe();
        if (value > uint64_t(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(value);
    }
    default: return wholeDouble(e.get_double().value_unsafe());
    }
}

qint64 JSONView::toInteger(qint64 defaultValue) const
{
    return wholeNumber().value_or(defaultValue);
}

QVariant JSONView::toVariant() const
{
    switch (m_type) {
    case Type::Undefined: return QVariant();
    case Type::Null: return QVariant::fromValue(nullptr);
    case Type::Bool: return toBool();
    case Type::Number: {
        const dom::element e = load<dom::element>(m_element);
        if (e.type() == dom::element_type::DOUBLE)
            return toDouble();
        if (const std::optional<qint64> whole = wholeNumber())
            return qlonglong(*whole);
        return toDouble();
    }
    case Type::String: return toString();
    case Type::Array: {
        QVariantList list;
        for (const JSONView element : *this)
            list.append(element.toVariant());
        return list;
    }
    case Type::Object: {
        QVariantMap map;
        for (const Member &member : members())
            map.insert(member.keyString(), member.value().toVariant());
        return map;
    }
    }
    return QVariant();
}

QByteArray JSONView::toJson() const
{
    if (m_type == Type::Undefined)
        return QByteArray();
    const std::string text = simdjson::minify(load<dom::element>(m_element));
    return QByteArray(text.data(), qsizetype(text.size()));
}

// ---- Key index ----

quint64 JSONView::KeyIndex::tagOf(std::string_view key)
{
    if (key.empty())
        return 0;
    return quint64(key.size()) | quint64(static_cast<unsigned char>(key.front())) << 32
        | quint64(static_cast<unsigned char>(key.back())) << 40;
}

JSONView::KeyIndex::KeyIndex(const JSONView &object) : m_view(object)
{
    if (object.m_type != Type::Object)
        return;
    if (object.m_index) { // already indexed
        m_complete = false;
        return;
    }
    const dom::object members = objectOf(object.m_element);
    const dom::object::iterator end = members.end();
    for (dom::object::iterator it = members.begin(); it != end; ++it) {
        if (m_count == kCapacity) {
            m_complete = false;
            break;
        }
        Entry &entry = m_entries[m_count++];
        const std::string_view key = it.key();
        entry.tag = tagOf(key);
        entry.key = key.data();
        const dom::element value = it.value();
        store(entry.element, value);
        entry.type = typeOf(value);
    }
    m_view.m_index = this;
}

const JSONView::KeyIndex::Entry *JSONView::KeyIndex::find(std::string_view key) const
{
    const quint64 tag = tagOf(key);
    for (int i = 0; i < m_count; ++i) {
        const Entry &entry = m_entries[i];
        if (entry.tag == tag && std::memcmp(entry.key, key.data(), key.size()) == 0)
            return &entry;
    }
    return nullptr;
}

// ---- Iterators ----

JSONView JSONView::ElementIterator::operator*() const
{
    const dom::element element = *load<dom::array::iterator>(m_iterator);
    return fromElement(&element);
}

JSONView::ElementIterator &JSONView::ElementIterator::operator++()
{
    auto it = load<dom::array::iterator>(m_iterator);
    ++it;
    store(m_iterator, it);
    return *this;
}

bool JSONView::ElementIterator::operator==(const ElementIterator &other) const
{
    if (!m_valid || !other.m_valid)
        return m_valid == other.m_valid;
    return !(load<dom::array::iterator>(m_iterator) != load<dom::array::iterator>(other.m_iterator));
}

JSONView::Member JSONView::MemberIterator::operator*() const
{
    const auto it = load<dom::object::iterator>(m_iterator);
    Member member;
    member.m_key = it.key();
    const dom::element value = it.value();
    member.m_value = fromElement(&value);
    return member;
}

JSONView::MemberIterator &JSONView::MemberIterator::operator++()
{
    auto it = load<dom::object::iterator>(m_iterator);
    ++it;
    store(m_iterator, it);
    return *this;
}

bool JSONView::MemberIterator::operator==(const MemberIterator &other) const
{
    if (!m_valid || !other.m_valid)
        return m_valid == other.m_valid;
    return load<dom::object::iterator>(m_iterator) == load<dom::object::iterator>(other.m_iterator);
}

} // namespace knvt
