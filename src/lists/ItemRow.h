#pragma once

#include "objectstore/ObjectID.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <Qt>

class KNVTCDTask;
class KNVTCDTaskList;

namespace ostore {
class Object;
}

namespace knvt {

enum class ItemRowKind : quint8 { Header, Task, Project, Area };

// What the rows of a list's rebuilds share, so that a rebuild of thousands of rows asks the model each thing once:
// whether I may edit the tasks of each list (asked afresh on each rebuild) and each object's URI (kept for the list's
// life, as an object keeps its identifier). Building a URI and looking up my membership of a list are the dearest
// parts of a row.
class ItemRowCache
{
public:
    // Forgets the permissions.
    void beginRebuild();
    // The task's canEdit().
    bool canEditTask(const KNVTCDTask &task);
    // The object's uri().
    QUrl uri(const ostore::Object &object);

private:
    QHash<const KNVTCDTaskList *, bool> m_canEditTasks;
    QHash<ostore::ObjectID, QUrl> m_uris;
    // The library the URIs belong to, checked once per rebuild: another library reuses the identifiers.
    QString m_storeUUID;
    bool m_storeChecked = false;
};

// One row of an item list: a section header or a task, project or area, as a plain copy of what the row shows. Lists
// take it from the object when they rebuild, so that painting, hit-testing and accessibility never reach the store;
// texts that depend on the clock (dates) are made when the row is laid out.
struct ItemRow
{
    ItemRowKind kind = ItemRowKind::Header;
    // The object's identity, by which a list finds its row again after a change; null for a header.
    ostore::ObjectID objectID;
    // The object's identifier URI; empty for a header.
    QUrl uri;
    // The header's text, or the object's title.
    QString title;
    // Task: its list's title when the row shows it, else empty.
    QString subtitle;
    // Task: the user's own new task, kept unsent while the service may hold it twice. It stands beside the service's
    // copies with the same title, and the line's words tell the user to keep or delete theirs: the row says which it is.
    bool unsettled = false;
    QString notes;
    QDateTime startDate;
    QDateTime dueDate;
    QDateTime statusModifiedDate;
    // KNVTCheckBoxState: the tick for a completed object, the cross for a cancelled one.
    int checkBoxState = 0;
    bool checkBoxEnabled = true;
    bool completed = false;
    // Completed or cancelled.
    bool closed = false;
    bool today = false;
    bool archived = false;
    bool canEdit = true;
    // Task: the avatar of the assignee; hidden for a task assigned to me.
    bool avatarHidden = true;
    QImage avatarImage;
    QString avatarInitials;
    QString avatarToolTip;
    // Project and area: the live tasks and the open ones among them.
    qsizetype numberOfTasks = 0;
    qsizetype numberOfUncompletedTasks = 0;
    // Only the object is known yet: a list of many rows makes its rows so, and its model fills a row the first time
    // anything reads it (knvt::ItemsOutlineModel::setRowSource), so that the rows no one looks at cost next to nothing.
    bool unfilled = false;

    static ItemRow header(const QString &title);
    // `showsTaskListTitle`: the row names the task's list above its title (lists that group by list do not).
    // `cache`: the list's, or nullptr.
    static ItemRow task(const KNVTCDTask &task, bool showsTaskListTitle = true, ItemRowCache *cache = nullptr);
    static ItemRow project(const KNVTCDTaskList &project);
    static ItemRow area(const KNVTCDTaskList &area);
    // The row of a task that is filled when first read.
    static ItemRow unfilledTask(const ostore::ObjectID &id);

    bool isHeader() const { return kind == ItemRowKind::Header; }
    // Everything the row shows is the same.
    bool operator==(const ItemRow &) const = default;
    // "3 items", "1 item", "0 items": the open tasks of an open list, every task of a closed one.
    QString itemCountText() const;
    // What the row shows above its title: its list's title, and the mark of an unsettled task; empty for neither.
    QString subtitleText() const;
    // What assistive technology reads for the row: its title and what the row shows around it.
    QString accessibleText(const QDateTime &now) const;
    // What it reads after a pause: that an open task is in Today (the yellow tint of its box), then the task's notes
    // (what tall rows preview).
    QString accessibleDescription(const QDateTime &now) const;
    // The completion box as a check state: checked when completed, partly checked when cancelled; none for a row
    // without a box (a header or an area).
    QVariant checkState() const;
    // The row's value for a model role of the item lists (display, accessible text and description, check state, tool
    // tip, object URI and knvt::ItemRowRole); nothing for any other role.
    QVariant data(int role) const;
};

// The model role whose value is a `const knvt::ItemRow *` for the row, valid until the model's rows next change. Every
// model whose rows the row delegates paint answers it.
inline constexpr int ItemRowRole = Qt::UserRole + 2;
// The model role whose value is the row's knvt::ItemRowKind as an int: what a row's height depends on, answered without
// filling an unfilled row. A model that does not answer it is asked for the row itself.
inline constexpr int ItemRowKindRole = Qt::UserRole + 3;

} // namespace knvt

Q_DECLARE_METATYPE(const knvt::ItemRow *)
