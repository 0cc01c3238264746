// Painted texts take their own writing direction and break inside a word only when it is wider than a line.
#include "uikit/TextInItsDirection.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// The leftmost and rightmost columns with ink, after `draw` painted in black on white.
template <class Draw>
std::pair<int, int> inkColumns(Draw draw)
{
    QImage image(kWidth + 100, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        draw(painter);
    }
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

TEST(TextInItsDirection, EachTextStartsAtItsOwnSideOnOneLineAndWrapped)
{
    const struct
    {
        const char *text;
        bool rightToLeft;
    } rows[] = {
        {"Buy milk!", false},
        {"לקנות חלב!", true},
        {"شراء الحليب!", true},
        // A title that starts with a number still reads in the direction of its first word.
        {"3 ספרים", true},
        {"3 books", false},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        EXPECT_EQ(knvt::directionOfText(text), row.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight) << row.text;
        const QRectF frame(0, 0, kWidth, 30);
        for (const bool wrapped : {false, true}) {
            const auto [left, right] = inkColumns([&](QPainter &painter) {
                if (wrapped)
                    knvt::drawWrappedText(painter, frame, text);
                else
                    knvt::drawTextInItsDirection(painter, frame, Qt::AlignLeft | Qt::AlignVCenter, text);
            });
            ASSERT_GE(right, 0) << row.text;
            if (row.rightToLeft)
                EXPECT_GT(right, kWidth - 10) << row.text << " wrapped " << wrapped;
            else
                EXPECT_LT(left, 10) << row.text << " wrapped " << wrapped;
            EXPECT_LT(right, kWidth) << row.text;
        }
    }
    // A right alignment (a date at a row's end) stays at the right whatever the text.
    const auto [left, right] = inkColumns([](QPainter &painter) {
        knvt::drawTextInItsDirection(painter, QRectF(0, 0, kWidth, 30), Qt::AlignRight | Qt::AlignVCenter,
                                     QStringLiteral("Mar 4"));
    });
    EXPECT_GT(right, kWidth - 10);
    EXPECT_GT(left, kWidth / 2);
}

TEST(TextInItsDirection, OnlyAWordWiderThanTheLineIsBrokenInside)
{
    QFont font;
    font.setPixelSize(13);
    const qreal line = knvt::wrappedTextHeight(font, QStringLiteral("Two words"), 200);
    EXPECT_NEAR(line, QFontMetricsF(font).height(), 1.0);
    EXPECT_EQ(knvt::wrappedTextHeight(font, QString(), 200), 0.0);
    // Between words first, and at every line the writer began.
    EXPECT_EQ(knvt::wrappedTextHeight(font, QStringLiteral("Renew\nthe passport"), 1000), 2 * line);
    EXPECT_EQ(knvt::wrappedTextHeight(font, QStringLiteral("Renew the passport"), 60), 3 * line);
    const QString address = QStringLiteral("https://example.com/") + QString(200, u'a');
    const qreal height = knvt::wrappedTextHeight(font, address, 200);
    EXPECT_GE(height, 4 * line);
    const auto [left, right] = inkColumns([&](QPainter &painter) {
        painter.setFont(font);
        knvt::drawWrappedText(painter, QRectF(0, 0, 200, height), address);
    });
    EXPECT_LT(left, 10);
    EXPECT_LT(right, 200) << "nothing runs past the edge";
}

// The fields where titles and notes are typed lay a right-to-left text out from the right, as the rows do.
TEST(TextInItsDirection, TheTitleAndNotesFieldsStartARightToLeftTextAtTheRight)
{
    KNVTTextField title;
    KNVTTextView notes;
    for (QWidget *field : std::initializer_list<QWidget *>{&title, &notes}) {
        field->resize(300, 60);
        field->show();
    }
    for (const char *text : {"לחדש דרכון!", "Renew passport!"}) {
        const bool rightToLeft = QString::fromUtf8(text).isRightToLeft();
        title.setText(QString::fromUtf8(text));
        title.setCursorPosition(0);
        notes.setPlainText(QString::fromUtf8(text));
        notes.moveCursor(QTextCursor::Start);
        // Where the text stands is worked out as the fields paint.
        title.grab();
        notes.grab();
        EXPECT_EQ(title.inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() > title.width() / 2, rightToLeft)
            << text;
        EXPECT_EQ(notes.cursorRect().center().x() > notes.viewport()->width() / 2, rightToLeft) << text;
    }
}

} // namespace
