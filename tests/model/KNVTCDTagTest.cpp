#include "ModelTest.h"

#include "support/FakeClock.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

class KNVTCDTagTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        m_me = insert<KNVTCDUser>();
        m_me->setFriendshipStatus(KNVTUserFriendshipStatusMe);
    }

    KNVTCDTag *tag(const QString &title, std::optional<qint64> index = std::nullopt)
    {
        auto *t = insert<KNVTCDTag>();
        t->setTitle(title);
        t->setCreatorOrderIndex(index);
        return t;
    }
    KNVTCDTask *task(const QString &title, std::optional<qint64> identifier = std::nullopt)
    {
        auto *t = insert<KNVTCDTask>();
        t->setTitle(title);
        t->setNumericIdentifier(identifier);
        return t;
    }
    // A link as a pull leaves it: synced, nothing to push.
    KNVTCDTaggedTask *syncedLink(KNVTCDTag *t, KNVTCDTask *task, qint64 identifier)
    {
        auto *link = insert<KNVTCDTaggedTask>();
        link->setTag(t);
        link->setTask(task);
        link->setNumericIdentifier(identifier);
        link->setChangedKeysString(QString());
        return link;
    }
    static QJsonObject item(qint64 identifier, qint64 taskIdentifier, const QJsonValue &type = QStringLiteral("Task"))
    {
        return QJsonObject{{"id", identifier},
                           {"tag_id", 1},
                           {"taggable_id", taskIdentifier},
                           {"taggable_type", type},
                           {"created_at", wireDate()},
                           {"updated_at", wireDate()}};
    }
    static QJsonObject tagReply(const QJsonArray &items)
    {
        return QJsonObject{{"id", 1},
                           {"title", "home"},
                           {"created_at", wireDate()},
                           {"updated_at", wireDate()},
                           {"tagged_items", items}};
    }
    static std::vector<KNVTCDTag *> sorted(std::vector<KNVTCDTag *> tags)
    {
        std::stable_sort(tags.begin(), tags.end(), KNVTCDTag::tagComparator());
        return tags;
    }

    KNVTCDUser *m_me = nullptr;
};

// ---- Order, tasks, permission ----

TEST_F(KNVTCDTagTest, ComparatorOrdersByIndexThenTitleAndLeavesUnindexedTagsLast)
{
    // Equal indexes fall back to the titles, ignoring case; tags without an index keep their order.
    KNVTCDTag *zulu = tag(QStringLiteral("zulu"));
    KNVTCDTag *able = tag(QStringLiteral("able"));
    KNVTCDTag *seven = tag(QStringLiteral("a"), 7);
    KNVTCDTag *three = tag(QStringLiteral("z"), 3);
    KNVTCDTag *beta = tag(QStringLiteral("Beta"), 5);
    KNVTCDTag *alpha = tag(QStringLiteral("alpha"), 5);
    EXPECT_EQ(sorted({zulu, seven, beta, able, alpha, three}),
              (std::vector<KNVTCDTag *>{three, alpha, beta, seven, zulu, able}));
}

TEST_F(KNVTCDTagTest, TasksAreThoseWithALiveLinkOfTheirOwn)
{
    KNVTCDTag *t = tag(QStringLiteral("home"));
    KNVTCDTask *a = task(QStringLiteral("A"), 10);
    KNVTCDTask *b = task(QStringLiteral("B"), 11);
    KNVTCDTask *gone = task(QStringLiteral("gone"), 12);
    KNVTCDTaggedTask *linkA = syncedLink(t, a, 100);
    syncedLink(t, b, 101);
    syncedLink(t, gone, 102);
    gone->setDeletedDate(date());
    save();

    // Taking the tag off A tombstones its link until the removal is pushed; A must not keep the tag meanwhile,
    // although B still carries it.
    a->removeTag(t);
    ASSERT_TRUE(linkA->deletedDate().isValid());
    EXPECT_EQ(t->tasks(), std::vector<KNVTCDTask *>{b});

    // A link of another tag to A does not bring it back.
    syncedLink(tag(QStringLiteral("work")), a, 103);
    EXPECT_EQ(t->tasks(), std::vector<KNVTCDTask *>{b});
}

