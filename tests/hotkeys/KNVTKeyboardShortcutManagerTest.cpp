#include "hotkeys/KNVTKeyboardShortcutManager.h"
#include "foundation/Defaults.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTQuickEntryHost.h"
#include "support/FakeHotKeyBackend.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using knvt::test::FakeHotKeyBackend;

namespace {

const QString kKey = QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey);

class RecordingHost : public KNVTQuickEntryHost
{
public:
    void openQuickEntryWindow(quint32 userTime, const QString &activationToken) override
    {
        times.append(userTime);
        tokens.append(activationToken);
    }
    QList<quint32> times;
    QStringList tokens;
};

// What the defaults file on disk holds for the hot-key key.
QJsonValue storedOnDisk()
{
    knvt::Defaults::standard().synchronize();
    QFile file(knvt::Defaults::standardFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QJsonValue::Undefined;
    return QJsonDocument::fromJson(file.readAll()).object().value(kKey);
}

class KNVTKeyboardShortcutManagerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        knvt::Defaults::standard().remove(kKey);
        knvt::Defaults::standard().synchronize();
    }
    FakeHotKeyBackend backend;
};

} // namespace

TEST_F(KNVTKeyboardShortcutManagerTest, AFirstStartRegistersNothingAndWritesNothing)
{
    KNVTKeyboardShortcutManager manager;
    EXPECT_TRUE(manager.quickTaskEntryHotKey()->keyCombo().isClearCombo());
    EXPECT_EQ(manager.quickTaskEntryHotKey()->identifier(), kKey);
    EXPECT_TRUE(backend.grabs().isEmpty());
    EXPECT_TRUE(storedOnDisk().isUndefined());
}

TEST_F(KNVTKeyboardShortcutManagerTest, AStoredCombinationOnKeyCodeZeroIsRegisteredAfterARestart)
{
    knvt::Defaults::standard().setValue(kKey, QVariantMap{{"keyCode", 0}, {"modifiers", 2304}});
    knvt::Defaults::standard().synchronize();
    KNVTKeyboardShortcutManager manager;
    EXPECT_EQ(manager.quickTaskEntryHotKey()->keyCombo(), KNVTKeyCombo(0, 2304));
    EXPECT_TRUE(backend.isGrabbed(0, 2304)) << "Command-Option-A";
}

TEST_F(KNVTKeyboardShortcutManagerTest, ChangingTheCombinationReplacesTheRegistrationAndSavesIt)
{
    knvt::Defaults::standard().setValue(kKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    RecordingHost host;
    {
        KNVTKeyboardShortcutManager manager;
        manager.setQuickEntryHost(&host);
        EXPECT_TRUE(backend.press(31, 768, 77));
        EXPECT_TRUE(backend.press(31, 768, 78));
        EXPECT_EQ(host.times, (QList<quint32>{77, 78})) << "every press opens one more window";
        EXPECT_TRUE(backend.press(31, 768, 0, QStringLiteral("token-from-the-desktop")));
        EXPECT_TRUE(backend.press(31, 768, 79));
        EXPECT_EQ(host.tokens, (QStringList{QString(), QString(), QStringLiteral("token-from-the-desktop"), QString()}))
            << "the desktop's token reaches the window of its own press only";
        host.times.resize(2);

        const std::shared_ptr<KNVTHotKey> hotKey = manager.quickTaskEntryHotKey();
        hotKey->setKeyCombo({14, 0x900});
        manager.setQuickTaskEntryHotKey(hotKey);
        EXPECT_FALSE(backend.isGrabbed(31, 768));
        EXPECT_TRUE(backend.isGrabbed(14, 0x900));
        EXPECT_FALSE(backend.press(31, 768));
        EXPECT_TRUE(backend.press(14, 0x900));
        EXPECT_EQ(host.times.size(), 3);
        EXPECT_EQ(storedOnDisk().toObject(), (QJsonObject{{"keyCode", 14}, {"modifiers", 0x900}}));

        // Another program took the chord: it is saved all the same and simply does not fire.
        backend.refuse(2, 0x100);
        hotKey->setKeyCombo({2, 0x100});
        manager.setQuickTaskEntryHotKey(hotKey);
        EXPECT_TRUE(backend.grabs().isEmpty());
        EXPECT_EQ(storedOnDisk().toObject(), (QJsonObject{{"keyCode", 2}, {"modifiers", 0x100}}));

        hotKey->setKeyCombo(KNVTKeyCombo::clearKeyCombo());
        manager.setQuickTaskEntryHotKey(hotKey);
        EXPECT_EQ(storedOnDisk().toObject(), (QJsonObject{{"keyCode", -1}, {"modifiers", -1}}));
    }
    KNVTKeyboardShortcutManager restarted;
    EXPECT_TRUE(restarted.quickTaskEntryHotKey()->keyCombo().isClearCombo());
    EXPECT_TRUE(backend.grabs().isEmpty());
}

TEST_F(KNVTKeyboardShortcutManagerTest, GivingAnotherHotKeyLetsTheKeptOneGo)
{
    knvt::Defaults::standard().setValue(kKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    KNVTKeyboardShortcutManager manager;
    auto replacement = std::make_shared<KNVTHotKey>(kKey, KNVTKeyCombo(3, 0x100));
    manager.setQuickTaskEntryHotKey(replacement);
    EXPECT_EQ(manager.quickTaskEntryHotKey(), replacement);
    EXPECT_EQ(backend.grabs().size(), 1);
    EXPECT_TRUE(backend.isGrabbed(3, 0x100));
}
