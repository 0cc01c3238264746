#include "objectstore/Folding.h"

#include <QThreadPool>

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ostore {

namespace {

bool isMark(QChar::Category category)
{
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

// Full case folding, where one letter may fold to several: "Straße" and "STRASSE" both fold to "strasse". Qt's own
// folding maps a letter to one letter only, so that "ß" stayed itself and a search typed in capitals missed it.
QString fullCaseFolded(const QString &text)
{
    QString out(text.size() + 8, Qt::Uninitialized);
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = u_strFoldCase(reinterpret_cast<UChar *>(out.data()), int32_t(out.size()),
                                             reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()),
                                             U_FOLD_CASE_DEFAULT, &status);
        if (U_SUCCESS(status)) {
            out.truncate(length);
            return out;
        }
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
        out.resize(length);
    }
    return text.toCaseFolded();
}

// The definition, for a text of whole characters: what the table below answers one character at a time.
QString foldedByDefinition(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const QChar c = decomposed[i];
        if (c.isHighSurrogate() && i + 1 < decomposed.size() && decomposed[i + 1].isLowSurrogate()) {
            if (!isMark(QChar::category(QChar::surrogateToUcs4(c, decomposed[i + 1])))) {
                stripped.append(c);
                stripped.append(decomposed[i + 1]);
            }
            ++i;
            continue;
        }
        if (!isMark(c.category()))
            stripped.append(c);
    }
    return fullCaseFolded(stripped);
}

// One entry a character: the length of its folding in the top 8 bits, below them the one character it folds to or
// where its several start in the block's `several`. Surrogates are marked: a pair is folded as one character.
constexpr quint32 kSurrogate = 0xFF000000u;

struct Block
{
    std::array<quint32, 256> entries;
    std::u16string several;
};

// Characters 256 at a time; a block is built on first use by folding its characters at once, each between two
// NULs (which fold to themselves and to which nothing else folds), and then only read.
class FoldingTable
{
public:
    ~FoldingTable()
    {
        for (auto &block : m_blocks)
            delete block.load();
    }

    const Block &block(char16_t c)
    {
        std::atomic<const Block *> &slot = m_blocks[c >> 8];
        if (const Block *built = slot.load(std::memory_order_acquire))
            return *built;
        const Block *fresh = build(char16_t(c & 0xFF00));
        const Block *expected = nullptr;
        if (!slot.compare_exchange_strong(expected, fresh, std::memory_order_acq_rel)) {
            delete fresh;
            return *expected;
        }
        return *fresh;
    }

    // Characters outside the basic plane are few in any text: looked up one by one and kept.
    QStringView supplementary(char32_t ucs)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_supplementary.find(ucs);
        if (it == m_supplementary.end()) {
            const char32_t one[] = {ucs};
            it = m_supplementary.emplace(ucs, foldedByDefinition(QString::fromUcs4(one, 1))).first;
        }
        return it->second;
    }

private:
    static const Block *build(char16_t first)
    {
        QString text;
        text.reserve(2 * 256 + 1);
        text.append(QChar(0));
        for (int i = 0; i < 256; ++i) {
            // A NUL, which separates the others, and the halves of pairs stand in the text as something else.
            const QChar c(char16_t(first + i));
            text.append(c.isSurrogate() || c.isNull() ? QChar(u'x') : c);
            text.append(QChar(0));
        }
        const QString folded = foldedByDefinition(text);
        auto *block = new Block;
        qsizetype at = 1;
        for (int i = 0; i < 256; ++i) {
            const qsizetype end = folded.indexOf(QChar(0), at);
            const qsizetype length = end - at;
            if (QChar::isSurrogate(char32_t(first + i)))
                block->entries[i] = kSurrogate;
            else if (first + i == 0)
                block->entries[i] = 1u << 24;
            else if (length == 1)
                block->entries[i] = (1u << 24) | folded[at].unicode();
            else
                block->entries[i] = (quint32(length) << 24) | quint32(block->several.size());
            if (length != 1)
                block->several.append(reinterpret_cast<const char16_t *>(folded.utf16()) + at, size_t(length));
            at = end + 1;
        }
        return block;
    }

    std::array<std::atomic<const Block *>, 256> m_blocks{};
    std::mutex m_mutex;
    std::unordered_map<char32_t, QString> m_supplementary;
};

FoldingTable &table()
{
    static FoldingTable shared;
    return shared;
}

