#pragma once

#include <QtGlobal>

#include <vector>

namespace ostore {

// An open-addressing hash multimap from a 64-bit key to a row position. 12 bytes a slot: it serves as the
// Z_ID lookup of every table and as the numericIdentifier index, where duplicates occur during pulls.
class PositionIndex
{
public:
    static constexpr quint32 kNotFound = 0xFFFFFFFFu;

    void reserve(size_t entries);
    void insert(qint64 key, quint32 position);
    // Removes one entry with this key and position; returns whether it existed.
    bool erase(qint64 key, quint32 position);
    // The position of the first entry with this key, or kNotFound.
    quint32 find(qint64 key) const;
    template <class F>
    void forEach(qint64 key, F &&f) const
    {
        if (m_keys.empty())
            return;
        const size_t mask = m_keys.size() - 1;
        for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
            const quint32 v = m_values[i];
            if (v == kEmpty)
                return;
            if (v != kDeleted && m_keys[i] == key)
                f(v);
        }
    }
    size_t size() const { return m_size; }
    void clear();
    size_t bytes() const { return m_keys.capacity() * sizeof(qint64) + m_values.capacity() * sizeof(quint32); }

private:
    static constexpr quint32 kEmpty = 0xFFFFFFFFu;
    static constexpr quint32 kDeleted = 0xFFFFFFFEu;
    static size_t hash(qint64 key)
    {
        quint64 x = quint64(key);
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        x *= 0xc4ceb9fe1a85ec53ULL;
        x ^= x >> 33;
        return size_t(x);
    }
    void rehash(size_t capacity);

    std::vector<qint64> m_keys;
    std::vector<quint32> m_values;
    size_t m_size = 0;
    size_t m_deleted = 0;
};

} // namespace ostore
