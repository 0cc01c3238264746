#include "uikit/ShownAsTyped.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTextDocument>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// What a tool tip shows: tool tips take text that looks like markup for rich text.
QString shownBy(const QString &toolTip)
{
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

TEST(ToolTipShowingText, ATipReadsAsTheTextWasWrittenWhateverItHolds)
{
    const QString texts[] = {
        QStringLiteral("Ann Lee (ann)"),
        QStringLiteral("<b>Ann</b> <img src=\"file:///tmp/a.png\"> (<a href=\"https://example.com/\">ann</a>)"),
        QStringLiteral("Tom &amp; Jerry &lt;3"),
        QStringLiteral("  two  spaces   kept  "),
        QStringLiteral("<qt>Looks like a document</qt>"),
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(shownBy(knvt::toolTipShowingText(text)), text);
    }
    EXPECT_TRUE(knvt::toolTipShowingText(QString()).isEmpty()) << "no text, no tip";
}

TEST(ShownAsTyped, MenuItemsAndWindowTitlesShowTitlesWithTheirMarksAsTyped)
{
    const QString titles[] = {QStringLiteral("R&D"), QStringLiteral("Tom && Jerry"), QStringLiteral("Fix [*] the gate"),
                              QStringLiteral("[*][*]"), QStringLiteral("Plain")};
    for (const QString &title : titles) {
        SCOPED_TRACE(title.toStdString());
        QMenu menu;
        QAction *item = menu.addAction(knvt::menuItemText(title));
        // What the menu draws: the text without the mnemonic marks it reads in it.
        EXPECT_EQ(QAction(item->text()).iconText(), title);

        QWidget window;
        window.setWindowTitle(knvt::windowTitleText(title));
        window.setWindowModified(true);
        window.show();
        ASSERT_NE(window.windowHandle(), nullptr);
        EXPECT_EQ(window.windowHandle()->title(), title);
    }
}

} // namespace
