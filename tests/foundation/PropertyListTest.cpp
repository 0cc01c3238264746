#include "foundation/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using knvt::Error;
using knvt::PropertyList;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

QVariant roundTrip(const QVariant &value)
{
    Error error;
    const QByteArray data = PropertyList::toData(value, &error);
    EXPECT_TRUE(error.isNull()) << error.description().toStdString();
    const QVariant read = PropertyList::fromData(data, &error);
    EXPECT_TRUE(error.isNull()) << error.description().toStdString() << "\n" << data.toStdString();
    return read;
}

} // namespace

TEST(PropertyList, RoundTripKeepsEveryTypeAndValue)
{
    const QVariantMap tags{{"Tasks", "\"abc\""}, {"Lists", QString()}};
    const QVariantMap root{
        {"string", QString::fromUtf8(" <a & \"b\" 'c'>\tzürich 🦊\n ")},
        {"empty string", QString()},
        {"integer", qlonglong(-42)},
        {"smallest", std::numeric_limits<qlonglong>::min()},
        {"largest", std::numeric_limits<qulonglong>::max()},
        {"real", 0.1},
        {"whole real", 900.0},
        {"tiny real", -1.5e-300},
        {"infinity", std::numeric_limits<double>::infinity()},
        {"minus infinity", -std::numeric_limits<double>::infinity()},
        {"true", true},
        {"false", false},
        {"date", utc(2026, 12, 6, 21, 6, 38)},
        {"date with milliseconds", utc(2026, 12, 6, 21, 6, 38, 554)},
        {"data", QByteArray("\0\x01\xff binary", 10)},
        {"empty data", QByteArray()},
        {"array", QVariantList{1, "two", QVariantList{}, QVariantMap{}}},
        {"SyncMetaData", QVariantMap{{"AutoSyncEnabled", false}, {"ResourceETags", tags}}},
    };

    const QVariantMap read = roundTrip(root).toMap();

    ASSERT_EQ(read.keys(), root.keys());
    for (auto it = root.cbegin(); it != root.cend(); ++it)
        EXPECT_EQ(read.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(read.value("integer").metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(read.value("whole real").metaType(), QMetaType::fromType<double>());
    EXPECT_EQ(read.value("true").metaType(), QMetaType::fromType<bool>());
    EXPECT_EQ(read.value("date").toDateTime().timeSpec(), Qt::UTC);
    EXPECT_EQ(read.value("empty data").metaType(), QMetaType::fromType<QByteArray>());
}

TEST(PropertyList, RoundTripOfOtherRootsAndOtherVariantTypes)
{
    EXPECT_EQ(roundTrip(QString("alone")), QVariant(QString("alone")));
    EXPECT_EQ(roundTrip(QVariantList{true, 1.5}), QVariant(QVariantList{true, 1.5}));
    EXPECT_TRUE(std::isnan(roundTrip(std::numeric_limits<double>::quiet_NaN()).toDouble()));
    // Written in UTC, so a local date reads back as the same instant whatever the reader's zone.
    const QDateTime local(QDate(2026, 3, 8), QTime(1, 30), Qt::LocalTime);
    EXPECT_EQ(roundTrip(local).toDateTime(), local);
    EXPECT_EQ(roundTrip(QVariantHash{{"b", 2}, {"a", 1}}), QVariant(QVariantMap{{"a", 1}, {"b", 2}}));
    EXPECT_EQ(roundTrip(QStringList{"x", "y"}), QVariant(QVariantList{"x", "y"}));
    EXPECT_EQ(roundTrip(3.25f).toDouble(), 3.25);
    EXPECT_EQ(roundTrip(7u).toLongLong(), 7);
    EXPECT_EQ(roundTrip(QString("a\r\nb\rc")), QVariant(QString("a\r\nb\rc")));
}

TEST(PropertyList, WritesTheStandardHeaderAndReadableLayout)
{
    const QByteArray data = PropertyList::toData(QVariantMap{{"SyncMetaData", QVariantMap{{"PushSyncEnabled", true}}}});
    const QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                "<plist version=\"1.0\">\n"
                                "\t<dict>\n"
                                "\t\t<key>SyncMetaData</key>\n"
                                "\t\t<dict>\n"
                                "\t\t\t<key>PushSyncEnabled</key>\n"
                                "\t\t\t<true/>\n"
                                "\t\t</dict>\n"
                                "\t</dict>\n"
                                "</plist>\n";
    EXPECT_EQ(data, expected);
}

TEST(PropertyList, ReadsAHandWrittenFile)
{
    const QByteArray text = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- written by hand -->
<dict>
	<key>SyncMetaData</key>
	<dict>
		<key>AutoSyncEnabled</key><false/>
		<key>AutoSyncTimeInterval</key>
		<real>600.1</real>
		<key>LastSuccessfullSyncDate</key>
		<date>2026-12-06T21:06:38Z</date>
		<key>ResourceETags</key>
		<dict>
			<key>Tasks</key>
			<string><![CDATA[W/"a<b>"]]></string>
		</dict>
	</dict>
	<key>KeyCodes</key>
	<array>
		<integer> 40 </integer>
		<integer>-1</integer>
		<string/>
		<data>
		AAH/
		YQ==
		</data>
	</array>
	<key>escaped</key>
	<string>&lt;&amp;&#x41;</string>
	<key>escaped</key>
	<string>later duplicate wins</string>
</dict>
</plist>
)";
    Error error;
    const QVariantMap root = PropertyList::fromData(text, &error).toMap();
    ASSERT_TRUE(error.isNull()) << error.description().toStdString();

    const QVariantMap sync = root.value("SyncMetaData").toMap();
    EXPECT_EQ(sync.value("AutoSyncEnabled"), QVariant(false));
    EXPECT_EQ(sync.value("AutoSyncTimeInterval"), QVariant(600.1));
    EXPECT_EQ(sync.value("LastSuccessfullSyncDate"), QVariant(utc(2026, 12, 6, 21, 6, 38)));
    EXPECT_EQ(sync.value("ResourceETags").toMap().value("Tasks"), QVariant(QString("W/\"a<b>\"")));
    EXPECT_EQ(root.value("KeyCodes"),
              QVariant(QVariantList{qlonglong(40), qlonglong(-1), QString(),
                                    QByteArray("\0\x01\xff"
                                               "a",
                                               4)}));
    EXPECT_EQ(root.value("escaped"), QVariant(QString("later duplicate wins")));
}

TEST(PropertyList, MalformedTextIsAnErrorNeverAValue)
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    const QList<QByteArray> cases{
        "",
        "not xml at all",
        head + "<dict><key>a</key><string>b</string>",    // truncated
        "<dict><key>a</key><string>b</string></dict>",    // no plist element
        head + "</plist>",                                // no value
        head + "<true/><false/></plist>",                 // two values
        head + "<set/></plist>",                          // unknown element
        head + "<dict><key>a</key></dict></plist>",       // key without value
        head + "<dict><string>b</string></dict></plist>", // value without key
        head + "<dict><key>a<b/></key><true/></dict></plist>",
        head + "<array><integer>12abc</integer></array></plist>",
        head + "<integer>99999999999999999999999</integer></plist>",
        head + "<integer></integer></plist>",
        head + "<real>fast</real></plist>",
        head + "<date>2026-12-06T21:06:38</date></plist>", // no zone
        head + "<date>yesterday</date></plist>",
        head + "<data>not*base64</data></plist>",
        head + "<true>yes</true></plist>",
        head + "<string>a<b/>c</string></plist>",
        head + "loose text<true/></plist>",
        head + "<true/></plist><plist><true/></plist>",
    };
    for (const QByteArray &text : cases) {
        Error error;
        const QVariant value = PropertyList::fromData(text, &error);
        EXPECT_FALSE(value.isValid()) << text.toStdString();
        EXPECT_EQ(error.domain(), QString(knvt::NSCocoaErrorDomain)) << text.toStdString();
        EXPECT_EQ(error.code(), knvt::NSPropertyListReadCorruptError) << text.toStdString();
        EXPECT_FALSE(error.userInfo().value("NSDebugDescription").toString().isEmpty()) << text.toStdString();
    }
}

