#include "editors/KNVTTaskViewModel.h"

#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/RecurrenceInWords.h"

#include "uikit/ColorAdditions.h"
#include "uikit/ItemDataRole.h"

#include "foundation/DateAdditions.h"
#include "foundation/DateFormat.h"
#include "foundation/KNVTDateOrTimeFormatter.h"

#include <QCoreApplication>
#include <QVariantMap>

namespace {

// Weekday, day, abbreviated month and year in the locale's order ("Tue, Jan 07, 2025" in en_US).
const knvt::DateFormat &dateFormatter()
{
    static const knvt::DateFormat formatter =
        knvt::DateFormat::withTemplate(QStringLiteral("EEEddMMMyyyy"), QString(), knvt::DateFormat::Weekdays::English);
    return formatter;
}

const QColor TodayTint = QColor::fromRgbF(0.91f, 0.74f, 0.19f, 1.0f);

KNVTTaskViewModel::Row makeRow(KNVTTaskViewModel::Kind kind, const QString &text)
{
    KNVTTaskViewModel::Row row;
    row.kind = kind;
    row.text = text;
    return row;
}

QVariantMap personMap(const KNVTTaskViewModel::Person &person)
{
    return QVariantMap{{QStringLiteral("fullName"), person.fullName},
                       {QStringLiteral("username"), person.username},
                       {QStringLiteral("initials"), person.initials},
                       {QStringLiteral("isMe"), person.isMe},
                       {QStringLiteral("avatar"), person.avatar}};
}

bool isSameUser(const KNVTCDUser *a, const KNVTCDUser *b)
{
    return a != nullptr && a == b;
}

} // namespace

KNVTTaskViewModel::KNVTTaskViewModel(QObject *parent) : FlatRowsModel(parent) {}

QString KNVTTaskViewModel::datesHeader()
{
    return tr("Dates");
}

QString KNVTTaskViewModel::notesHeader()
{
    return tr("Notes");
}

QString KNVTTaskViewModel::peopleHeader()
{
    return tr("People");
}

QString KNVTTaskViewModel::commentsHeader()
{
    return tr("Comments");
}

QString KNVTTaskViewModel::captionForKind(Kind kind)
{
    switch (kind) {
    case Kind::StartDate: return tr("Starts");
    case Kind::DueDate: return tr("Due");
    case Kind::Recurrence: return tr("Repeats");
    default: return QString();
    }
}

QString KNVTTaskViewModel::creatorCaption()
{
    return tr("Creator");
}

QString KNVTTaskViewModel::assigneeCaption()
{
    return tr("Assignee");
}

KNVTTaskViewModel::Person KNVTTaskViewModel::personForUser(const KNVTCDUser *user)
{
    Person person;
    if (!user)
        return person;
    const KNVTCDAvatar *avatar = user->avatar();
    if (avatar)
        person.avatar = avatar->thumbnailImage();
    if (person.avatar.isNull())
        person.initials = user->avatarInitials();
    person.isMe = user->isMe();
    person.fullName = user->fullName();
    person.username = user->username();
    return person;
}

KNVTTaskViewModel::Row KNVTTaskViewModel::rowForComment(const KNVTCDTaskComment *comment)
{
    const KNVTCDUser *author = comment->user();
    Row row = makeRow(author && author->isMe() ? Kind::MyComment : Kind::Comment, comment->text());
    row.people.push_back(personForUser(author));
    if (comment->createdDate().isValid()) {
        const QString date = KNVTDateOrTimeFormatter::mainThreadFormatter().stringFromDate(comment->modifiedDate());
        // Unsaved changes, not the comment's own edited mark: the text shows what is about to be written.
        row.dateText = comment->isUpdated() ? tr("Updated: %1").arg(date) : date;
    }
    row.uri = comment->uri();
    return row;
}

