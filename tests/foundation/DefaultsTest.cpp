#include "foundation/Defaults.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using knvt::Defaults;

namespace {

QJsonObject readBack(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

TEST(Defaults, RegisteredValuesAnswerReadsButAreNeverWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    Defaults defaults(path);
    defaults.registerDefaults({{"KNVTDockIconBadgeValueTypePreference", 100},
                               {"KNVTHomeSectionExpandedHomeSectionTypes", QVariantList{0, 1, 2, 3, 4}}});
    EXPECT_EQ(defaults.value("KNVTDockIconBadgeValueTypePreference").toInt(), 100);

    defaults.setValue("KNVTDockIconBadgeValueTypePreference", 2);
    EXPECT_EQ(defaults.value("KNVTDockIconBadgeValueTypePreference").toInt(), 2);
    ASSERT_TRUE(defaults.synchronize());
    const QJsonObject written = readBack(path);
    EXPECT_EQ(written.value("KNVTDockIconBadgeValueTypePreference").toInt(), 2);
    EXPECT_FALSE(written.contains("KNVTHomeSectionExpandedHomeSectionTypes"));

    defaults.remove("KNVTDockIconBadgeValueTypePreference");
    EXPECT_EQ(defaults.value("KNVTDockIconBadgeValueTypePreference").toInt(), 100);
}

TEST(Defaults, KeepsTypedNestedValuesReadableInTheJsonFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    {
        Defaults defaults(path);
        defaults.setValue("KNVTQuickTaskEntryKeyboardShortcutHotKey", QVariantMap{{"keyCode", 40}, {"modifiers", 768}});
        defaults.setValue("KNVTShortcuts %@", QVariantList{1, 2});
        ASSERT_TRUE(defaults.synchronize());
    }
    const QJsonObject written = readBack(path);
    EXPECT_EQ(written.value("KNVTQuickTaskEntryKeyboardShortcutHotKey").toObject().value("modifiers").toInt(), 768);
    EXPECT_TRUE(written.value("KNVTShortcuts %@").isArray());

    Defaults reopened(path);
    const QVariantMap hotKey = reopened.value("KNVTQuickTaskEntryKeyboardShortcutHotKey").toMap();
    EXPECT_EQ(hotKey.value("keyCode").toInt(), 40);
    EXPECT_EQ(reopened.value("KNVTShortcuts %@").toList().size(), 2);
}

TEST(Defaults, DatesRoundTripAsUtcWithMilliseconds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("suite.json");
    const QDateTime saved = QDateTime::fromMSecsSinceEpoch(1796591198554, Qt::UTC);
    {
        Defaults writer(path);
        writer.setValue("KNVTTaskStoreLastSavedDate", saved);
        ASSERT_TRUE(writer.synchronize());
    }
    EXPECT_EQ(readBack(path).value("KNVTTaskStoreLastSavedDate").toString(), "2026-12-06T21:06:38.554Z");
    Defaults reader(path);
    EXPECT_EQ(reader.value("KNVTTaskStoreLastSavedDate").toDateTime(), saved);
}

TEST(Defaults, SynchronizeSeesWhatAnotherWriterSaved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("suite.json");
    Defaults reader(path);
    EXPECT_FALSE(reader.value("KNVTTaskStoreLastSavedDate").isValid());
    {
        Defaults writer(path);
        writer.setValue("KNVTTaskStoreLastSavedDate", QDateTime::fromSecsSinceEpoch(1000, Qt::UTC));
        ASSERT_TRUE(writer.synchronize());
    }
    reader.synchronize();
    EXPECT_EQ(reader.value("KNVTTaskStoreLastSavedDate").toDateTime(), QDateTime::fromSecsSinceEpoch(1000, Qt::UTC));
}

TEST(Defaults, StandardAndSuiteFilesLiveUnderTheConfigFolder)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(Defaults::standardFilePath(), config + "/Quillvane/defaults.json");
    EXPECT_EQ(Defaults::suiteFilePath(KNVTSharedDefaultsSuiteName),
              config + "/Quillvane/group.com.hollowpine.ios.quillvane.json");
    EXPECT_EQ(&Defaults::suite(KNVTSharedDefaultsSuiteName), &Defaults::suite(KNVTSharedDefaultsSuiteName));
}

TEST(DefaultsDeathTest, KeyWithSlashStopsTheProgramNamingTheOperation)
{
    QTemporaryDir dir;
    Defaults defaults(dir.filePath("d.json"));
    EXPECT_DEATH(defaults.setValue("a/b", 1), "Defaults:setValue assertion failed");
}
