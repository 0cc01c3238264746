#include "objectstore/RepeatedTexts.h"

#include "objectstore/Str.h"

namespace ostore {

namespace {

// Texts longer than this are few alike; a column that met this many texts, fewer than half of them repeats, is
// left alone; and no column keeps more than so many texts to compare with.
constexpr int kLongestKept = 256;
constexpr quint32 kJudgedAfter = 1024;
constexpr size_t kMostKept = 4096;

} // namespace

RepeatedTexts::RepeatedTexts(int columns) : m_columns(size_t(columns)) {}

RepeatedTexts::~RepeatedTexts()
{
    for (Column &column : m_columns)
        stop(column);
}

void RepeatedTexts::stop(Column &column)
{
    for (auto &[text, string] : column.kept)
        string->deref();
    column.kept = {};
    column.last = nullptr;
    column.off = true;
}

Str *RepeatedTexts::string(int columnIndex, const char *data, int bytes)
{
    Column &column = m_columns[size_t(columnIndex)];
    if (column.off || bytes > kLongestKept)
        return Str::fromUtf8(data, bytes);
    const std::string_view text(data, size_t(bytes));
    if (!column.last || column.last->first != text) {
        const auto it = column.kept.find(text);
        column.last = it == column.kept.end() ? nullptr : &*it;
    }
    if (column.last) {
        ++column.repeated;
        column.last->second->ref();
        return column.last->second;
    }
    Str *made = Str::fromUtf8(data, bytes);
    if (++column.made >= kJudgedAfter && column.repeated < column.made) {
        stop(column);
        return made;
    }
    if (column.kept.size() < kMostKept) {
        made->ref();
        column.last = &*column.kept.emplace(text, made).first;
    }
    return made;
}

} // namespace ostore
