#include "uikit/ToolTipAdditions.h"

#include <QTextDocument>

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

} // namespace