TEST_F(KNVTCDTagTest, OnlyTheLocalUsersOwnTagsCanBeEdited)
{
    KNVTCDTag *mine = tag(QStringLiteral("mine"));
    mine->setCreator(m_me);
    KNVTCDTag *theirs = tag(QStringLiteral("theirs"));
    theirs->setCreator(insert<KNVTCDUser>());
    KNVTCDTag *nobodys = tag(QStringLiteral("nobody's"));
    EXPECT_TRUE(mine->canEdit());
    EXPECT_FALSE(theirs->canEdit());
    EXPECT_FALSE(nobodys->canEdit());
}

// ---- Push ----

TEST_F(KNVTCDTagTest, PushSendsIndexAlwaysAndTitleOnlyWhenThere)
{
    KNVTCDTag *t = tag(QString());
    t->setCreator(m_me);
    m_me->setNumericIdentifier(42);
    const QStringList all{"title", "creatorOrderIndex", "creator", "deletedDate", "taggedTasks"};
    EXPECT_EQ(t->attributesForKeys(all), (QJsonObject{{"creator_order_index", QJsonValue::Null}}));
    t->setTitle(QStringLiteral("home"));
    t->setCreatorOrderIndex(4);
    EXPECT_EQ(t->attributesForKeys(all), (QJsonObject{{"title", "home"}, {"creator_order_index", 4}}));
    EXPECT_EQ(t->attributesForKeys({"deletedDate", "creator"}), QJsonObject());
}

// ---- Pull ----

TEST_F(KNVTCDTagTest, PullFillsFieldsAndLinksOnlyAKnownCreator)
{
    KNVTCDUser *creator = insert<KNVTCDUser>();
    creator->setNumericIdentifier(42);
    KNVTCDTag *t = tag(QStringLiteral("local"), 9);
    const qsizetype users = context().count<KNVTCDUser>();

    t->updateWithAttributes(wire(QJsonObject{{"id", 1},
                                             {"created_at", wireDate()},
                                             {"updated_at", wireDate(5)},
                                             {"deleted_at", wireDate(6)},
                                             {"title", "home"},
                                             {"creator_id", 42},
                                             {"creator_order_index", 3}}));
    EXPECT_EQ(t->modifiedDate(), date(5));
    EXPECT_EQ(t->deletedDate(), date(6));
    EXPECT_EQ(t->title(), QStringLiteral("home"));
    EXPECT_EQ(t->creator(), creator);
    EXPECT_EQ(t->creatorOrderIndex(), 3);
    EXPECT_TRUE(t->changedKeysString().isNull());

    // An unknown creator is neither created nor linked; a missing key leaves its field, null clears it.
    t->updateWithAttributes(wire(QJsonObject{{"id", 1}, {"creator_id", 43}, {"creator", QJsonObject{{"id", 43}}}}));
    EXPECT_EQ(t->creator(), creator);
    EXPECT_EQ(context().count<KNVTCDUser>(), users);
    EXPECT_EQ(t->deletedDate(), date(6));

    t->updateWithAttributes(wire(QJsonObject{{"id", 1}, {"creator_order_index", QJsonValue::Null}}));
    EXPECT_EQ(t->creatorOrderIndex(), std::nullopt);
}

TEST_F(KNVTCDTagTest, TaggedItemsAcceptOnlyTasksThatAreHereOrEmbedded)
{
    KNVTCDTask *here = task(QStringLiteral("here"), 10);
    KNVTCDTag *t = tag(QStringLiteral("home"));
    t->setNumericIdentifier(1);

    QJsonObject embedded = item(203, 99);
    embedded.insert(QStringLiteral("taggable"), QJsonObject{{"id", 99}, {"title", "elsewhere"}});
    t->updateWithAttributes(
        wire(tagReply({item(200, 10), item(201, 10, QStringLiteral("Project")), item(202, 98), embedded})));

    const std::vector<KNVTCDTaggedTask *> rows = t->taggedTasks();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->numericIdentifier(), 200);
    EXPECT_EQ(rows[0]->task(), here);
    EXPECT_EQ(rows[1]->numericIdentifier(), 203);
    EXPECT_EQ(rows[1]->task(), nullptr) << "the embedded task is not read";
    EXPECT_EQ(context().count<KNVTCDTask>(), 1);
}

