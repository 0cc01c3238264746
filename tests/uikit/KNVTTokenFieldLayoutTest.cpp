#include "uikit/KNVTTokenField.h"

#include <gtest/gtest.h>

namespace {

using Field = KNVTTokenField;
constexpr int CellHeight = 24;
constexpr int Inset = Field::FrameInset;
const int LineHeight = CellHeight - 2 * Inset;

QSize token(int width)
{
    return QSize(width, LineHeight);
}

TEST(KNVTTokenFieldLayout, TokensThatFitOnOneLineKeepTheCellHeight)
{
    const Field::Layout layout = Field::layoutTokens(200, CellHeight, {token(50), token(60), token(40)});
    EXPECT_EQ(layout.height, CellHeight);
    ASSERT_EQ(layout.tokenRects.size(), 3);
    EXPECT_EQ(layout.tokenRects.at(0), QRect(Inset, Inset, 50, LineHeight));
    EXPECT_EQ(layout.tokenRects.at(1), QRect(Inset + 50, Inset, 60, LineHeight));
    EXPECT_EQ(layout.tokenRects.at(2), QRect(Inset + 110, Inset, 40, LineHeight));
    // The line edit takes the rest of the line.
    EXPECT_EQ(layout.editorRect, QRect(Inset + 150, Inset, 200 - 2 * Inset - 150, LineHeight));

    EXPECT_EQ(Field::layoutTokens(200, CellHeight, {}).height, CellHeight);
}

TEST(KNVTTokenFieldLayout, EachTokenThatDoesNotFitAddsOneTokenHeight)
{
    // 100 + 100 is not less than 200: the second token wraps, and so does every later one.
    const Field::Layout layout = Field::layoutTokens(200, CellHeight, {token(100), token(100), token(100), token(99)});
    EXPECT_EQ(layout.height, CellHeight + 2 * LineHeight);
    EXPECT_EQ(layout.tokenRects.at(1).topLeft(), QPoint(Inset, Inset + LineHeight));
    EXPECT_EQ(layout.tokenRects.at(2).topLeft(), QPoint(Inset, Inset + 2 * LineHeight));
    // 100 + 99 fits in 200.
    EXPECT_EQ(layout.tokenRects.at(3).topLeft(), QPoint(Inset + 100, Inset + 2 * LineHeight));
}

TEST(KNVTTokenFieldLayout, TheFirstTokenStaysOnTheFirstLineHoweverWide)
{
    const Field::Layout layout = Field::layoutTokens(80, CellHeight, {token(300), token(30)});
    EXPECT_EQ(layout.tokenRects.at(0).topLeft(), QPoint(Inset, Inset));
    EXPECT_EQ(layout.tokenRects.at(1).topLeft(), QPoint(Inset, Inset + LineHeight));
    EXPECT_EQ(layout.height, CellHeight + LineHeight);
}

TEST(KNVTTokenFieldLayout, TheLineEditTakesALineOfItsOwnWhenTheLastLineIsFull)
{
    const int width = 200;
    const Field::Layout full = Field::layoutTokens(width, CellHeight, {token(190)});
    EXPECT_EQ(full.editorRect, QRect(Inset, Inset + LineHeight, width - 2 * Inset, LineHeight));
    // That line is not part of the fitted height.
    EXPECT_EQ(full.height, CellHeight);

    const int fits = width - 2 * Inset - Field::MinimumEditorWidth;
    EXPECT_EQ(Field::layoutTokens(width, CellHeight, {token(fits)}).editorRect.top(), Inset);
    EXPECT_EQ(Field::layoutTokens(width, CellHeight, {token(fits + 1)}).editorRect.top(), Inset + LineHeight);
}

} // namespace
