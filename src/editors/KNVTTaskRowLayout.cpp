#include "editors/KNVTTaskRowLayout.h"

#include "uikit/FontAdditions.h"
#include "uikit/TextInItsDirection.h"

#include <QFontMetricsF>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

using Kind = KNVTTaskViewModel::Kind;

int up(qreal value)
{
    return int(std::ceil(value - 1e-6));
}

} // namespace

qreal KNVTTaskRowLayout::TextHeightCache::height(const QFont &font, const QString &text, qreal width)
{
    const auto key = std::make_pair(font, std::make_pair(text, width));
    const auto found = m_heights.constFind(key);
    if (found != m_heights.constEnd())
        return *found;
    const qreal measured = textHeight(font, text, width, nullptr);
    m_heights.insert(key, measured);
    return measured;
}

QFont KNVTTaskRowLayout::titleFont()
{
    return knvt::rowFont(14, true);
}

QFont KNVTTaskRowLayout::notesFont()
{
    return knvt::rowFont(13);
}

QFont KNVTTaskRowLayout::commentFont()
{
    return knvt::rowFont(12);
}

QFont KNVTTaskRowLayout::smallFont()
{
    return knvt::rowFont(11);
}

qreal KNVTTaskRowLayout::textHeight(const QFont &font, const QString &text, qreal width, TextHeightCache *cache)
{
    if (text.isEmpty())
        return 0.0;
    if (cache)
        return cache->height(font, text, width);
    return knvt::wrappedTextHeight(font, text, width);
}

qreal KNVTTaskRowLayout::heightForTitleString(const QString &title, qreal width, TextHeightCache *cache)
{
    return textHeight(titleFont(), title, width - 68 - 6, cache) + 36;
}

qreal KNVTTaskRowLayout::heightForNotesString(const QString &notes, qreal width, TextHeightCache *cache)
{
    return textHeight(notesFont(), notes, width - 84, cache) + 15;
}

qreal KNVTTaskRowLayout::heightForCommentString(const QString &text, qreal width, TextHeightCache *cache)
{
    return textHeight(commentFont(), text, width - 34 - 8, cache) + 68;
}

KNVTTaskRowLayout KNVTTaskRowLayout::layoutForRow(const KNVTTaskViewModel::Row &row, int width, TextHeightCache *cache)
{
    KNVTTaskRowLayout layout;
    switch (row.kind) {
    case Kind::Title: {
        layout.height = up(heightForTitleString(row.text, width, cache));
        layout.completedCheckBoxButton = QRect(18, 15, 22, 22);
        layout.textRect = QRect(50, 18, std::max(0, width - 74), layout.height - 36);
        break;
    }
    case Kind::TaskList:
        layout.height = TaskListHeight;
        layout.textRect = QRect(50, 2, std::max(0, width - 74), TaskListHeight - 4);
        break;
    case Kind::StartDate:
    case Kind::DueDate:
    case Kind::Recurrence:
        layout.height = DateHeight;
        layout.captionRect = QRect(16, 1, 70, DateHeight - 2);
        layout.textRect = QRect(92, 1, std::max(0, width - 108), DateHeight - 2);
        break;
    case Kind::Notes:
        layout.height = up(heightForNotesString(row.text, width, cache));
        layout.textRect = QRect(42, 7, std::max(0, width - 84), layout.height - 15);
        break;
    case Kind::People: {
        layout.height = PeopleHeight;
        const int half = width / 2;
        for (int i = 0; i < 2; ++i) {
            layout.avatarRects[i] = QRect(i * half + 16, 20, AvatarSide, AvatarSide);
            layout.nameRects[i] = QRect(i * half + 16 + AvatarSide + 8, 20, std::max(0, half - AvatarSide - 32), 34);
        }
        layout.captionRect = QRect(16, 2, std::max(0, width - 32), 16);
        break;
    }
    case Kind::Comment:
    case Kind::MyComment: {
        layout.height = up(heightForCommentString(row.text, width, cache));
        const int bodyHeight = layout.height - 68;
        // The avatar and the name line above, the body below the avatar, the own row's buttons under the body.
        layout.avatarRects[0] = QRect(8, 4, AvatarSide, AvatarSide);
        layout.nameRects[0] = QRect(48, 4, std::max(0, width - 48 - 8 - 110), 20);
        layout.dateRect = QRect(std::max(48, width - 8 - 110), 4, 110, 20);
        layout.textRect = QRect(34, 40, std::max(0, width - 42), bodyHeight);
        if (row.kind == Kind::MyComment) {
            layout.editButton = QRect(34, 40 + bodyHeight + 4, 48, ButtonHeight);
            layout.deleteButton = QRect(34 + 48 + 6, 40 + bodyHeight + 4, 56, ButtonHeight);
        }
        break;
    }
    case Kind::Header:
        layout.height = HeaderHeight;
        layout.textRect = QRect(0, 0, width, HeaderHeight);
        break;
    }
    return layout;
}
