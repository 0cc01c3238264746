#include "ModelTest.h"

#include "objectstore/ErrorCode.h"

namespace {

using namespace ostore::where;
using ModelContextAdditionsTest = ModelTest;

KNVTCDTag *tag(ostore::Context &context, const QString &title)
{
    auto *t = static_cast<KNVTCDTag *>(knvt::insertNewObjectForEntityForName(context, QStringLiteral("KNVTCDTag")));
    t->setTitle(title);
    return t;
}

TEST_F(ModelContextAdditionsTest, FetchAndCountByNameAndByEntity)
{
    tag(context(), QStringLiteral("b"));
    save();
    tag(context(), QStringLiteral("a"));
    tag(context(), QStringLiteral("c"));
    const ostore::EntityDescription &entity =
        knvt::executeFetchRequestForEntityName(context(), "KNVTCDTag")[0]->entity();

    EXPECT_EQ(knvt::countForFetchRequestForEntityName(context(), QStringLiteral("KNVTCDTag")), 3);
    EXPECT_EQ(knvt::countForFetchRequestForEntity(context(), entity, key("title") != "a"), 2);

    const auto sorted = knvt::executeFetchRequestForEntityName(context(), QStringLiteral("KNVTCDTag"), {},
                                                               {{QStringLiteral("title"), true}});
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(static_cast<KNVTCDTag *>(sorted[0])->title(), QStringLiteral("a"));
    const auto filtered = knvt::executeFetchRequestForEntity(context(), entity, key("title") == "c", {}, nullptr);
    ASSERT_EQ(filtered.size(), 1u);
    EXPECT_EQ(static_cast<KNVTCDTag *>(filtered[0])->title(), QStringLiteral("c"));
}

TEST_F(ModelContextAdditionsTest, FailuresReachTheErrorSlot)
{
    tag(context(), QStringLiteral("x"));
    save();
    coordinator().close();
    knvt::Error fetchError, countError;
    EXPECT_TRUE(
        knvt::executeFetchRequestForEntityName(context(), QStringLiteral("KNVTCDTag"), {}, {}, &fetchError).empty());
    EXPECT_EQ(fetchError.code(), int(ostore::ErrorCode::StoreClosed));
    EXPECT_EQ(knvt::countForFetchRequestForEntityName(context(), QStringLiteral("KNVTCDTag"), {}, &countError), 0);
    EXPECT_EQ(countError.code(), int(ostore::ErrorCode::StoreClosed));
    EXPECT_EQ(knvt::firstObjectForFetchRequestForEntityName(context(), QStringLiteral("KNVTCDTag")), nullptr);
}

TEST_F(ModelContextAdditionsTest, EnumeratingIdentifiersStopsWhenAsked)
{
    std::vector<ostore::ObjectID> ids;
    for (const char *title : {"a", "b", "c"})
        ids.push_back(tag(context(), QLatin1String(title))->objectID());
    QStringList seen;
    knvt::enumerateManagedObjectIDs(context(), ids, [&](ostore::ObjectID id, ostore::Object *object, bool *stop) {
        EXPECT_EQ(object->objectID(), id);
        seen << static_cast<KNVTCDTag *>(object)->title();
        if (seen.size() == 2)
            *stop = true;
    });
    EXPECT_EQ(seen, (QStringList{"a", "b"}));
}

TEST_F(ModelContextAdditionsTest, EnumeratingURIsReportsWhatNoLongerResolves)
{
    auto *kept = tag(context(), QStringLiteral("kept"));
    auto *removed = tag(context(), QStringLiteral("removed"));
    save();
    const QUrl keptURI = knvt::managedObjectIDURIRepresentation(*kept);
    const QUrl removedURI = knvt::managedObjectIDURIRepresentation(*removed);
    const ostore::ObjectID removedID = removed->objectID();
    context().remove(removed);
    save();

    QString foreign = keptURI.toString();
    foreign.replace(coordinator().storeUUID(), QStringLiteral("00000000-0000-0000-0000-000000000000"));
    const QList<QUrl> uris{removedURI, QUrl(foreign), keptURI, QUrl(QStringLiteral("quillvane://nothing"))};

    struct Call
    {
        QUrl uri;
        std::optional<ostore::ObjectID> id;
        ostore::Object *object;
    };
    std::vector<Call> calls;
    knvt::enumerateManagedObjectIDURIRepresentations(
        context(), uris, [&](const QUrl &uri, std::optional<ostore::ObjectID> id, ostore::Object *object, bool *) {
            calls.push_back({uri, id, object});
        });
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].uri, removedURI);
    EXPECT_EQ(calls[0].id, removedID);
    EXPECT_EQ(calls[0].object, nullptr);
    EXPECT_FALSE(calls[1].id.has_value()) << "another library's object";
    EXPECT_EQ(calls[2].object, kept);
    EXPECT_FALSE(calls[3].id.has_value());
}

} // namespace
