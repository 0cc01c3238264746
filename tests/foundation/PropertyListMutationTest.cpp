// Seeded random damage to property lists read from disk: reading never crashes, and whatever it accepts is a value
// that writes and reads back unchanged.
#include "foundation/PropertyList.h"

#include "support/Mutator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using knvt::PropertyList;
using knvt::test::Mutator;

TEST(PropertyListMutation, DamagedFilesAreRefusedOrReadAsValuesThatRoundTrip)
{
    const QVariantMap root{
        {"ResourceETags", QVariantMap{{"tags", "\"t-1\""}, {"task_lists", "W/\"l-<&>\""}}},
        {"AutoSyncEnabled", true},
        {"PushSyncEnabled", false},
        {"AutoSyncTimeInterval", 900.5},
        {"LastSuccessfullSyncDate", QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30, 250), Qt::UTC)},
        {"Counts", QVariantList{qlonglong(-3), qlonglong(0), qlonglong(1) << 62, QVariantList{}, QVariantMap{}}},
        {"Avatar", QByteArray("\x89PNG\r\n", 6)},
        {"Name", QStringLiteral("Ann \u00e9\u4e2d")}};
    const QByteArray document = PropertyList::toData(root);
    ASSERT_FALSE(document.isEmpty());
    const QString markup = QStringLiteral("<>/=\"!?-dictkeyarraystringintegerrealtruefalsedatedata0123456789 &;#x");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("TaskStoreMetaData.plist"));

    Mutator mutate(20261210);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        const QByteArray damaged =
            mutate.chance(50) ? mutate.bytes(document) : mutate.text(QString::fromUtf8(document), markup).toUtf8();
        // A new file each time: cutting a written file short makes the file system flush it first.
        QFile::remove(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
        file.close();

        knvt::Error error;
        const QVariant value = PropertyList::readFile(path, &error);
        if (!value.isValid()) {
            EXPECT_TRUE(error) << "round " << round;
            continue;
        }
        ++accepted;
        knvt::Error writeError;
        const QByteArray rewritten = PropertyList::toData(value, &writeError);
        ASSERT_FALSE(rewritten.isEmpty()) << "round " << round << ": " << qPrintable(writeError.description()) << '\n'
                                          << damaged.constData();
        EXPECT_EQ(PropertyList::fromData(rewritten), value) << "round " << round << '\n' << damaged.constData();
    }
    EXPECT_GT(accepted, 50) << "the damage leaves some files readable, so the round trip is tried";
}