TEST_F(KNVTCDTagTest, TaggedItemsReplaceSyncedLinksAndKeepUnpushedOnes)
{
    KNVTCDTask *a = task(QStringLiteral("A"), 10);
    KNVTCDTask *b = task(QStringLiteral("B"), 11);
    KNVTCDTag *t = tag(QStringLiteral("home"));
    t->setNumericIdentifier(1);
    KNVTCDTaggedTask *kept = syncedLink(t, a, 200);
    kept->setModifiedDate(date(-10));
    KNVTCDTaggedTask *dropped = syncedLink(t, b, 201);
    auto *unpushed = insert<KNVTCDTaggedTask>();
    unpushed->setTag(t);
    unpushed->setTask(b);
    save();

    QJsonObject tombstone = item(200, 10);
    tombstone.insert(QStringLiteral("deleted_at"), wireDate());
    t->updateWithAttributes(wire(tagReply({tombstone})));
    EXPECT_FALSE(kept->isDeleted());
    EXPECT_EQ(kept->deletedDate(), date()) << "the named link is merged";
    EXPECT_TRUE(dropped->isDeleted()) << "a synced link the tag no longer names is deleted outright";
    EXPECT_FALSE(unpushed->isDeleted()) << "a link not pushed yet is a local edit";
}

TEST_F(KNVTCDTagTest, LinkThatArrivedBeforeItsTaskIsLinkedWhenTheTaskComes)
{
    KNVTCDTag *t = tag(QStringLiteral("home"));
    QJsonObject early = item(203, 99);
    early.insert(QStringLiteral("taggable"), QJsonObject{{"id", 99}});
    const QJsonObject reply = tagReply({early});
    ASSERT_TRUE(t->mergeAttributes(wire(reply)));
    save();
    ASSERT_EQ(t->taggedTasks().size(), 1u);
    KNVTCDTaggedTask *row = t->taggedTasks().front();
    ASSERT_EQ(row->task(), nullptr);

    // The task arrives with a later pull; the tag and its item come again unchanged.
    KNVTCDTask *late = task(QStringLiteral("late"), 99);
    save();
    EXPECT_TRUE(t->mergeAttributes(wire(reply)));
    EXPECT_EQ(t->tasks(), std::vector<KNVTCDTask *>{late});
    EXPECT_TRUE(row->changedKeysString().isNull());

    // Once linked, the unchanged copy is not applied again.
    t->setTitle(QStringLiteral("renamed here"));
    EXPECT_FALSE(t->mergeAttributes(wire(reply)));
    EXPECT_EQ(t->title(), QStringLiteral("renamed here"));
}

// ---- Tagged task ----

TEST_F(KNVTCDTagTest, LinkPushesEachEndOnlyOnceItHasAnIdentifier)
{
    KNVTCDTag *t = tag(QStringLiteral("home"));
    KNVTCDTask *a = task(QStringLiteral("A"));
    auto *link = insert<KNVTCDTaggedTask>();
    link->setTag(t);
    link->setTask(a);
    const QStringList all{"tag", "task", "deletedDate", "numericIdentifier"};
    EXPECT_EQ(link->attributesForKeys(all), QJsonObject());
    t->setNumericIdentifier(1);
    EXPECT_EQ(link->attributesForKeys(all), (QJsonObject{{"tag_id", 1}}));
    a->setNumericIdentifier(10);
    link->setDeletedDate(date());
    EXPECT_EQ(link->attributesForKeys(all),
              (QJsonObject{{"tag_id", 1}, {"taggable_id", 10}, {"taggable_type", "Task"}}));
    EXPECT_EQ(link->attributesForKeys({"task"}), (QJsonObject{{"taggable_id", 10}, {"taggable_type", "Task"}}));
}

TEST_F(KNVTCDTagTest, LinkPullLinksEndsThatAreHereAndCreatesNone)
{
    KNVTCDTag *t = tag(QStringLiteral("home"));
    t->setNumericIdentifier(1);
    KNVTCDTask *a = task(QStringLiteral("A"), 10);
    auto *link = insert<KNVTCDTaggedTask>();
    link->setTask(a);
    link->updateWithAttributes(wire(QJsonObject{{"id", 200},
                                                {"created_at", wireDate()},
                                                {"updated_at", wireDate(1)},
                                                {"tag_id", 1},
                                                {"taggable_id", 77},
                                                {"taggable", QJsonObject{{"id", 77}}}}));
    EXPECT_EQ(link->numericIdentifier(), 200);
    EXPECT_EQ(link->tag(), t);
    EXPECT_EQ(link->task(), a) << "an unknown task leaves the link as it was";
    EXPECT_EQ(context().count<KNVTCDTask>(), 1);
    EXPECT_TRUE(link->changedKeysString().isNull());
}

