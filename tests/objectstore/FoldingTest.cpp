#include "objectstore/Folding.h"

#include <QRandomGenerator>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

using ostore::Folding;

namespace {

// The folding as defined, a whole text at a time: NFKD, combining marks dropped, full case folding.
QString foldedAsDefined(const QString &text)
{
    QString stripped;
    for (const char32_t c : text.normalized(QString::NormalizationForm_KD).toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining
            && category != QChar::Mark_Enclosing)
            stripped += QChar::fromUcs4(c); // not QString::fromUcs4, which takes U+FEFF for a byte-order mark
    }
    QString out(stripped.size() * 3 + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strFoldCase(reinterpret_cast<UChar *>(out.data()), int32_t(out.size()),
                                         reinterpret_cast<const UChar *>(stripped.utf16()), int32_t(stripped.size()),
                                         U_FOLD_CASE_DEFAULT, &status);
    out.truncate(U_SUCCESS(status) ? length : 0);
    return out;
}

} // namespace

TEST(FoldingTest, FoldsCaseCompatibilityFormsAndMarksInEveryScript)
{
    const struct
    {
        const char *text;
        const char *folded;
    } rows[] = {
        {"STRASSE", "strasse"},
        {"Straße", "strasse"},
        {"GROẞE", "grosse"},
        {"Crème Brûlée", "creme brulee"},
        {"ﬁle Ǆ", "file dz"},
        {"Ｆｕｌｌ ①", "full 1"},
        {"İstanbul", "istanbul"},
        {"ΣΊΣΥΦΟΣ ς", "σισυφοσ σ"},
        {"Ἀθῆναι", "αθηναι"},
        {"Ёлка ЁЖ", "елка еж"},
        {"שָׁלוֹם", "שלום"},
        {"مَرْحَبًا", "مرحبا"},
        {"会議 カタカナ ｶﾀｶﾅ", "会議 カタカナ カタカナ"},
        {"𝐀𝐁c 🎂", "abc 🎂"},
        {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Folding::fold(QString::fromUtf8(row.text)), QString::fromUtf8(row.folded));
    }
    // Hangul syllables decompose into their letters, on both sides of a search alike.
    EXPECT_EQ(Folding::fold(u"한국"), QString::fromUtf8("한국").normalized(QString::NormalizationForm_KD));
}

// Each character is folded on its own from a table, ASCII eight at a time; a text of any characters, kept as UTF-16
// or as Latin-1, folds as the whole text does by definition, also into storage that held a longer text before. The
// table is built on the application's pool meanwhile, as when the search field gets the keyboard: whichever thread
// built a block, every character of the basic plane folds as defined.
TEST(FoldingTest, FoldsEveryTextAsTheDefinitionDoesAWholeTextAtATime)
{
    Folding::prepareInBackground();
    QRandomGenerator random(55);
    QString reused;
    for (int n = 0; n < 20000; ++n) {
        QString text;
        // From all ASCII to none, so that runs of ASCII are long in some texts.
        const quint32 ascii = random.bounded(9u);
        for (int length = 1 + int(random.bounded(40)); length > 0; --length) {
            const quint32 plane = random.bounded(4u);
            char32_t c = random.bounded(8u) < ascii ? random.bounded(0x80u)
                : plane < 2                         ? random.bounded(0x100u)
                : plane < 3                         ? random.bounded(0x10000u)
                                                    : random.bounded(0x110000u);
            if (c >= 0xD800 && c < 0xE000)
                c = u'Z';
            text += QString::fromUcs4(&c, 1);
        }
        const QString expected = foldedAsDefined(text);
        Folding::foldInto(text, reused);
        bool same = Folding::fold(text) == expected && reused == expected;
        if (const QByteArray latin1 = text.toLatin1(); QString::fromLatin1(latin1) == text) {
            Folding::foldInto(QLatin1StringView(latin1), reused);
            same = same && reused == expected;
        }
        if (!same) {
            ADD_FAILURE() << "folded differently: " << text.toUtf8().toHex(' ').constData();
            break;
        }
    }
    QThreadPool::globalInstance()->waitForDone();
    for (char32_t c = 0; c < 0x10000; ++c) {
        const QString character{QChar(char16_t(c))};
        if (!QChar::isSurrogate(c) && Folding::fold(character) != foldedAsDefined(character)) {
            ADD_FAILURE() << "U+" << QByteArray::number(uint(c), 16).constData() << " folded differently";
            break;
        }
    }
}
