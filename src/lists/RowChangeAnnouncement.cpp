#include "lists/RowChangeAnnouncement.h"

#include "lists/ListRows.h"

#include "model/KNVTCDTask.h"

#include "foundation/InterfaceLanguage.h"

#include "objectstore/Context.h"

#include <QCoreApplication>
#include <QStringList>

namespace knvt {

namespace {

// More rows than this in one sentence are counted rather than named.
constexpr qsizetype MostNamed = 3;

QString sentence(const char *named, const char *counted, const QStringList &titles, qsizetype count)
{
    if (count == 0)
        return {};
    if (titles.size() == count && count <= MostNamed)
        return QCoreApplication::translate("RowChangeAnnouncement", named)
            .arg(wordsLocale().createSeparatedList(titles));
    return QCoreApplication::translate("RowChangeAnnouncement", counted, nullptr, int(count));
}

} // namespace

RowChangeAnnouncement::RowChangeAnnouncement(const ListRows *rows, const std::optional<ostore::ChangeSet> &changes,
                                             bool madeElsewhere)
    : m_rows(rows), m_madeElsewhere(madeElsewhere)
{
    if (rows == nullptr || !changes)
        return;
    QHash<ostore::ObjectID, Seen> ids;
    for (const std::vector<ostore::ObjectID> *named : {&changes->inserted, &changes->updated, &changes->deleted})
        for (const ostore::ObjectID &id : *named)
            ids.insert(id, Seen{});
    m_before = rowsOf(*rows, ids);
}

QHash<ostore::ObjectID, RowChangeAnnouncement::Seen>
RowChangeAnnouncement::rowsOf(const ListRows &rows, const QHash<ostore::ObjectID, Seen> &ids)
{
    QHash<ostore::ObjectID, Seen> seen;
    seen.reserve(ids.size());
    for (auto id = ids.cbegin(); id != ids.cend(); ++id)
        seen.insert(id.key(), Seen{});
    if (ids.isEmpty())
        return seen;
    // One walk over the rows, however many objects changed: a sync changes thousands at once.
    for (const ListSection &section : rows.sections())
        for (const ItemRow &row : section.rows)
            if (const auto found = seen.find(row.objectID); found != seen.end())
                *found = Seen{true, row.unfilled ? QString() : row.title, row.completed};
    return seen;
}

QString RowChangeAnnouncement::text(ostore::Context &context) const
{
    if (m_rows == nullptr || m_before.isEmpty())
        return {};
    const QHash<ostore::ObjectID, Seen> after = rowsOf(*m_rows, m_before);
    QStringList added, removed, completed;
    qsizetype addedCount = 0, removedCount = 0, completedCount = 0;
    auto count = [](QStringList &titles, qsizetype &counted, const QString &title) {
        ++counted;
        if (!title.isEmpty())
            titles << title;
    };
    for (auto before = m_before.cbegin(); before != m_before.cend(); ++before) {
        const Seen now = after.value(before.key());
        if (!before.value().shown) {
            if (now.shown && m_madeElsewhere)
                count(added, addedCount, now.title);
            continue;
        }
        if (now.shown) {
            if (now.completed && !before.value().completed)
                count(completed, completedCount, now.title);
            continue;
        }
        // The row went: the task left the list by its completion (Today and Next show none), or elsewhere.
        const auto *task = dynamic_cast<const KNVTCDTask *>(context.existingObject(before.key()));
        if (task != nullptr && !task->isDeleted() && task->isCompleted() && !before.value().completed)
            count(completed, completedCount, before.value().title);
        else if (m_madeElsewhere)
            count(removed, removedCount, before.value().title);
    }
    QStringList sentences;
    for (const QString &said :
         {sentence(QT_TRANSLATE_NOOP("RowChangeAnnouncement", "%1 added."),
                   QT_TRANSLATE_N_NOOP("RowChangeAnnouncement", "%n items added."), added, addedCount),
          sentence(QT_TRANSLATE_NOOP("RowChangeAnnouncement", "%1 removed."),
                   QT_TRANSLATE_N_NOOP("RowChangeAnnouncement", "%n items removed."), removed, removedCount),
          sentence(QT_TRANSLATE_NOOP("RowChangeAnnouncement", "%1 completed."),
                   QT_TRANSLATE_N_NOOP("RowChangeAnnouncement", "%n items completed."), completed, completedCount)})
        if (!said.isEmpty())
            sentences << said;
    return sentences.join(QLatin1Char(' '));
}

} // namespace knvt