std::vector<KNVTTaskViewModel::Row> KNVTTaskViewModel::rowsForTask(const KNVTCDTask *task, const KNVTCDUser *me)
{
    std::vector<Row> rows;
    if (!task)
        return rows;
    const KNVTCDTaskList *taskList = task->taskList();

    Row title = makeRow(Kind::Title, task->title());
    title.uri = task->uri();
    title.checkBoxEnabled = task->canEdit() && (taskList ? !taskList->isArchived() : !task->isArchived());
    title.tintColor = knvt::defaultTintColor();
    if (task->isCompleted()) {
        title.checkBoxState = 1;
    } else if (task->isCancelled()) {
        title.checkBoxState = 2;
    } else if (task->isOverdue()) {
        title.tintColor = QColor(Qt::red);
    } else if (task->isToday()) {
        title.tintColor = TodayTint;
    }
    rows.push_back(std::move(title));

    if (taskList)
        rows.push_back(makeRow(Kind::TaskList, taskList->title()));

    const QDateTime start = task->startDate();
    const QDateTime due = task->dueDate();
    const std::shared_ptr<KNVTRecurrence> recurrence = task->recurrence();
    const bool futureStart = start.isValid() && knvt::isInTheFuture(start);
    if (futureStart || due.isValid() || recurrence) {
        rows.push_back(makeRow(Kind::Header, datesHeader()));
        if (futureStart) {
            Row row = makeRow(Kind::StartDate, dateFormatter().stringFromDate(start));
            row.spokenText = tr("Starts %1").arg(row.text);
            rows.push_back(std::move(row));
        }
        if (due.isValid()) {
            Row row = makeRow(Kind::DueDate, dateFormatter().stringFromDate(due));
            // The red says "overdue" to the eye; a screen reader says it in words. A closed task is done with its
            // date, as its list row says by drawing it plain.
            if (task->isOverdue() && !task->isCompletedOrCancelled()) {
                row.textColor = QColor(Qt::red);
                row.spokenText = tr("Due %1, overdue").arg(row.text);
            } else {
                row.spokenText = tr("Due %1").arg(row.text);
            }
            rows.push_back(std::move(row));
        }
        if (recurrence) {
            const QString words = knvt::recurrenceInWords(task->recurrenceString());
            Row row = makeRow(Kind::Recurrence, words);
            row.spokenText = tr("Repeats: %1").arg(words);
            rows.push_back(std::move(row));
        }
    }

    if (!task->notes().isEmpty()) {
        rows.push_back(makeRow(Kind::Header, notesHeader()));
        rows.push_back(makeRow(Kind::Notes, task->notes()));
    }

    const KNVTCDUser *creator = task->creator();
    const KNVTCDUser *assignee = task->assignee();
    const bool collaborative = taskList && taskList->isCollaborative();
    const bool onlyMe = isSameUser(creator, me) && isSameUser(assignee, me);
    if ((collaborative || !onlyMe) && creator && assignee) {
        rows.push_back(makeRow(Kind::Header, peopleHeader()));
        Row people = makeRow(Kind::People, QString());
        people.people.push_back(personForUser(creator));
        people.people.push_back(personForUser(assignee));
        rows.push_back(std::move(people));
    }

    const std::vector<KNVTCDTaskComment *> comments = task->commentsOrderedByCreatedDate();
    if (!comments.empty()) {
        rows.push_back(makeRow(Kind::Header, commentsHeader()));
        for (const KNVTCDTaskComment *comment : comments)
            rows.push_back(rowForComment(comment));
    }
    return rows;
}

void KNVTTaskViewModel::setRows(std::vector<Row> rows)
{
    const auto taskOf = [](const std::vector<Row> &all) {
        return all.empty() || all.front().kind != Kind::Title ? QUrl() : all.front().uri;
    };
    if (taskOf(rows) != taskOf(m_rows)) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    // A row is what it stands for: a header by its text, a comment by its comment, any other by its kind (each kind
    // of those stands once).
    updateRows(m_rows, std::move(rows), [](const Row &row) {
        switch (row.kind) {
        case Kind::Header: return QStringLiteral("#") + row.text;
        case Kind::Comment:
        case Kind::MyComment: return QStringLiteral("@") + row.uri.toString();
        default: return QString::number(int(row.kind));
        }
    });
}

int KNVTTaskViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KNVTTaskViewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return row.text;
    case Qt::ForegroundRole: return row.textColor.isValid() ? QVariant(row.textColor) : QVariant();
    case Qt::AccessibleTextRole: {
        if (!row.spokenText.isEmpty())
            return row.spokenText;
        if (row.kind == Kind::People) {
            // Each person after the caption the row shows over them.
            QStringList people;
            for (size_t i = 0; i < row.people.size() && i < 2; ++i)
                people << QStringLiteral("%1 %2").arg(i == 0 ? creatorCaption() : assigneeCaption(),
                                                      row.people[i].fullName);
            return people.join(QStringLiteral(", "));
        }
        QStringList parts;
        for (const Person &person : row.people)
            parts.append(person.fullName);
        if (!row.text.isEmpty())
            parts.append(row.text);
        if (!row.dateText.isEmpty())
            parts.append(row.dateText);
        if (row.kind == Kind::Title && row.checkBoxState == 1)
            parts.append(tr("completed"));
        else if (row.kind == Kind::Title && row.checkBoxState == 2)
            parts.append(tr("cancelled"));
        return parts.join(QStringLiteral(", "));
    }
    case Qt::CheckStateRole:
        // The title row's box as a check state for screen readers: a cancelled task is partly checked.
        if (row.kind != Kind::Title)
            return QVariant();
        return row.checkBoxState == 1 ? Qt::Checked : row.checkBoxState == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
    case KindRole: return int(row.kind);
    case CheckBoxStateRole: return row.checkBoxState;
    case TintColorRole: return row.tintColor;
    case CheckBoxEnabledRole: return row.checkBoxEnabled;
    case PeopleRole: {
        QVariantList people;
        for (const Person &person : row.people)
            people.append(personMap(person));
        return people;
    }
    case DateTextRole: return row.dateText;
    case knvt::ObjectUriRole: return row.uri.isEmpty() ? QVariant() : QVariant(row.uri);
    default: return QVariant();
    }
}

Qt::ItemFlags KNVTTaskViewModel::flags(const QModelIndex &index) const
{
    // Read-only rows that are never selected; they stay enabled so that their buttons can be clicked.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}
