// Every text the hot keys and the recorder show goes through the translations: with a translator that marks every
// text it is asked for, each shown text comes out marked.

#include "hotkeys/KNVTKeyCombo.h"
#include "hotkeys/KNVTShortcutError.h"
#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "hotkeys/KNVTShortcutValidator.h"
#include "hotkeys/KNVTShortcutValidatorDelegate.h"
#include "hotkeys/PortalHotKeyBackend.h"
#include "support/ScopedKeyboardLayout.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// Answers every text with itself between guillemets.
class MarkingTranslator : public QTranslator
{
public:
    MarkingTranslator() { QCoreApplication::installTranslator(this); }
    ~MarkingTranslator() override { QCoreApplication::removeTranslator(this); }
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        return QStringLiteral("\u00AB%1\u00BB").arg(QString::fromUtf8(sourceText));
    }
};

struct TakingDelegate : KNVTShortcutValidatorDelegate
{
    bool shortcutValidator(KNVTShortcutValidator *, qint64, quint64, QString *) override { return true; }
};

bool marked(const QString &text)
{
    return text.startsWith(QChar(0x00AB)) && text.endsWith(QChar(0x00BB));
}

} // namespace

TEST(TranslatedTexts, TheRecorderItsAlertsAndTheDesktopsAnswersAreTranslated)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    MarkingTranslator translator;

    KNVTShortcutRecorderCell cell;
    EXPECT_EQ(cell.idleText(), QStringLiteral("\u00ABClick to record shortcut\u00BB"));
    EXPECT_EQ(cell.recordingText(), QStringLiteral("\u00ABType shortcut\u00BB"));
    EXPECT_EQ(KNVTKeyCombo::clearKeyCombo().description(), QStringLiteral("\u00AB(None)\u00BB"));

    TakingDelegate delegate;
    KNVTShortcutValidator validator(&delegate);
    KNVTShortcutError error;
    ASSERT_TRUE(validator.isKeyCodeTaken(14, 0x900, &error));
    EXPECT_TRUE(marked(error.title)) << error.title.toStdString();
    EXPECT_TRUE(marked(error.suggestion)) << error.suggestion.toStdString();
    EXPECT_TRUE(error.suggestion.contains(QStringLiteral("\u00ABit's already used\u00BB")));
    EXPECT_EQ(error.options, QStringList{QStringLiteral("\u00ABOK\u00BB")});
    const knvt::AlertPresenter::Request bare = alertWithNonRecoverableError(nullptr);
    EXPECT_TRUE(marked(bare.title));
    EXPECT_EQ(bare.buttonTitles, QStringList{QStringLiteral("\u00ABOK\u00BB")});

    // Without a session bus the desktop's portal cannot be reached, and the preferences say so.
    knvt::PortalHotKeyBackend portal{QDBusConnection(QStringLiteral("no bus"))};
    portal.start();
    EXPECT_EQ(portal.state(), knvt::PortalHotKeyBackend::State::Unavailable);
    EXPECT_TRUE(marked(portal.statusText())) << portal.statusText().toStdString();
}
