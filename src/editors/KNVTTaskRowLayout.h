#pragma once

#include "editors/KNVTTaskViewModel.h"

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>

#include <utility>

// Where everything of one task-detail row stands and how high the row is, for a row width W (the detail's width
// minus 2). Pure functions of the row's kind, its texts and W, so the delegate paints and hit-tests with the same
// numbers that tests check without painting.
//
// Heights: the title is measured in the bold 14 px font at W - 74 and gets 36 more; the notes in 13 px at W - 84,
// plus 15; a comment's body in 12 px at W - 42, plus 68; a header is 20 high; the task list, date and people rows
// have heights of their own. Texts are measured as wrapped words; their heights may be kept in a cache per text and
// width, since they are asked for again on every repaint and relayout.
class KNVTTaskRowLayout
{
public:
    // Measured text heights by (text, width), one cache per font.
    class TextHeightCache
    {
    public:
        qreal height(const QFont &font, const QString &text, qreal width);
        void clear() { m_heights.clear(); }
        qsizetype size() const { return m_heights.size(); }

    private:
        // Keyed by the font itself: its key() is a string built anew on every call, and a detail asks on every row.
        QHash<std::pair<QFont, std::pair<QString, qreal>>, qreal> m_heights;
    };

    static constexpr int HeaderHeight = 20;
    static constexpr int TaskListHeight = 24;
    static constexpr int DateHeight = 22;
    static constexpr int PeopleHeight = 60;
    static constexpr int AvatarSide = 32;
    static constexpr int ButtonHeight = 20;

    static QFont titleFont();
    static QFont notesFont();
    static QFont commentFont();
    static QFont smallFont();

    // The wrapped height of `text` in `font` at most `width` wide; 0 for no text.
    static qreal textHeight(const QFont &font, const QString &text, qreal width, TextHeightCache *cache = nullptr);
    static qreal heightForTitleString(const QString &title, qreal width, TextHeightCache *cache = nullptr);
    static qreal heightForNotesString(const QString &notes, qreal width, TextHeightCache *cache = nullptr);
    static qreal heightForCommentString(const QString &text, qreal width, TextHeightCache *cache = nullptr);

    // The row's height and frames for the row width `width`.
    static KNVTTaskRowLayout layoutForRow(const KNVTTaskViewModel::Row &row, int width,
                                          TextHeightCache *cache = nullptr);

    int height = 0;
    QRect textRect;                // the main text of every kind
    QRect captionRect;             // date and recurrence rows: "Starts", "Due", "Repeats"
    QRect completedCheckBoxButton; // title row
    QRect avatarRects[2];          // people row: creator, assignee; comment rows: the author in [0]
    QRect nameRects[2];            // beside each avatar: "Me", full name, user name
    QRect dateRect;                // comment rows
    QRect editButton;              // own comments
    QRect deleteButton;            // own comments
};
