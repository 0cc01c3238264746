#include "objectstore/PositionIndex.h"

namespace ostore {

void PositionIndex::reserve(size_t entries)
{
    size_t capacity = 16;
    while (capacity * 4 < entries * 5) // keep the load under 0.8
        capacity *= 2;
    if (capacity > m_keys.size())
        rehash(capacity);
}

void PositionIndex::rehash(size_t capacity)
{
    std::vector<qint64> keys(capacity, 0);
    std::vector<quint32> values(capacity, kEmpty);
    const size_t mask = capacity - 1;
    for (size_t j = 0; j < m_keys.size(); ++j) {
        const quint32 v = m_values[j];
        if (v == kEmpty || v == kDeleted)
            continue;
        size_t i = hash(m_keys[j]) & mask;
        while (values[i] != kEmpty)
            i = (i + 1) & mask;
        keys[i] = m_keys[j];
        values[i] = v;
    }
    m_keys.swap(keys);
    m_values.swap(values);
    m_deleted = 0;
}

void PositionIndex::insert(qint64 key, quint32 position)
{
    if ((m_size + m_deleted + 1) * 5 > m_keys.size() * 4)
        rehash(m_keys.empty() ? 16 : (m_size + 1) * 5 > m_keys.size() * 2 ? m_keys.size() * 2 : m_keys.size());
    const size_t mask = m_keys.size() - 1;
    size_t i = hash(key) & mask;
    while (m_values[i] != kEmpty && m_values[i] != kDeleted)
        i = (i + 1) & mask;
    if (m_values[i] == kDeleted)
        --m_deleted;
    m_keys[i] = key;
    m_values[i] = position;
    ++m_size;
}

bool PositionIndex::erase(qint64 key, quint32 position)
{
    if (m_keys.empty())
        return false;
    const size_t mask = m_keys.size() - 1;
    for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
        const quint32 v = m_values[i];
        if (v == kEmpty)
            return false;
        if (v == position && m_keys[i] == key) {
            m_values[i] = kDeleted;
            --m_size;
            ++m_deleted;
            return true;
        }
    }
}

quint32 PositionIndex::find(qint64 key) const
{
    if (m_keys.empty())
        return kNotFound;
    const size_t mask = m_keys.size() - 1;
    for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
        const quint32 v = m_values[i];
        if (v == kEmpty)
            return kNotFound;
        if (v != kDeleted && m_keys[i] == key)
            return v;
    }
}

void PositionIndex::clear()
{
    m_keys.clear();
    m_keys.shrink_to_fit();
    m_values.clear();
    m_values.shrink_to_fit();
    m_size = 0;
    m_deleted = 0;
}

} // namespace ostore
