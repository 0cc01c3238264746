#pragma once

#include "uikit/FlatRowsModel.h"

#include <QAbstractListModel>
#include <QColor>
#include <QImage>
#include <QString>
#include <QUrl>

#include <vector>

class KNVTCDTask;
class KNVTCDTaskComment;
class KNVTCDUser;
class KNVTTaskStore;

// The rows of the task detail, built afresh from the task on every change and shown in place (only the rows that come,
// go or show something else are announced, so the keyboard's row and a reader's place stay): the title with its
// completion check box,
// the task's list, the "Dates" group (start, due, recurrence), the "Notes" group, the "People" group (creator and
// assignee) and the "Comments" group. Every row carries what it shows as plain values, so painting and tests never
// reach back into the store; comment rows keep their comment's object reference.
class KNVTTaskViewModel : public knvt::FlatRowsModel<QAbstractListModel>
{
    Q_OBJECT

public:
    enum class Kind {
        Title,
        TaskList,
        Header,
        StartDate,
        DueDate,
        Recurrence,
        Notes,
        People,
        Comment,   // somebody else's comment
        MyComment, // the local user's, with Edit and Delete
    };
    Q_ENUM(Kind)

    // One person as a row shows them.
    struct Person
    {
        QImage avatar;    // the thumbnail, or null
        QString initials; // shown when there is no thumbnail
        bool isMe = false;
        QString fullName;
        QString username;

        bool operator==(const Person &other) const = default;
    };

    struct Row
    {
        Kind kind = Kind::Header;
        // The title, the list's title, a date in words, "Every ...", the notes, a header or a comment's text.
        QString text;
        // Invalid: the row's standard colour.
        QColor textColor;
        // Title row: the check box.
        int checkBoxState = 0;
        QColor tintColor;
        bool checkBoxEnabled = false;
        // People row: creator then assignee; comment rows: the author.
        std::vector<Person> people;
        // Comment rows: when the comment was written or last changed.
        QString dateText;
        // Date and repeat rows: the row as a screen reader reads it, its caption before its value ("Due Sun, Dec 06,
        // 2026, overdue", "Repeats: Every 2 weeks").
        QString spokenText;
        // Title row: the task; comment rows: the comment.
        QUrl uri;

        bool operator==(const Row &other) const = default;
    };

    enum Role : int {
        KindRole = Qt::UserRole + 100, // Kind, as int
        CheckBoxStateRole,             // int
        TintColorRole,                 // QColor
        CheckBoxEnabledRole,           // bool
        PeopleRole,                    // QVariantList of QVariantMap: fullName, username, initials, isMe, avatar
        DateTextRole,                  // QString
    };

    explicit KNVTTaskViewModel(QObject *parent = nullptr);

    // The header texts, translated.
    static QString datesHeader();
    static QString notesHeader();
    static QString peopleHeader();
    static QString commentsHeader();
    // The caption a date or repeat row shows before its value ("Starts", "Due", "Repeats"); empty for other rows.
    static QString captionForKind(Kind kind);
    // The captions over the People row's two people.
    static QString creatorCaption();
    static QString assigneeCaption();

    // The rows for `task` in their fixed order; none for no task. `me` is the local user.
    static std::vector<Row> rowsForTask(const KNVTCDTask *task, const KNVTCDUser *me);
    static Person personForUser(const KNVTCDUser *user);
    static Row rowForComment(const KNVTCDTaskComment *comment);

    // Shows `rows`: rows that stay keep their place, and only what changed is announced. Another task's rows replace
    // everything at once.
    void setRows(std::vector<Row> rows);
    const std::vector<Row> &rows() const { return m_rows; }
    const Row &row(int index) const { return m_rows.at(size_t(index)); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::vector<Row> m_rows;
};