char16_t lowerAscii(char16_t c)
{
    return char16_t(c + (unsigned(c - u'A') < 26u ? 32 : 0));
}

// Eight UTF-16 code units, handled at once by the processor's vector instructions.
using Lanes = quint16 __attribute__((vector_size(16)));

// Lower-cases the eight characters at `in` into `out` when they are all ASCII; false, writing nothing, otherwise.
bool lowerEightAscii(const char16_t *in, char16_t *out)
{
    Lanes lanes;
    std::memcpy(&lanes, in, sizeof lanes);
    const Lanes high = lanes & quint16(0xFF80);
    quint64 halves[2];
    std::memcpy(halves, &high, sizeof halves);
    if (halves[0] | halves[1])
        return false;
    lanes += Lanes(lanes - quint16(u'A') < quint16(26)) & quint16(32);
    std::memcpy(out, &lanes, sizeof lanes);
    return true;
}

bool lowerEightAscii(const uchar *in, char16_t *out)
{
    quint64 bytes;
    std::memcpy(&bytes, in, sizeof bytes);
    if (bytes & 0x8080808080808080u)
        return false;
    for (int k = 0; k < 8; ++k)
        out[k] = lowerAscii(in[k]);
    return true;
}

// The folding of `size` characters at `in` (UTF-16 code units, or Latin-1 bytes) written over `out`.
template <class Char>
void foldCharacters(const Char *in, qsizetype size, QString &out)
{
    out.resize(size);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    qsizetype i = 0;
    while (i + 8 <= size && lowerEightAscii(in + i, d + i))
        i += 8;
    for (; i < size && in[i] < 0x80; ++i)
        d[i] = lowerAscii(in[i]);
    if (i == size)
        return;
    // Past the first character that is not ASCII, a character may fold to none or to several.
    qsizetype o = i;
    qsizetype room = out.size();
    const auto makeRoom = [&](qsizetype length) {
        if (o + length <= room)
            return;
        out.resize(std::max(o + length + (size - i), 2 * room));
        d = reinterpret_cast<char16_t *>(out.data());
        room = out.size();
    };
    FoldingTable &folding = table();
    const Block *block = nullptr;
    int blockOf = -1;
    while (i < size) {
        const char16_t c = in[i];
        if (c < 0x80) {
            makeRoom(8);
            if (i + 8 <= size && lowerEightAscii(in + i, d + o)) {
                i += 8;
                o += 8;
            } else {
                d[o++] = lowerAscii(c);
                ++i;
            }
            continue;
        }
        if (c >> 8 != blockOf) {
            block = &folding.block(c);
            blockOf = c >> 8;
        }
        const quint32 entry = block->entries[c & 0xFF];
        QStringView folded;
        if (entry == kSurrogate) {
            // Only UTF-16 holds surrogates.
            if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(char16_t(in[i + 1]))) {
                folded = folding.supplementary(QChar::surrogateToUcs4(c, char16_t(in[i + 1])));
                ++i;
            } else {
                folded = QStringView(&c, 1);
            }
        } else if (entry >> 24 == 1) {
            makeRoom(1);
            d[o++] = char16_t(entry & 0xFFFF);
            ++i;
            continue;
        } else {
            folded = QStringView(block->several.data() + (entry & 0xFFFFFF), qsizetype(entry >> 24));
        }
        makeRoom(folded.size());
        for (const QChar f : folded)
            d[o++] = f.unicode();
        ++i;
    }
    out.resize(o);
}

} // namespace

QString Folding::fold(QStringView text)
{
    QString out;
    foldInto(text, out);
    return out;
}

void Folding::prepareInBackground()
{
    static std::once_flag started;
    std::call_once(started, [] {
        QThreadPool::globalInstance()->start([] {
            FoldingTable &folding = table();
            for (char32_t first = 0; first < 0x10000; first += 0x100)
                if (!QChar::isSurrogate(first))
                    folding.block(char16_t(first));
        });
    });
}

void Folding::foldInto(QAnyStringView text, QString &out)
{
    text.visit([&out](auto view) {
        using View = decltype(view);
        if constexpr (std::is_same_v<View, QLatin1StringView>)
            foldCharacters(reinterpret_cast<const uchar *>(view.data()), view.size(), out);
        else if constexpr (std::is_same_v<View, QStringView>)
            foldCharacters(reinterpret_cast<const char16_t *>(view.utf16()), view.size(), out);
        else
            foldInto(view.toString(), out);
    });
}

} // namespace ostore