TEST(PropertyList, DeepNestingIsRefusedWithoutExhaustingTheStack)
{
    const int depth = 200000;
    const QByteArray text =
        "<plist>" + QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) + "</plist>";
    Error error;
    EXPECT_FALSE(PropertyList::fromData(text, &error).isValid());
    EXPECT_EQ(error.code(), knvt::NSPropertyListReadCorruptError);

    QVariant nested = QVariantList{};
    for (int i = 0; i < PropertyList::kMaximumDepth; ++i)
        nested = QVariantList{nested};
    EXPECT_TRUE(PropertyList::toData(nested, &error).isEmpty());
    EXPECT_EQ(error.code(), knvt::NSPropertyListWriteInvalidError);
}

TEST(PropertyList, RefusesToWriteWhatCouldNotBeReadBack)
{
    const QList<QVariant> cases{
        QVariant(),
        QVariant(QPoint(1, 2)),
        QVariant(QString("bell\x07")),
        QVariant(QString(QChar(0xD800))),
        QVariant(QVariantMap{{QString("key\x01"), 1}}),
        QVariant(QVariantMap{{"date", QDateTime()}}),
        QVariant(QVariantList{1, QVariantList{QVariant::fromValue(QPoint())}}),
    };
    for (const QVariant &value : cases) {
        Error error;
        EXPECT_TRUE(PropertyList::toData(value, &error).isEmpty()) << value.typeName();
        EXPECT_EQ(error.domain(), QString(knvt::NSCocoaErrorDomain));
        EXPECT_EQ(error.code(), knvt::NSPropertyListWriteInvalidError) << value.typeName();
    }
}

