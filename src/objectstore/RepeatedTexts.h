#pragma once

#include <QtGlobal>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ostore {

class Str;

// While a table loads, one string for every row of a column that holds the same text: the keys each change left to
// push, which a library never synced keeps on every task, are a few dozen texts over many thousand rows. A column
// stops being looked at once most of its texts came only once (titles, notes), and long texts are never kept.
class RepeatedTexts
{
public:
    explicit RepeatedTexts(int columns);
    ~RepeatedTexts();
    RepeatedTexts(const RepeatedTexts &) = delete;
    RepeatedTexts &operator=(const RepeatedTexts &) = delete;

    // The string of `bytes` bytes of UTF-8 at `data` in `column`: the one made for the same text before, with a
    // reference more, or a new one.
    Str *string(int column, const char *data, int bytes);

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    using Kept = std::unordered_map<std::string, Str *, Hash, std::equal_to<>>;
    struct Column
    {
        Kept kept;
        // The text the previous row held, which the next often holds again: compared before any look-up.
        const Kept::value_type *last = nullptr;
        quint32 made = 0;
        quint32 repeated = 0;
        bool off = false;
    };
    void stop(Column &column);

    std::vector<Column> m_columns;
};

} // namespace ostore
