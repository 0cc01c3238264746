#include "StoreTest.h"

#include <QRandomGenerator>

#include <array>
#include <functional>
#include <map>
#include <set>

using namespace ostore;
using namespace ostore::where;

// Random steps against a plain reference: after every step, fixed predicates must select the same tasks in the
// engine as in a std::map holding what the main context should see.
namespace {

constexpr int kTitle = 0, kStatus = 1, kDue = 2, kList = 3;
using Fields = std::array<QVariant, 4>; // title (QString), status, due (ms), list index; invalid = none

struct Reference
{
    std::map<qint64, Fields> committed;
    std::map<qint64, std::map<int, QVariant>> dirty; // main's unsaved values
    std::set<qint64> inserted, deleted;

    std::optional<Fields> view(qint64 key) const
    {
        if (deleted.count(key))
            return std::nullopt;
        Fields f;
        auto c = committed.find(key);
        if (c != committed.end())
            f = c->second;
        else if (!inserted.count(key))
            return std::nullopt;
        auto d = dirty.find(key);
        if (d != dirty.end())
            for (const auto &[field, v] : d->second)
                f[field] = v;
        return f;
    }
    std::vector<qint64> visible() const
    {
        std::vector<qint64> out;
        for (const auto &[k, f] : committed)
            if (view(k))
                out.push_back(k);
        for (qint64 k : inserted)
            if (view(k))
                out.push_back(k);
        return out;
    }
    void set(qint64 key, int field, const QVariant &v)
    {
        auto c = committed.find(key);
        if (c != committed.end() && c->second[field] == v) // writing back the committed value is no change
            dirty[key].erase(field);
        else
            dirty[key][field] = v;
    }
};

struct Check
{
    Predicate predicate;
    std::function<bool(const Fields &)> expected;
};

qint64 number(const QVariant &v)
{
    return v.toLongLong();
}

} // namespace

using OstoreRandomOperationsTest = StoreTest;

