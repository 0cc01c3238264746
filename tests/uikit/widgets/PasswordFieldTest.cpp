// What the events of a field that hides its text carry to assistive technology.
#include "uikit/PasswordField.h"

#include <QAccessible>
#include <QLineEdit>
#include <QStyle>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The events handed on towards the platform's bridge: "insert ●●●", "caret 2".
QStringList told;

void record(QAccessibleEvent *event)
{
    switch (event->type()) {
    case QAccessible::TextInserted:
        told << "insert " + static_cast<QAccessibleTextInsertEvent *>(event)->textInserted();
        break;
    case QAccessible::TextRemoved:
        told << "remove " + static_cast<QAccessibleTextRemoveEvent *>(event)->textRemoved();
        break;
    case QAccessible::TextUpdated: {
        const auto *update = static_cast<QAccessibleTextUpdateEvent *>(event);
        told << "update " + update->textRemoved() + " " + update->textInserted();
        break;
    }
    case QAccessible::TextCaretMoved:
        told << "caret " + QString::number(static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
        break;
    default: told << "other"; break;
    }
}

} // namespace

// A handler installed before the first password field hears what the guard hands on: the line edit's events with
// their text masked, every other event as it was. Qt hands no event to a handler while no assistive technology
// listens, as offscreen: the events go to the handler Qt would call.
TEST(PasswordFieldTest, TheTextOfEveryEventOfAFieldHidingItsTextIsMaskedAndOtherEventsPassAsTheyWere)
{
    QAccessible::installUpdateHandler(&record);
    knvt::PasswordField password;
    const QAccessible::UpdateHandler installed = QAccessible::installUpdateHandler(nullptr);
    QAccessible::installUpdateHandler(installed);
    ASSERT_NE(installed, &record) << "the field guards its events";
    QLineEdit plain;
    QLineEdit setToPassword;
    setToPassword.setEchoMode(QLineEdit::PasswordEchoOnEdit);
    QLineEdit showingNothing;
    showingNothing.setEchoMode(QLineEdit::NoEcho);
    const QString dot(
        QChar(char16_t(password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password))));
    EXPECT_EQ(password.echoMode(), QLineEdit::Password);

    const struct
    {
        const char *what;
        QLineEdit *field;
        std::function<QAccessibleEvent *(QLineEdit *)> event;
        QStringList told;
    } cases[] = {
        {"typed",
         &password,
         [](QLineEdit *f) { return new QAccessibleTextInsertEvent(f, 0, "Sec"); },
         {"insert " + dot.repeated(3)}},
        {"deleted",
         &password,
         [](QLineEdit *f) { return new QAccessibleTextRemoveEvent(f, 1, "ec"); },
         {"remove " + dot.repeated(2)}},
        {"replaced",
         &password,
         [](QLineEdit *f) { return new QAccessibleTextUpdateEvent(f, 0, "Sec", "word"); },
         {"update " + dot.repeated(3) + " " + dot.repeated(4)}},
        {"the caret", &password, [](QLineEdit *f) { return new QAccessibleTextCursorEvent(f, 2); }, {"caret 2"}},
        {"a value", &password, [](QLineEdit *f) { return new QAccessibleValueChangeEvent(f, "Sec"); }, {}},
        {"a line edit set to hide it",
         &setToPassword,
         [](QLineEdit *f) { return new QAccessibleTextInsertEvent(f, 0, "Sec"); },
         {"insert " + dot.repeated(3)}},
        {"a field showing nothing",
         &showingNothing,
         [](QLineEdit *f) { return new QAccessibleTextInsertEvent(f, 0, "Sec"); },
         {}},
        {"a field showing its text",
         &plain,
         [](QLineEdit *f) { return new QAccessibleTextInsertEvent(f, 0, "Sec"); },
         {"insert Sec"}},
        {"no text", &plain, [](QLineEdit *f) { return new QAccessibleEvent(f, QAccessible::NameChanged); }, {"other"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        told.clear();
        const std::unique_ptr<QAccessibleEvent> event(c.event(c.field));
        installed(event.get());
        EXPECT_EQ(told, c.told);
    }
    QAccessible::installUpdateHandler(nullptr);
}