// ---- Printout ----

class KNVTCDTagPrintTest : public KNVTCDTagTest
{
protected:
    KNVTCDTask *taggedTask(const QString &title, KNVTCDTag *t, KNVTCDTag *other = nullptr)
    {
        KNVTCDTask *created = task(title);
        created->addTag(t);
        if (other)
            created->addTag(other);
        return created;
    }
    // The headers and task titles of a printout, in order.
    static QStringList outline(const QString &html)
    {
        static const QRegularExpression part(QStringLiteral(
            "<div class=\"(page_title|group_header)\">([^<]*)</div>|<div class=\"title\">([^<]*)</div>"));
        QStringList parts;
        for (auto it = part.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            parts << (m.captured(1).isEmpty() ? m.captured(3) : QStringLiteral("[%1]").arg(m.captured(2)));
        }
        return parts;
    }

    knvt::test::FakeClock m_clock{QDateTime(QDate(2015, 3, 4), QTime(12, 0))};
};

TEST_F(KNVTCDTagPrintTest, TasksCarryingEveryTagAreGroupedInPrintedOrder)
{
    KNVTCDTag *home = tag(QStringLiteral("home"));
    KNVTCDTag *errands = tag(QStringLiteral("errands"));
    KNVTCDTask *second = taggedTask(QStringLiteral("second"), home, errands);
    second->setTaskListOrderIndex(2);
    KNVTCDTask *first = taggedTask(QStringLiteral("first"), home, errands);
    first->setTaskListOrderIndex(1);
    KNVTCDTask *later = taggedTask(QStringLiteral("later"), home, errands);
    later->setStartDate(m_clock.now().addDays(3));
    KNVTCDTask *sometime = taggedTask(QStringLiteral("b sometime"), home, errands);
    sometime->setStatus(KNVTTaskStatusSomeday);
    KNVTCDTask *older = taggedTask(QStringLiteral("done long ago"), home, errands);
    older->setStatus(KNVTTaskStatusCompleted);
    older->setStatusModifiedDate(date(-100));
    KNVTCDTask *newer = taggedTask(QStringLiteral("done today"), home, errands);
    newer->setStatus(KNVTTaskStatusCancelled);
    newer->setStatusModifiedDate(date());
    taggedTask(QStringLiteral("only home"), home);
    taggedTask(QStringLiteral("deleted"), home, errands)->setDeletedDate(date());

    const QString html = KNVTCDTag::HTMLStringForPrintingTags({home, errands});
    EXPECT_TRUE(html.startsWith(QStringLiteral("<div class=\"page_title\">home, errands</div>")));
    EXPECT_EQ(outline(html),
              (QStringList{"[home, errands]", "[Incomplete]", "first", "second", "[Scheduled]", "later", "[Someday]",
                           "b sometime", "[Completed]", "done today", "done long ago"}));
    // Each task appears through its own printed form.
    EXPECT_TRUE(html.contains(first->HTMLStringForPrinting()));
}

TEST_F(KNVTCDTagPrintTest, EmptyGroupsAreLeftOutAndRemovedTagsDoNotCount)
{
    KNVTCDTag *home = tag(QStringLiteral("home"));
    KNVTCDTask *done = taggedTask(QStringLiteral("done"), home);
    done->setStatus(KNVTTaskStatusCompleted);
    KNVTCDTask *untagged = taggedTask(QStringLiteral("untagged"), home);
    untagged->setNumericIdentifier(5);
    for (KNVTCDTaggedTask *link : untagged->taggedTasks()) {
        link->setNumericIdentifier(50);
        untagged->removeTag(home);
        ASSERT_TRUE(link->deletedDate().isValid());
    }

    const QString html = KNVTCDTag::HTMLStringForPrintingTags({home});
    EXPECT_EQ(outline(html), (QStringList{"[home]", "[Completed]", "done"}));
}

TEST_F(KNVTCDTagPrintTest, TagTitlesArePrintedAsText)
{
    KNVTCDTag *markup = tag(QStringLiteral("<b>x</b> & y"));
    const QString html = KNVTCDTag::HTMLStringForPrintingTags({markup});
    EXPECT_EQ(html, QStringLiteral("<div class=\"page_title\">&lt;b&gt;x&lt;/b&gt; &amp; y</div>"));
}

} // namespace
