#include "uikit/FontAdditions.h"

#include <QApplication>
#include <QHash>
#include <QSet>
#include <QTextLayout>
#include <QThreadPool>

#include <mutex>
#include <utility>

namespace knvt {

QFont rowFont(int pixelSize, bool bold)
{
    // Rows ask for their fonts on every paint: each is made once for the application's font, again when that changes.
    static QFont basis;
    static QHash<int, QFont> made;
    const QFont application = QApplication::font();
    if (!(application == basis) || application.resolveMask() != basis.resolveMask()) {
        basis = application;
        made.clear();
    }
    const int key = pixelSize * 2 + (bold ? 1 : 0);
    auto found = made.constFind(key);
    if (found == made.cend()) {
        QFont font = application;
        font.setPixelSize(pixelSize);
        font.setBold(bold);
        found = made.insert(key, font);
    }
    return *found;
}

void prepareFallbackFontsInBackground(const QList<QFont> &fonts)
{
    static std::once_flag started;
    std::call_once(started, [&fonts] {
        // Described rather than shared: a QFont caches its engines in the data its copies share, for the thread that
        // last used it.
        QStringList described;
        for (const QFont &font : fonts)
            described << font.toString();
        QThreadPool::globalInstance()->start([described] {
            static const char16_t *const kTexts[] = {
                u"\u4E2D\u6587",                               // Han
                u"\u3072\u3089\u304C\u306A",                   // Hiragana
                u"\u30AB\u30BF\u30AB\u30CA",                   // Katakana
                u"\uD55C\uAD6D\uC5B4",                         // Hangul
                u"\u05E2\u05D1\u05E8\u05D9\u05EA",             // Hebrew
                u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629", // Arabic
            };
            for (const QString &description : described) {
                QFont font;
                font.fromString(description);
                for (const char16_t *text : kTexts) {
                    QTextLayout layout(QString::fromUtf16(text), font);
                    layout.beginLayout();
                    layout.createLine();
                    layout.endLayout();
                }
            }
        });
    });
}

bool prepareFallbackFontOnThisThread(QStringView text, const QFont &font)
{
    // A thread's fonts are its own, and so is what it has laid out.
    thread_local QSet<std::pair<int, QString>> laidOut;
    const QString fontKey = font.key();
    const auto needsLayout = [&fontKey](QChar::Script script) {
        return script > QChar::Script_Latin && !laidOut.contains({int(script), fontKey});
    };
    QChar::Script script = QChar::Script_Unknown;
    QString letters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        const QChar::Script of = QChar::script(c);
        if (script == QChar::Script_Unknown && needsLayout(of))
            script = of;
        if (of == script)
            letters += QStringView(QChar::fromUcs4(c));
    }
    if (script == QChar::Script_Unknown)
        return false;
    laidOut.insert({int(script), fontKey});
    QTextLayout layout(letters, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return true;
}

} // namespace knvt
