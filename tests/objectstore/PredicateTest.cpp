#include "StoreTest.h"

#include <QRandomGenerator>

#include <functional>
#include <set>

namespace {

// A date the rules compare against; which one does not matter, so it is no reading of the machine's clock.
QDateTime someInstant()
{
    return QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30), Qt::UTC);
}

} // namespace

using namespace ostore;
using namespace ostore::where;

using OstorePredicateTest = StoreTest;

TEST_F(OstorePredicateTest, NullRules)
{
    const QDateTime now = someInstant();
    auto tasks = saveTasks({QStringLiteral("no dates"), QStringLiteral("due")});
    tasks[1]->setDueDate(now.addDays(-1));
    tasks[0]->setStatus(std::nullopt);
    auto *list = main().insert<TaskList>();
    list->setType(1);
    tasks[1]->setTaskList(list);
    ASSERT_TRUE(main().save());

    auto names = [&](const Predicate &p) { return titles(main().fetch<Task>(p)); };
    EXPECT_EQ(names(key(QStringLiteral("dueDate")) <= now), QStringList{QStringLiteral("due")});
    EXPECT_EQ(names(key(QStringLiteral("dueDate")) > now.addYears(-10)), QStringList{QStringLiteral("due")});
    EXPECT_EQ(names(key(QStringLiteral("dueDate")) < QDateTime()), QStringList()); // ordering against none
    EXPECT_EQ(names(key(QStringLiteral("status")) != 5),
              QStringList({QStringLiteral("no dates"), QStringLiteral("due")}));
    EXPECT_EQ(names(key(QStringLiteral("status")) == 2), QStringList{QStringLiteral("due")});
    EXPECT_EQ(names(key(QStringLiteral("assignee")) == static_cast<User *>(nullptr)),
              QStringList({QStringLiteral("no dates"), QStringLiteral("due")}));
    EXPECT_EQ(names(key(QStringLiteral("taskList.type")) == 1), QStringList{QStringLiteral("due")});
    EXPECT_EQ(names(key(QStringLiteral("taskList.type")) != 1), QStringList{QStringLiteral("no dates")});
    EXPECT_EQ(names(isNull(QStringLiteral("taskList.type"))), QStringList{QStringLiteral("no dates")});
    EXPECT_EQ(names(!(key(QStringLiteral("status")) == 2)), QStringList{QStringLiteral("no dates")});
}