TEST_F(OstoreRandomOperationsTest, TwoThousandStepsMatchAReferenceModel)
{
    QRandomGenerator random(20260101);
    const QStringList words{QStringLiteral("alpha"), QStringLiteral("Ámbar"), QStringLiteral("beta"),
                            QStringLiteral("Gamma")};
    std::vector<TaskList *> lists;
    for (int i = 0; i < 3; ++i) {
        lists.push_back(main().insert<TaskList>());
        lists.back()->setType(i % 2);
        lists.back()->setNumericIdentifier(i);
    }
    ASSERT_TRUE(main().save());
    Reference ref;
    std::map<qint64, Task *> tasks;
    qint64 nextKey = 1;

    auto randomValue = [&](int field) -> QVariant {
        switch (field) {
        case kTitle: return words[random.bounded(words.size())];
        case kStatus: return random.bounded(4) ? QVariant(qint64(random.bounded(1, 5))) : QVariant();
        case kDue: return random.bounded(2) ? QVariant(qint64(random.bounded(0, 10) * 1000)) : QVariant();
        default: return random.bounded(4) ? QVariant(random.bounded(3)) : QVariant();
        }
    };
    auto apply = [&](Task *t, int field, const QVariant &v, const std::vector<TaskList *> &in) {
        switch (field) {
        case kTitle: t->setTitle(v.toString()); break;
        case kStatus: t->setStatus(v.isValid() ? std::optional<qint64>(number(v)) : std::nullopt); break;
        case kDue: t->setDueDate(v.isValid() ? QDateTime::fromMSecsSinceEpoch(number(v), Qt::UTC) : QDateTime()); break;
        default: t->setTaskList(v.isValid() ? in[v.toInt()] : nullptr); break;
        }
    };
    auto checks = [&]() {
        std::vector<Check> out;
        for (qint64 s = 1; s <= 4; ++s)
            out.push_back({key(QStringLiteral("status")) == s,
                           [s](const Fields &f) { return f[kStatus].isValid() && number(f[kStatus]) == s; }});
        out.push_back({key(QStringLiteral("status")) != 2,
                       [](const Fields &f) { return !f[kStatus].isValid() || number(f[kStatus]) != 2; }});
        out.push_back({isNull(QStringLiteral("status")), [](const Fields &f) { return !f[kStatus].isValid(); }});
        out.push_back({key(QStringLiteral("status")) >= 3,
                       [](const Fields &f) { return f[kStatus].isValid() && number(f[kStatus]) >= 3; }});
        for (qint64 ms : {0, 4000, 9000}) {
            const QDateTime d = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
            out.push_back({key(QStringLiteral("dueDate")) < d,
                           [ms](const Fields &f) { return f[kDue].isValid() && number(f[kDue]) < ms; }});
            out.push_back({key(QStringLiteral("dueDate")) == d,
                           [ms](const Fields &f) { return f[kDue].isValid() && number(f[kDue]) == ms; }});
        }
        out.push_back({isNull(QStringLiteral("dueDate")), [](const Fields &f) { return !f[kDue].isValid(); }});
        for (int l = 0; l < 3; ++l)
            out.push_back({key(QStringLiteral("taskList")) == lists[l],
                           [l](const Fields &f) { return f[kList].isValid() && f[kList].toInt() == l; }});
        out.push_back({isNull(QStringLiteral("taskList")), [](const Fields &f) { return !f[kList].isValid(); }});
        out.push_back({key(QStringLiteral("taskList.type")) == 1,
                       [](const Fields &f) { return f[kList].isValid() && f[kList].toInt() % 2 == 1; }});
        out.push_back({key(QStringLiteral("taskList.numericIdentifier")) != 2,
                       [](const Fields &f) { return !f[kList].isValid() || f[kList].toInt() != 2; }});
        out.push_back(
            {key(QStringLiteral("title")).contains(QStringLiteral("am"), Fold::CaseDiacritic), [](const Fields &f) {
                 const QString t = f[kTitle].toString();
                 return t == QStringLiteral("Ámbar") || t == QStringLiteral("Gamma");
             }});
        out.push_back({key(QStringLiteral("title")) == QStringLiteral("alpha"),
                       [](const Fields &f) { return f[kTitle].toString() == QStringLiteral("alpha"); }});
        out.push_back(
            {key(QStringLiteral("title")).in({QStringLiteral("beta"), QStringLiteral("Gamma")}), [](const Fields &f) {
                 return f[kTitle].toString() == QStringLiteral("beta")
                     || f[kTitle].toString() == QStringLiteral("Gamma");
             }});
        const std::vector<Check> base = out;
        for (size_t i = 0; out.size() < 30; ++i) {
            const Check &a = base[(i * 7) % base.size()], &b = base[(i * 11 + 3) % base.size()];
            if (i % 3 == 0)
                out.push_back(
                    {a.predicate && !b.predicate, [a, b](const Fields &f) { return a.expected(f) && !b.expected(f); }});
            else
                out.push_back(
                    {a.predicate || b.predicate, [a, b](const Fields &f) { return a.expected(f) || b.expected(f); }});
        }
        return out;
    };
    std::vector<Check> predicates = checks();

    auto reloadPointers = [&] {
        tasks.clear();
        for (Task *t : main().fetch<Task>())
            tasks[*t->numericIdentifier()] = t;
        lists = main().fetch<TaskList>({}, {SortDescriptor{QStringLiteral("numericIdentifier")}});
        predicates = checks();
    };
    auto anyVisible = [&]() -> qint64 {
        const std::vector<qint64> v = ref.visible();
        return v.empty() ? 0 : v[random.bounded(int(v.size()))];
    };

    for (int step = 0; step < 2000; ++step) {
        const int op = random.bounded(100);
        QString did;
        if (op < 20) {
            const qint64 k = nextKey++;
            Task *t = main().insert<Task>();
            t->setNumericIdentifier(k);
            ref.inserted.insert(k);
            ref.dirty[k] = {};
            ref.dirty[k][kStatus] = qint64(2); // awakeFromInsert
            for (int field = 0; field < 4; ++field) {
                const QVariant v = randomValue(field);
                apply(t, field, v, lists);
                ref.dirty[k][field] = v;
            }
            tasks[k] = t;
            did = QStringLiteral("insert %1").arg(k);
        } else if (op < 55) {
            const qint64 k = anyVisible();
            if (!k)
                continue;
            const int field = random.bounded(4);
            const QVariant v = randomValue(field);
            apply(tasks[k], field, v, lists);
            if (ref.inserted.count(k))
                ref.dirty[k][field] = v;
            else
                ref.set(k, field, v);
            did = QStringLiteral("set %1 field %2").arg(k).arg(field);
        } else if (op < 65) {
            const qint64 k = anyVisible();
            if (!k)
                continue;
            main().remove(tasks[k]);
            if (ref.inserted.erase(k)) {
                ref.dirty.erase(k);
                tasks.erase(k);
            } else {
                ref.deleted.insert(k);
            }
            did = QStringLiteral("remove %1").arg(k);
        } else if (op < 78) {
            ASSERT_TRUE(main().save());
            for (qint64 k : ref.deleted)
                ref.committed.erase(k);
            for (const auto &[k, d] : ref.dirty)
                if (!ref.deleted.count(k))
                    for (const auto &[field, v] : d)
                        ref.committed[k][field] = v;
            for (qint64 k : ref.deleted)
                tasks.erase(k);
            ref.dirty.clear();
            ref.deleted.clear();
            ref.inserted.clear();
            did = QStringLiteral("save");
        } else if (op < 84) {
            if (ref.committed.empty())
                continue;
            auto it = ref.committed.begin();
            std::advance(it, random.bounded(int(ref.committed.size())));
            const qint64 k = it->first;
            main().refresh(tasks[k], false);
            ref.dirty.erase(k);
            ref.deleted.erase(k);
            did = QStringLiteral("refresh %1").arg(k);
        } else if (op < 96) {
            if (ref.committed.empty())
                continue;
            auto it = ref.committed.begin();
            std::advance(it, random.bounded(int(ref.committed.size())));
            const qint64 k = it->first;
            Context session(&coordinator());
            auto *t = session.firstObject<Task>(key(QStringLiteral("numericIdentifier")) == k);
            ASSERT_NE(t, nullptr);
            if (random.bounded(5) == 0) {
                session.remove(t);
                ASSERT_TRUE(session.save());
                ref.committed.erase(k);
                ref.dirty.erase(k);
                ref.deleted.erase(k);
                tasks.erase(k);
                did = QStringLiteral("session remove %1").arg(k);
            } else {
                const std::vector<TaskList *> sessionLists =
                    session.fetch<TaskList>({}, {SortDescriptor{QStringLiteral("numericIdentifier")}});
                const int field = random.bounded(4);
                const QVariant v = randomValue(field);
                apply(t, field, v, sessionLists);
                ASSERT_TRUE(session.save());
                ref.committed[k][field] = v;
                did = QStringLiteral("session set %1 field %2").arg(k).arg(field);
            }
        } else {
            reopen();
            ref.dirty.clear();
            ref.deleted.clear();
            ref.inserted.clear();
            reloadPointers();
            did = QStringLiteral("reopen");
        }
        for (size_t i = 0; i < predicates.size(); ++i) {
            std::set<qint64> want;
            for (qint64 k : ref.visible())
                if (predicates[i].expected(*ref.view(k)))
                    want.insert(k);
            std::set<qint64> got;
            for (Task *t : main().fetch<Task>(predicates[i].predicate))
                got.insert(t->numericIdentifier().value_or(-1));
            ASSERT_EQ(got, want) << "step " << step << " (" << qPrintable(did) << "), predicate " << i;
        }
    }
}
