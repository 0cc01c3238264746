#include "foundation/KNVTEmailAddressFormatter.h"
#include "foundation/KNVTPasswordFormatter.h"
#include "foundation/KNVTUsernameFormatter.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What the field's owner sees after the validator ran: the state, and whether it left the text and cursor alone.
struct Check
{
    QValidator::State state;
    bool untouched;
};

Check check(const QValidator &validator, const QString &text)
{
    QString input = text;
    int position = int(text.size()) / 2;
    const QValidator::State state = validator.validate(input, position);
    return {state, input == text && position == int(text.size()) / 2};
}

bool accepts(const QValidator &validator, const QString &text)
{
    const Check result = check(validator, text);
    EXPECT_TRUE(result.untouched) << text.toStdString();
    return result.state == QValidator::Acceptable;
}

bool refuses(const QValidator &validator, const QString &text)
{
    const Check result = check(validator, text);
    EXPECT_TRUE(result.untouched) << text.toStdString();
    return result.state == QValidator::Invalid;
}

const QString emailSigns = QStringLiteral("!#$%&'*+-/=?^_`{|}~.@");
const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");

TEST(InputFormatters, LengthLimitsInUtf16CodeUnits)
{
    const KNVTEmailAddressFormatter email;
    EXPECT_TRUE(accepts(email, QString(100, u'a')));
    EXPECT_TRUE(refuses(email, QString(101, u'a')));

    const KNVTPasswordFormatter password;
    EXPECT_TRUE(accepts(password, QString(32, u'&')));
    EXPECT_TRUE(refuses(password, QString(33, u'&')));

    const KNVTUsernameFormatter username;
    EXPECT_TRUE(accepts(username, QString(32, u'7')));
    EXPECT_TRUE(refuses(username, QString(33, u'7')));
    EXPECT_TRUE(accepts(username, QString()));
}

TEST(InputFormatters, EachFieldAllowsItsOwnCharacters)
{
    const KNVTEmailAddressFormatter email;
    EXPECT_TRUE(accepts(email, letters + QStringLiteral("0123456789")));
    EXPECT_TRUE(accepts(email, emailSigns));
    EXPECT_TRUE(accepts(email, QStringLiteral("jane.doe+tasks@example.org")));
    EXPECT_TRUE(refuses(email, QStringLiteral("jane doe@example.org")));
    EXPECT_TRUE(refuses(email, QStringLiteral("jane(doe)@example.org")));

    const KNVTPasswordFormatter password;
    EXPECT_TRUE(accepts(password, QStringLiteral("Secret_-.&9")));
    EXPECT_TRUE(refuses(password, QStringLiteral("Secret!")));

    const KNVTUsernameFormatter username;
    EXPECT_TRUE(accepts(username, QStringLiteral("JaneDoe1984")));
    for (const QString &sign : {QStringLiteral("_"), QStringLiteral("."), QStringLiteral("-"), QStringLiteral("@")})
        EXPECT_TRUE(refuses(username, QStringLiteral("jane") + sign + QStringLiteral("doe"))) << sign.toStdString();
}

TEST(InputFormatters, FilteringKeepsTheAllowedCharactersInOrder)
{
    EXPECT_EQ(KNVTEmailAddressFormatter::emailAddressFormattedStringWithString(
                  QStringLiteral(" Jane Doe <jane+x@exämple.org>\t")),
              "JaneDoejane+x@exmple.org");
    EXPECT_EQ(KNVTPasswordFormatter::passwordFormattedStringWithString(QStringLiteral("p@ss w0rd_-.&!")),
              "pssw0rd_-.&");
    EXPECT_EQ(KNVTUsernameFormatter::usernameFormattedStringWithString(QStringLiteral("jane_doe.84-x")), "janedoe84x");
    // A character outside the basic plane is two code units, both dropped.
    EXPECT_EQ(KNVTUsernameFormatter::usernameFormattedStringWithString(QStringLiteral("a\U0001F600b")), "ab");
    EXPECT_EQ(KNVTUsernameFormatter::usernameFormattedStringWithString(QString()), QString());
}