TEST_F(OstorePredicateTest, InNoneAndSelf)
{
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    tasks[0]->setStatus(1);
    tasks[1]->setStatus(4);
    tasks[2]->setStatus(std::nullopt);
    auto names = [&](const Predicate &p) { return titles(main().fetch<Task>(p)); };
    EXPECT_EQ(names(key(QStringLiteral("status")).in({1, 4})), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(names(!key(QStringLiteral("status")).in({1})), QStringList({QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(names(self().in(std::vector<Task *>{tasks[0], tasks[2]})),
              QStringList({QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(names(!self().in(std::vector<Task *>{tasks[0], tasks[2]})), QStringList{QStringLiteral("b")});
    Task *unsaved = main().insert<Task>();
    unsaved->setTitle(QStringLiteral("u"));
    EXPECT_EQ(names(self() == unsaved), QStringList{QStringLiteral("u")});
    EXPECT_EQ(names(self() != unsaved).size(), 3);
    EXPECT_EQ(names(key(QStringLiteral("title")).in({QStringLiteral("u"), QStringLiteral("c")})),
              QStringList({QStringLiteral("c"), QStringLiteral("u")}));
}

TEST_F(OstorePredicateTest, AnyNeedsOneMemberMeetingEveryCondition)
{
    Task *task = saveTasks({QStringLiteral("t")}).front();
    auto *red = main().insert<Tag>();
    auto *blue = main().insert<Tag>();
    auto *l1 = main().insert<TaggedTask>();
    l1->setTag(red);
    l1->setTask(task);
    l1->setDeletedDate(someInstant());
    auto *l2 = main().insert<TaggedTask>();
    l2->setTag(blue);
    l2->setTask(task);
    ASSERT_TRUE(main().save());
    const Predicate tagRed = key(QStringLiteral("tag")) == red, live = isNull(QStringLiteral("deletedDate"));
    EXPECT_EQ(main().count<Task>(any(QStringLiteral("taggedTasks"), tagRed && live)), 0);
    EXPECT_EQ(
        main().count<Task>(any(QStringLiteral("taggedTasks"), tagRed) && any(QStringLiteral("taggedTasks"), live)), 1);
    EXPECT_EQ(main().count<Tag>(any(QStringLiteral("taggedTasks"), live)), 1);
    EXPECT_EQ(main().count<Task>(count(QStringLiteral("taggedTasks")) == 2), 1);
}

TEST_F(OstorePredicateTest, StringMatchingFoldsCaseAndDiacriticsOnlyWhenAsked)
{
    saveTasks(
        {QStringLiteral("Café au lait"), QStringLiteral("CAFE NOIR"), QStringLiteral("tea"), QStringLiteral("xa+by")});
    Task *unsaved = main().insert<Task>();
    unsaved->setTitle(QStringLiteral("Le CAFÉ"));
    auto names = [&](const Predicate &p) { return titles(main().fetch<Task>(p)); };
    const QString title = QStringLiteral("title");
    EXPECT_EQ(names(key(title).contains(QStringLiteral("cafe"), Fold::CaseDiacritic)),
              QStringList({QStringLiteral("Café au lait"), QStringLiteral("CAFE NOIR"), QStringLiteral("Le CAFÉ")}));
    EXPECT_EQ(names(key(title).contains(QStringLiteral("Café"))), QStringList{QStringLiteral("Café au lait")});
    EXPECT_EQ(names(key(title).contains(QString(), Fold::CaseDiacritic)), QStringList());
    EXPECT_EQ(names(key(title).contains(QStringLiteral(""), Fold::CaseDiacritic)), QStringList());
    EXPECT_EQ(names(key(title).contains(QStringLiteral("a+b"), Fold::CaseDiacritic)),
              QStringList{QStringLiteral("xa+by")});
    EXPECT_EQ(names(key(title).contains(QStringLiteral("a.b"), Fold::CaseDiacritic)), QStringList());
    EXPECT_EQ(names(key(title).equals(QStringLiteral("cafe noir"), Fold::CaseDiacritic)),
              QStringList{QStringLiteral("CAFE NOIR")});
    EXPECT_EQ(names(key(title) == QStringLiteral("cafe noir")), QStringList());
    EXPECT_EQ(names(key(QStringLiteral("notes")).contains(QStringLiteral("a"), Fold::CaseDiacritic)), QStringList());
}

// A letter may fold to several ("ß" to "ss"), in the saved rows' folded cache and in an unsaved row alike.
TEST_F(OstorePredicateTest, FoldingIsFullSoOneLetterMatchesTheLettersItStandsFor)
{
    saveTasks({QStringLiteral("Hauptstraße 5"), QStringLiteral("GROẞE Pläne")});
    main().insert<Task>()->setTitle(QStringLiteral("Unsaved STRASSE"));
    const struct
    {
        const char *typed;
        QStringList found;
    } rows[] = {
        {"STRASSE", {QStringLiteral("Hauptstraße 5"), QStringLiteral("Unsaved STRASSE")}},
        {"straße", {QStringLiteral("Hauptstraße 5"), QStringLiteral("Unsaved STRASSE")}},
        {"grosse", {QStringLiteral("GROẞE Pläne")}},
        {"Große", {QStringLiteral("GROẞE Pläne")}},
        {"strasse 5", {QStringLiteral("Hauptstraße 5")}},
    };
    for (const auto &row : rows) {
        const QString typed = QString::fromUtf8(row.typed);
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(titles(main().fetch<Task>(key(QStringLiteral("title")).contains(typed, Fold::CaseDiacritic))),
                  row.found);
    }
}

TEST_F(OstorePredicateTest, IntegersAndDoublesCompareNumerically)
{
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b")});
    tasks[0]->setOrderIndex(1.5);
    tasks[1]->setOrderIndex(3.0);
    tasks[0]->setFlagged(true);
    EXPECT_EQ(titles(main().fetch<Task>(key(QStringLiteral("orderIndex")) > 2)), QStringList{QStringLiteral("b")});
    EXPECT_EQ(titles(main().fetch<Task>(key(QStringLiteral("orderIndex")) == 3)), QStringList{QStringLiteral("b")});
    EXPECT_EQ(titles(main().fetch<Task>(key(QStringLiteral("status")) < 2.5)),
              QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(titles(main().fetch<Task>(key(QStringLiteral("flagged")) == true)), QStringList{QStringLiteral("a")});
    EXPECT_EQ(titles(main().fetch<Task>(key(QStringLiteral("flagged")) != true)), QStringList{QStringLiteral("b")});
}

TEST(OstorePredicateDeathTest, UnknownKeysAndToManyOutsideAnyAbort)
{
    QTemporaryDir dir;
    testmodel::Library lib(dir.filePath(QStringLiteral("x.sqlite3")));
    EXPECT_DEATH(lib.main->count<Task>(key(QStringLiteral("nope")) == 1), "unknown key");
    EXPECT_DEATH(lib.main->count<Task>(isNull(QStringLiteral("comments"))), "to-many");
}

// Random predicates over random rows agree with a plain evaluator written against the same values.
namespace {

struct Plain
{
    QString title;
    std::optional<qint64> status;
    std::optional<qint64> due;
    int list = -1; // index into lists, -1 = none
};

struct Generated
{
    Predicate predicate;
    std::function<bool(const Plain &)> expected;
    QString text;
};

} // namespace

TEST_F(OstorePredicateTest, RandomPredicatesAgreeWithAPlainEvaluator)
{
    QRandomGenerator random(1234);
    std::vector<TaskList *> lists;
    std::vector<qint64> listTypes;
    for (int i = 0; i < 3; ++i) {
        lists.push_back(main().insert<TaskList>());
        listTypes.push_back(i % 2);
        lists.back()->setType(i % 2);
    }
    const QStringList words{QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("gamma"),
                            QStringLiteral("Délta"), QStringLiteral("")};
    std::vector<Task *> tasks;
    std::map<Task *, Plain> plain;
    auto randomize = [&](Task *t) {
        Plain p;
        p.title = words[random.bounded(words.size())] + (random.bounded(2) ? QStringLiteral(" x") : QString());
        if (random.bounded(4))
            p.status = random.bounded(1, 6);
        if (random.bounded(2))
            p.due = random.bounded(0, 100) * 1000;
        p.list = random.bounded(-1, 3);
        t->setTitle(p.title);
        t->setStatus(p.status);
        t->setDueDate(p.due ? QDateTime::fromMSecsSinceEpoch(*p.due, Qt::UTC) : QDateTime());
        t->setTaskList(p.list >= 0 ? lists[p.list] : nullptr);
        plain[t] = p;
    };
    for (int i = 0; i < 150; ++i) {
        tasks.push_back(main().insert<Task>());
        randomize(tasks.back());
    }
    ASSERT_TRUE(main().save());
    for (int i = 0; i < 30; ++i) // unsaved edits read through the overlay
        randomize(tasks[random.bounded(int(tasks.size()))]);

    std::function<Generated(int)> generate = [&](int depth) -> Generated {
        const int pick = random.bounded(depth > 2 ? 6 : 9);
        const qint64 n = random.bounded(0, 6);
        const qint64 ms = random.bounded(0, 100) * 1000;
        const QDateTime date = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
        const int li = random.bounded(3);
        const QString w = words[random.bounded(words.size() - 1)].left(3);
        switch (pick) {
        case 0:
            return {key(QStringLiteral("status")) == n, [n](const Plain &p) { return p.status && *p.status == n; },
                    QStringLiteral("status==%1").arg(n)};
        case 1:
            return {key(QStringLiteral("status")) != n, [n](const Plain &p) { return !p.status || *p.status != n; },
                    QStringLiteral("status!=%1").arg(n)};
        case 2:
            return {key(QStringLiteral("status")) < n, [n](const Plain &p) { return p.status && *p.status < n; },
                    QStringLiteral("status<%1").arg(n)};
        case 3:
            return {key(QStringLiteral("dueDate")) >= date, [ms](const Plain &p) { return p.due && *p.due >= ms; },
                    QStringLiteral("due>=%1").arg(ms)};
        case 4:
            return {isNull(QStringLiteral("dueDate")), [](const Plain &p) { return !p.due; },
                    QStringLiteral("due==nil")};
        case 5:
            return {key(QStringLiteral("taskList.type")) == qint64(li % 2),
                    [&, li](const Plain &p) { return p.list >= 0 && listTypes[p.list] == li % 2; },
                    QStringLiteral("list.type==%1").arg(li % 2)};
        case 6:
            return {key(QStringLiteral("taskList")) == lists[li], [li](const Plain &p) { return p.list == li; },
                    QStringLiteral("list==%1").arg(li)};
        case 7:
            return {key(QStringLiteral("title")).contains(w, Fold::CaseDiacritic),
                    [w](const Plain &p) {
                        auto plainFold = [](QString s) {
                            return s.normalized(QString::NormalizationForm_D).remove(QChar(0x301)).toCaseFolded();
                        };
                        return !w.isEmpty() && plainFold(p.title).contains(plainFold(w));
                    },
                    QStringLiteral("title contains %1").arg(w)};
        default: break;
        }
        Generated a = generate(depth + 1), b = generate(depth + 1);
        switch (random.bounded(3)) {
        case 0:
            return {a.predicate && b.predicate, [a, b](const Plain &p) { return a.expected(p) && b.expected(p); },
                    QStringLiteral("(%1 AND %2)").arg(a.text, b.text)};
        case 1:
            return {a.predicate || b.predicate, [a, b](const Plain &p) { return a.expected(p) || b.expected(p); },
                    QStringLiteral("(%1 OR %2)").arg(a.text, b.text)};
        default:
            return {!a.predicate, [a](const Plain &p) { return !a.expected(p); }, QStringLiteral("NOT %1").arg(a.text)};
        }
    };
    for (int round = 0; round < 300; ++round) {
        const Generated g = generate(0);
        std::set<Task *> want;
        for (Task *t : tasks)
            if (g.expected(plain[t]))
                want.insert(t);
        const std::vector<Task *> got = main().fetch<Task>(g.predicate);
        ASSERT_EQ(std::set<Task *>(got.begin(), got.end()), want) << "round " << round << " " << qPrintable(g.text);
        ASSERT_EQ(main().count<Task>(g.predicate), qsizetype(want.size()));
    }
}
