#include "lists/ItemRow.h"

#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Clock.h"
#include "foundation/KNVTMinimalDateFormatter.h"
#include "uikit/ItemDataRole.h"
#include "uikit/KNVTCheckBox.h"
#include "uikit/ShownAsTyped.h"

#include <QCoreApplication>
#include <QStringList>

namespace knvt {

namespace {

int checkBoxStateFor(bool completed, bool cancelled)
{
    if (completed)
        return KNVTCheckBoxStateTick;
    return cancelled ? KNVTCheckBoxStateCross : KNVTCheckBoxStateNone;
}

void fillList(ItemRow &row, const KNVTCDTaskList &list, ItemRowKind kind)
{
    row.kind = kind;
    row.objectID = list.objectID();
    row.uri = list.uri();
    row.title = list.title();
    row.startDate = list.startDate();
    row.dueDate = list.dueDate();
    row.statusModifiedDate = list.statusModifiedDate();
    row.completed = list.isCompleted();
    row.closed = list.isCompletedOrCancelled();
    row.checkBoxState = checkBoxStateFor(list.isCompleted(), list.isCancelled());
    row.archived = list.isArchived();
    row.canEdit = list.canEdit();
    // A list whose owner is someone else cannot be closed from its row.
    row.checkBoxEnabled = row.canEdit;
    row.numberOfTasks = list.numberOfTasks();
    row.numberOfUncompletedTasks = list.numberOfUncompletedTasks();
}

} // namespace

ItemRow ItemRow::header(const QString &title)
{
    ItemRow row;
    row.title = title;
    return row;
}

void ItemRowCache::beginRebuild()
{
    m_canEditTasks.clear();
    m_storeChecked = false;
}

bool ItemRowCache::canEditTask(const KNVTCDTask &task)
{
    const KNVTCDTaskList *list = task.taskList();
    if (!list)
        return task.canEdit();
    auto it = m_canEditTasks.constFind(list);
    if (it == m_canEditTasks.constEnd())
        it = m_canEditTasks.insert(list, task.canEdit());
    return *it;
}

QUrl ItemRowCache::uri(const ostore::Object &object)
{
    const ostore::Context *context = object.context();
    if (!context)
        return object.uri();
    if (!m_storeChecked) {
        const QString storeUUID = context->coordinator()->storeUUID();
        if (storeUUID != m_storeUUID)
            m_uris.clear();
        m_storeUUID = storeUUID;
        m_storeChecked = true;
    }
    const ostore::ObjectID id = object.objectID();
    auto it = m_uris.constFind(id);
    if (it == m_uris.constEnd())
        it = m_uris.insert(id, object.uri());
    return *it;
}

ItemRow ItemRow::unfilledTask(const ostore::ObjectID &id)
{
    ItemRow row;
    row.kind = ItemRowKind::Task;
    row.objectID = id;
    row.unfilled = true;
    return row;
}

ItemRow ItemRow::task(const KNVTCDTask &task, bool showsTaskListTitle, ItemRowCache *cache)
{
    ItemRow row;
    row.kind = ItemRowKind::Task;
    row.objectID = task.objectID();
    row.uri = cache ? cache->uri(task) : task.uri();
    row.title = task.title();
    if (showsTaskListTitle) {
        if (const KNVTCDTaskList *list = task.taskList())
            row.subtitle = list->title();
    }
    row.unsettled = !task.numericIdentifier() && task.pushState() == KNVTCDTaskStoreObject::PushState::Unsettled;
    row.notes = task.notes();
    row.startDate = task.startDate();
    row.dueDate = task.dueDate();
    row.statusModifiedDate = task.statusModifiedDate();
    row.completed = task.isCompleted();
    row.closed = task.isCompletedOrCancelled();
    row.checkBoxState = checkBoxStateFor(task.isCompleted(), task.isCancelled());
    row.today = task.isToday();
    row.archived = task.isArchived();
    row.canEdit = cache ? cache->canEditTask(task) : task.canEdit();
    // A box that would change a task I may not edit is shown but cannot be pressed.
    row.checkBoxEnabled = row.canEdit;

    const KNVTCDUser *assignee = task.assignee();
    if (assignee && assignee->isMe()) {
        row.avatarHidden = true;
    } else {
        // A task without an assignee shows the empty disc: it is nobody's yet.
        row.avatarHidden = false;
        if (assignee) {
            const KNVTCDAvatar *avatar = assignee->avatar();
            if (avatar)
                row.avatarImage = avatar->thumbnailImage();
            if (row.avatarImage.isNull())
                row.avatarInitials = assignee->avatarInitials();
            row.avatarToolTip = assignee->extendedDisplayName();
        }
    }
    return row;
}

ItemRow ItemRow::project(const KNVTCDTaskList &project)
{
    ItemRow row;
    fillList(row, project, ItemRowKind::Project);
    return row;
}

ItemRow ItemRow::area(const KNVTCDTaskList &area)
{
    ItemRow row;
    fillList(row, area, ItemRowKind::Area);
    return row;
}

QString ItemRow::itemCountText() const
{
    const qsizetype n = closed ? numberOfTasks : numberOfUncompletedTasks;
    if (n == 1)
        return QCoreApplication::translate("ItemRow", "%1 item").arg(1);
    return QCoreApplication::translate("ItemRow", "%1 items").arg(n);
}

namespace {

// The mark of the user's own copy of a task the service may hold twice, shown and read.
QString unsettledMark()
{
    return QCoreApplication::translate("ItemRow", "yours, not sent");
}

} // namespace

QString ItemRow::subtitleText() const
{
    if (!unsettled)
        return subtitle;
    const QString mark = unsettledMark();
    return subtitle.isEmpty() ? mark : QCoreApplication::translate("ItemRow", "%1 · %2").arg(subtitle, mark);
}

QString ItemRow::accessibleText(const QDateTime &now) const
{
    if (isHeader())
        return title;
    const KNVTMinimalDateFormatter &formatter = KNVTMinimalDateFormatter::mainThreadFormatter();
    QStringList parts;
    parts << title;
    if (!subtitle.isEmpty())
        parts << subtitle;
    if (unsettled)
        parts << unsettledMark();
    if (kind == ItemRowKind::Project || kind == ItemRowKind::Area)
        parts << itemCountText();
    if (!closed && dueDate.isValid()) {
        parts << QCoreApplication::translate("ItemRow", "due %1").arg(formatter.stringFromDate(dueDate));
        if (kind == ItemRowKind::Task && dueDate <= now)
            parts << QCoreApplication::translate("ItemRow", "overdue");
    }
    if (!closed && startDate.isValid() && startDate > now)
        parts << QCoreApplication::translate("ItemRow", "starts %1").arg(formatter.stringFromDate(startDate));
    if (completed)
        parts << QCoreApplication::translate("ItemRow", "completed");
    else if (closed)
        parts << QCoreApplication::translate("ItemRow", "cancelled");
    if (archived)
        parts << QCoreApplication::translate("ItemRow", "archived");
    if (!avatarToolTip.isEmpty())
        parts << QCoreApplication::translate("ItemRow", "assigned to %1").arg(avatarToolTip);
    return parts.join(QStringLiteral(", "));
}

QString ItemRow::accessibleDescription(const QDateTime &now) const
{
    QStringList parts;
    // As the box's tint says it: an overdue task's box is red instead, and its text says "overdue".
    const bool overdue = dueDate.isValid() && dueDate <= now;
    if (kind == ItemRowKind::Task && today && !closed && !overdue)
        parts << QCoreApplication::translate("ItemRow", "Today");
    if (kind == ItemRowKind::Task && !notes.isEmpty())
        parts << notes;
    return parts.join(QStringLiteral(". "));
}

QVariant ItemRow::checkState() const
{
    if (kind != ItemRowKind::Task && kind != ItemRowKind::Project)
        return {};
    if (completed)
        return int(Qt::Checked);
    return int(closed ? Qt::PartiallyChecked : Qt::Unchecked);
}

QVariant ItemRow::data(int role) const
{
    switch (role) {
    case Qt::DisplayRole: return title;
    case Qt::AccessibleTextRole: return accessibleText(Clock::shared().now());
    case Qt::AccessibleDescriptionRole:
        return isHeader() ? QVariant() : QVariant(accessibleDescription(Clock::shared().now()));
    case Qt::CheckStateRole: return checkState();
    case Qt::ToolTipRole: return avatarToolTip.isEmpty() ? QVariant() : QVariant(toolTipShowingText(avatarToolTip));
    case ObjectUriRole: return uri.isEmpty() ? QVariant() : QVariant(uri);
    case ItemRowRole: return QVariant::fromValue(this);
    default: return {};
    }
}

} // namespace knvt