class InputField : public ::testing::Test
{
protected:
    void SetUp() override
    {
        field.setValidator(&username);
        field.show();
        field.setFocus();
    }

    void paste(const QString &text)
    {
        QApplication::clipboard()->setText(text);
        ASSERT_EQ(QApplication::clipboard()->text(), text) << "no clipboard on this platform";
        QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    }

    KNVTUsernameFormatter username;
    QLineEdit field;
};

TEST_F(InputField, TypingSkipsDisallowedKeys)
{
    QTest::keyClicks(&field, QStringLiteral("jane_doe.8-4"));
    EXPECT_EQ(field.text(), "janedoe84");
    EXPECT_EQ(field.cursorPosition(), 9);
}

TEST_F(InputField, TypingStopsAtTheLimit)
{
    QTest::keyClicks(&field, QString(31, u'a'));
    QTest::keyClicks(&field, QStringLiteral("bc"));
    EXPECT_EQ(field.text(), QString(31, u'a') + u'b');
    // Typing over a selection keeps the length, so it is still accepted.
    field.setSelection(0, 1);
    QTest::keyClicks(&field, QStringLiteral("Z"));
    EXPECT_EQ(field.text(), u'Z' + QString(30, u'a') + u'b');
}

TEST_F(InputField, APasteWithOneDisallowedCharacterIsRefusedWhole)
{
    QTest::keyClicks(&field, QStringLiteral("jane"));
    field.setCursorPosition(2);
    paste(QStringLiteral("xx.yy"));
    EXPECT_EQ(field.text(), "jane");
    EXPECT_EQ(field.cursorPosition(), 2);

    paste(QStringLiteral("xxyy"));
    EXPECT_EQ(field.text(), "jaxxyyne");
    EXPECT_EQ(field.cursorPosition(), 6);
}

TEST_F(InputField, APasteBeyondTheLimitIsRefusedWhole)
{
    QTest::keyClicks(&field, QString(30, u'a'));
    paste(QStringLiteral("bcd"));
    EXPECT_EQ(field.text(), QString(30, u'a'));
    paste(QStringLiteral("bc"));
    EXPECT_EQ(field.text(), QString(30, u'a') + QStringLiteral("bc"));
}

TEST_F(InputField, DeletingIsAlwaysAccepted)
{
    QTest::keyClicks(&field, QStringLiteral("janedoe"));
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "janedo");
    field.setCursorPosition(0);
    QTest::keyClick(&field, Qt::Key_Delete);
    EXPECT_EQ(field.text(), "anedo");
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), QString());
}

TEST(InputFields, ThePasswordAndEmailFieldsRefuseAMixedPaste)
{
    KNVTPasswordFormatter password;
    QLineEdit passwordField;
    passwordField.setEchoMode(QLineEdit::Password);
    passwordField.setValidator(&password);
    passwordField.show();
    QTest::keyClicks(&passwordField, QStringLiteral("a_b-c.d&e!f"));
    EXPECT_EQ(passwordField.text(), "a_b-c.d&ef");
    passwordField.insert(QStringLiteral("g!h"));
    EXPECT_EQ(passwordField.text(), "a_b-c.d&ef");

    KNVTEmailAddressFormatter email;
    QLineEdit emailField;
    emailField.setValidator(&email);
    emailField.show();
    QTest::keyClicks(&emailField, QStringLiteral("jane +doe@example.org"));
    EXPECT_EQ(emailField.text(), "jane+doe@example.org");
    emailField.insert(QString(81, u'x'));
    EXPECT_EQ(emailField.text(), "jane+doe@example.org");
    emailField.insert(QString(80, u'x'));
    EXPECT_EQ(emailField.text().size(), 100);
}

} // namespace
