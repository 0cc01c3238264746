#include "uikit/FontAdditions.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <thread>

TEST(FontAdditions, ARowFontIsTheApplicationsFontAtItsPixelSizeAlsoAfterTheApplicationsFontChanged)
{
    const QFont original = QApplication::font();
    EXPECT_EQ(knvt::rowFont(12).family(), original.family());
    QFont italic = original;
    italic.setItalic(true);
    QApplication::setFont(italic);
    const QFont changed = knvt::rowFont(12, true);
    QApplication::setFont(original);
    EXPECT_TRUE(changed.italic() && changed.bold() && changed.pixelSize() == 12);
    EXPECT_FALSE(knvt::rowFont(12, true).italic());
    EXPECT_FALSE(knvt::rowFont(14).bold());
}

// Each step runs on a thread of the test's own, or on a thread of its own that ends with it.
TEST(FontAdditions, EachThreadLaysOutEachScriptOfATextOnceInEachFontAScriptACall)
{
    struct Step
    {
        const char *what;
        bool ownThread;
        const char16_t *text;
        bool bold;
        bool laidOut;
    };
    const Step steps[] = {
        {"English and digits", false, u"Call the office at 9", false, false},
        {"a Chinese name between English words", false, u"Ask \u738B\u7ECF\u7406 about the budget", false, true},
        {"another Chinese name", false, u"Ask \u5F20\u4F1F", false, false},
        {"the first name in another font", false, u"\u738B\u7ECF\u7406", true, true},
        {"a Japanese name: its Han is laid out, its kana is not", false, u"\u7530\u4E2D\u3055\u3093", false, true},
        {"the Japanese name once its kana is laid out", false, u"\u7530\u4E2D\u3055\u3093", false, false},
        {"the Chinese name on another thread", true, u"\u738B\u7ECF\u7406", false, true},
        {"Hebrew, then Arabic: the first", false, u"\u05D3\u05E0\u05D4 \u0623\u062D\u0645\u062F", false, true},
        {"Hebrew, then Arabic: the second", false, u"\u05D3\u05E0\u05D4 \u0623\u062D\u0645\u062F", false, true},
        {"Hebrew, then Arabic: nothing left", false, u"\u05D3\u05E0\u05D4 \u0623\u062D\u0645\u062F", false, false},
    };
    QFont regular = QApplication::font();
    regular.setPixelSize(12);
    QFont bold = regular;
    bold.setBold(true);
    std::thread([&] {
        for (const Step &step : steps) {
            const auto prepare = [&step, &regular, &bold] {
                return knvt::prepareFallbackFontOnThisThread(QString::fromUtf16(step.text), step.bold ? bold : regular);
            };
            bool laidOut = false;
            if (step.ownThread)
                std::thread([&laidOut, &prepare] { laidOut = prepare(); }).join();
            else
                laidOut = prepare();
            EXPECT_EQ(laidOut, step.laidOut) << step.what;
        }
    }).join();
}