TEST(PropertyList, FilesAreReplacedWholeAndFailuresLeaveThemAlone)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("TaskStoreMetaData.plist");
    Error error;

    EXPECT_FALSE(PropertyList::readFile(path, &error).isValid());
    EXPECT_EQ(error.code(), knvt::NSFileReadNoSuchFileError);
    EXPECT_EQ(error.userInfo().value("NSFilePath").toString(), path);

    const QVariantMap first{{"SyncMetaData", QVariantMap{{"AutoSyncTimeInterval", 900.0}}}};
    ASSERT_TRUE(PropertyList::writeFile(path, first, &error)) << error.description().toStdString();
    EXPECT_EQ(PropertyList::readFile(path), QVariant(first));

    EXPECT_FALSE(PropertyList::writeFile(path, QVariantMap{{"bad", QPoint()}}, &error));
    EXPECT_EQ(error.code(), knvt::NSPropertyListWriteInvalidError);
    EXPECT_EQ(PropertyList::readFile(path), QVariant(first));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"TaskStoreMetaData.plist"});

    EXPECT_FALSE(PropertyList::writeFile(folder.filePath("missing/x.plist"), first, &error));
    EXPECT_EQ(error.code(), knvt::NSFileWriteUnknownError);

    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("<?xml version=\"1.0\"?><plist><dict><key>Sync");
    damaged.close();
    EXPECT_FALSE(PropertyList::readFile(path, &error).isValid());
    EXPECT_EQ(error.code(), knvt::NSPropertyListReadCorruptError);
    EXPECT_EQ(error.userInfo().value("NSFilePath").toString(), path);

    EXPECT_FALSE(PropertyList::readFile(folder.path(), &error).isValid());
    EXPECT_EQ(error.code(), knvt::NSFileReadUnknownError);
}
