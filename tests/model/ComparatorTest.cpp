#include "ModelTest.h"

#include "model/TitleKeysUnderWay.h"
#include "model/TitleSortKeys.h"

#include <QThreadPool>

#include <algorithm>

namespace {

// The keys of a knvt::TitleKeysUnderWay one after the other, whatever batches made them.
std::vector<QCollatorSortKey> inOrder(const knvt::TitleKeysUnderWay::Keys &batches)
{
    std::vector<QCollatorSortKey> keys;
    for (const std::vector<QCollatorSortKey> &batch : batches)
        keys.insert(keys.end(), batch.begin(), batch.end());
    return keys;
}

class ModelComparatorTest : public ModelTest
{
protected:
    KNVTCDTask *task(const QString &title, const QDateTime &start = {}, const QDateTime &due = {},
                     const QDateTime &statusModified = {})
    {
        auto *t = insert<KNVTCDTask>();
        t->setTitle(title);
        t->setStartDate(start);
        t->setDueDate(due);
        t->setStatusModifiedDate(statusModified);
        return t;
    }
    static QStringList sortedTitles(std::vector<KNVTCDTaskStoreObject *> objects,
                                    const KNVTCDTaskStoreObject::Comparator &comparator)
    {
        std::stable_sort(objects.begin(), objects.end(), comparator);
        QStringList titles;
        for (const KNVTCDTaskStoreObject *o : objects) {
            const ostore::Value title = o->value(QStringLiteral("title"));
            const QString *s = std::get_if<QString>(&title);
            titles << (s ? *s : QString());
        }
        return titles;
    }
};

TEST_F(ModelComparatorTest, ScheduledByEarlierOfStartAndDueThenTitleUndatedLast)
{
    const QDateTime day = date();
    std::vector<KNVTCDTaskStoreObject *> objects{
        task(QStringLiteral("undated")),
        task(QStringLiteral("due third"), {}, day.addDays(3)),
        task(QStringLiteral("start five due one"), day.addDays(5), day.addDays(1)),
        task(QStringLiteral("Banana"), day.addDays(2)),
        task(QStringLiteral("apple"), day.addDays(9), day.addDays(2)),
    };
    auto *list = insert<KNVTCDTaskList>();
    list->setTitle(QStringLiteral("list start four"));
    list->setStartDate(day.addDays(4));
    objects.push_back(list);

    EXPECT_EQ(sortedTitles(objects, KNVTCDTaskStoreObject::scheduledObjectComparator()),
              (QStringList{"start five due one", "apple", "Banana", "due third", "list start four", "undated"}));
}

TEST_F(ModelComparatorTest, TitlesSortLocalizedAndCaseInsensitive)
{
    std::vector<KNVTCDTaskStoreObject *> objects{task(QStringLiteral("Émile")), task(QStringLiteral("Bert")),
                                                 task(QStringLiteral("anna"))};
    const QStringList expected{"anna", "Bert", "Émile"};
    EXPECT_EQ(sortedTitles(objects, KNVTCDTaskStoreObject::objectTitleComparator()), expected);
    EXPECT_EQ(sortedTitles(objects, KNVTCDTaskStoreObject::somedayObjectComparator()), expected);
}

TEST_F(ModelComparatorTest, TitleSortKeysGiveTheCollatorsOrderAndEndWithTheirScope)
{
    std::vector<KNVTCDTaskStoreObject *> objects;
    for (const char *title :
         {"Émile", "Bert", "Anna", "emile", "Zoë", "zed", "Ánna", "bert", "10 apples", "9 pears", ""})
        objects.push_back(task(QString::fromUtf8(title)));
    auto *list = insert<KNVTCDTaskList>();
    list->setTitle(QStringLiteral("anna's list"));
    objects.push_back(list);

    std::vector<KNVTCDTaskStoreObject *> tasksOnly(objects.begin(), objects.end() - 1);
    const struct
    {
        KNVTCDTaskStoreObject::Comparator comparator;
        const std::vector<KNVTCDTaskStoreObject *> &objects;
    } sorts[] = {{KNVTCDTaskStoreObject::objectTitleComparator(), objects},
                 {KNVTCDTaskStoreObject::scheduledObjectComparator(), objects},
                 {KNVTCDTask::uncompletedTaskComparator(), tasksOnly},
                 {KNVTCDTask::todayTaskComparator(), tasksOnly}};
    for (const auto &sort : sorts) {
        const QStringList collated = sortedTitles(sort.objects, sort.comparator);
        knvt::TitleSortKeys keys;
        EXPECT_EQ(sortedTitles(sort.objects, sort.comparator), collated);
    }

    // A key lives as long as its scope: a title changed afterwards sorts by its new text.
    KNVTCDTask *zed = static_cast<KNVTCDTask *>(objects[5]);
    {
        knvt::TitleSortKeys keys;
        EXPECT_GT(knvt::TitleSortKeys::compare(zed, objects[0]), 0);
    }
    zed->setTitle(QStringLiteral("aaa"));
    EXPECT_LT(knvt::TitleSortKeys::compare(zed, objects[0]), 0);
}

// Keys made many at a time, on several threads, are each the key of the title in their place.
TEST(TitleSortKeys, KeysMadeManyAtATimeAreEachTheKeyOfTheTitleInTheirPlace)
{
    const char *const words[] = {"Émile", "bert", "Zoë", "заказать", "10 apples", "épée", "Anna", "東京", ""};
    for (const int count : {0, 5, 3001}) {
        std::vector<QString> titles;
        for (int i = 0; i < count; ++i)
            titles.push_back(QString::fromUtf8(words[i % std::size(words)]) + QString::number(i % 97));
        const std::vector<QCollatorSortKey> keys = inOrder(knvt::TitleSortKeys::sortKeys(titles));
        ASSERT_EQ(keys.size(), titles.size());
        for (size_t i = 0; i < titles.size(); ++i) {
            const QCollatorSortKey single = knvt::TitleSortKeys::sortKey(titles[i]);
            ASSERT_EQ(keys[i].compare(single), 0) << i;
            if (i > 0) {
                ASSERT_EQ(keys[i].compare(keys[i - 1]) < 0,
                          single.compare(knvt::TitleSortKeys::sortKey(titles[i - 1])) < 0)
                    << i;
            }
        }
    }
}

// Keys made on the pool while titles are still read come back in the titles' order, a bounded share per call, and
// a reader that stops half-way leaves the pool nothing to trip on. Without a thread to spare the reader makes every
// batch, at most one beyond its share a call.
TEST(TitleSortKeys, KeysMadeWhileTitlesAreReadComeBackInTheirOrderAShareAtATime)
{
    const char *const words[] = {"Émile", "bert", "Zoë", "заказать", "10 apples", "épée", "Anna", "東京", ""};
    const auto titleAt = [&words](int i) {
        return QString::fromUtf8(words[i % std::size(words)]) + QString::number(i % 97);
    };
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    for (const bool spareThreads : {true, false}) {
        pool->setMaxThreadCount(spareThreads ? std::max(threads, 2) : 1);
        for (const int count : {0, 5, 3001}) {
            SCOPED_TRACE(testing::Message() << count << (spareThreads ? " with" : " without") << " threads");
            knvt::TitleKeysUnderWay underWay;
            for (int i = 0; i < count; ++i)
                underWay.add(titleAt(i));
            ASSERT_EQ(underWay.size(), size_t(count));
            int calls = 1;
            while (!underWay.collect(512))
                ++calls;
            if (!spareThreads) {
                EXPECT_LE(calls, count / 512 + 2);
            }
            const std::vector<QCollatorSortKey> keys = inOrder(underWay.takeKeys());
            ASSERT_EQ(keys.size(), size_t(count));
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(keys[size_t(i)].compare(knvt::TitleSortKeys::sortKey(titleAt(i))), 0) << i;
        }
    }
    pool->setMaxThreadCount(threads);
    for (int round = 0; round < 20; ++round) {
        knvt::TitleKeysUnderWay dropped;
        for (int i = 0; i < 2000; ++i)
            dropped.add(titleAt(i));
        dropped.collect(300);
    }
}

// A title whose key keeps a thread far longer than the others (a pasted page of text, read a title's share at a time)
// holds back no key but by its place: the reader makes the batches behind it that no thread has started, waits for it
// no longer than its share, and every key comes back in its title's place once the thread is done.
TEST(TitleSortKeys, ATitleThatKeepsAThreadLongComesBackInItsPlaceAmongTheOthers)
{
    const char *const words[] = {"Émile", "bert", "Zoë", "заказать", "10 apples", "épée", "Anna", "東京", ""};
    QString pasted;
    for (int i = 0; pasted.size() < 1'000'000; ++i)
        pasted += QString::fromUtf8(words[i % std::size(words)]) + QLatin1Char(' ');
    std::vector<QString> titles{pasted};
    for (int i = 1; i < 3000; ++i)
        titles.push_back(QString::fromUtf8(words[i % std::size(words)]) + QString::number(i % 89));
    knvt::TitleKeysUnderWay underWay;
    for (const QString &title : titles)
        underWay.add(title);
    while (!underWay.collect(1)) {}
    const std::vector<QCollatorSortKey> keys = inOrder(underWay.takeKeys());
    ASSERT_EQ(keys.size(), titles.size());
    for (size_t i = 0; i < titles.size(); ++i)
        ASSERT_EQ(keys[i].compare(knvt::TitleSortKeys::sortKey(titles[i])), 0) << i;
}

TEST_F(ModelComparatorTest, CompletedAndArchivedNewestFirstUndatedLast)
{
    std::vector<KNVTCDTaskStoreObject *> objects{
        task(QStringLiteral("old"), {}, {}, date()),
        task(QStringLiteral("never"), {}, {}, {}),
        task(QStringLiteral("new"), {}, {}, date(3600)),
        task(QStringLiteral("middle"), {}, {}, date(60)),
    };
    const QStringList expected{"new", "middle", "old", "never"};
    EXPECT_EQ(sortedTitles(objects, KNVTCDTaskStoreObject::completedObjectComparator()), expected);
    EXPECT_EQ(sortedTitles(objects, KNVTCDTaskStoreObject::archivedObjectComparator()), expected);
}

} // namespace
