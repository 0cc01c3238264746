#include "uikit/FontAdditions.h"

#include <QApplication>
#include <QThread>

#include <gtest/gtest.h>

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

namespace {

// A thread that stays, so that what a call leaves on it is there for the next call there.
class LayoutThread
{
public:
    LayoutThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
    }
    ~LayoutThread()
    {
        m_thread.quit();
        m_thread.wait();
    }
    bool prepare(const QString &text, const QFont &font)
    {
        bool laidOut = false;
        QMetaObject::invokeMethod(
            &m_context, [&text, &font] { return knvt::prepareFallbackFontOnThisThread(text, font); },
            Qt::BlockingQueuedConnection, &laidOut);
        return laidOut;
    }

private:
    QThread m_thread;
    QObject m_context;
};

} // namespace

TEST(FontAdditions, EachThreadLaysOutEachScriptOfATextOnceInEachFontAScriptACall)
{
    struct Step
    {
        const char *what;
        int thread;
        const char16_t *text;
        bool bold;
        bool laidOut;
    };
    const Step steps[] = {
        {"English and digits", 0, u"Call the office at 9", false, false},
        {"a Chinese name between English words", 0, u"Ask \u738B\u7ECF\u7406 about the budget", false, true},
        {"that name again", 0, u"\u738B\u7ECF\u7406", false, false},
        {"another Chinese name", 0, u"Ask \u5F20\u4F1F", false, false},
        {"that name in another font", 0, u"\u738B\u7ECF\u7406", true, true},
        {"a Japanese name: its Han is laid out, its kana is not", 0, u"\u7530\u4E2D\u3055\u3093", false, true},
        {"the Japanese name once its kana is laid out", 0, u"\u7530\u4E2D\u3055\u3093", false, false},
        {"the Chinese name on another thread", 1, u"\u738B\u7ECF\u7406", false, true},
        {"Hebrew, then Arabic: the first", 0, u"\u05D3\u05E0\u05D4 \u0623\u062D\u0645\u062F", false, true},
        {"Hebrew, then Arabic: the second", 0, u"\u05D3\u05E0\u05D4 \u0623\u062D\u0645\u062F", false, true},
        {"Hebrew, then Arabic: nothing left", 0, u"\u05D3\u05E0\u05D4 \u0623\u062D\u0645\u062F", false, false},
        {"the Hebrew name on the other thread", 1, u"\u05D3\u05E0\u05D4", false, true},
        {"the Hebrew name on the first thread again", 0, u"\u05D3\u05E0\u05D4", false, false},
    };
    QFont regular = QApplication::font();
    regular.setPixelSize(12);
    QFont bold = regular;
    bold.setBold(true);
    LayoutThread threads[2];
    for (const Step &step : steps)
        EXPECT_EQ(threads[step.thread].prepare(QString::fromUtf16(step.text), step.bold ? bold : regular), step.laidOut)
            << step.what;
}
