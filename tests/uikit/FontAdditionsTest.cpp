#include "uikit/FontAdditions.h"

#include <QApplication>

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
