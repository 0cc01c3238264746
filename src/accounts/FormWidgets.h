#pragma once

#include <QKeySequence>
#include <QList>
#include <QShortcut>
#include <QString>
#include <QWidget>

#include <initializer_list>

class KNVTImageView;
class KNVTProgressIndicator;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

// Pieces every account form is built of: the busy line (a spinner, shown only while it spins, and one line of text
// under the fields), the picture well and the buttons.
namespace knvt {

// A spinner that keeps its place in the layout while hidden, so the form does not move when it appears.
KNVTProgressIndicator *makeProgressIndicator(const char *objectName = "progressIndicator");
// A message line that wraps, hidden until there is something to say.
QLabel *makeProgressLabel(const char *objectName = "progressLabel");

// The spinner and the message line side by side.
QHBoxLayout *makeProgressRow(KNVTProgressIndicator *indicator, QLabel *label);

// A round well showing the account picture, with the button that chooses another below it.
struct AvatarPicker
{
    KNVTImageView *imageView = nullptr;
    QPushButton *button = nullptr;
    QVBoxLayout *layout = nullptr;
};
AvatarPicker makeAvatarPicker();

// A push button named for the tests; only the form's default button answers Return.
QPushButton *makeButton(const QString &title, const char *objectName, bool isDefault = false);

// Tab and Shift+Tab go through `widgets` in this order, the order in which the form reads: fields top to bottom,
// then the buttons left to right, so that the last stops are Cancel and the form's default button.
void setTabOrder(std::initializer_list<QWidget *> widgets);

// Escape anywhere in `form` does what `cancel` does, as in a sheet; for forms shown in a window of their own. The
// shortcut is answered, for a form that takes Escape only at times.
template <class Receiver, class Slot>
QShortcut *cancelOnEscape(QWidget *form, Receiver *receiver, Slot cancel);

// Gives a search field its button that empties it, named for assistive technology.
void enableClearButton(QLineEdit *field);

// Spins and shows `text`.
void startProgress(KNVTProgressIndicator *indicator, QLabel *label, const QString &text);
// Stops spinning; shows `text`, or empties and hides the line when `text` is empty.
void stopProgress(KNVTProgressIndicator *indicator, QLabel *label, const QString &text);

// Has a screen reader speak `message` now, wherever the keyboard focus is: an answer the form gives in place.
void announceMessage(QLabel *message);
// Takes the keyboard focus to `message`: where an outcome that leaves nothing to type takes the user, so that a screen
// reader reads it instead of whatever control the focus would fall to.
void focusMessage(QLabel *message);
// A request sending what the user typed starts: the keyboard waits in the field of `fields` it is in, or in
// `fallback` when it is on another control of the form (the button that sent the request, which the request disables).
// That field is only read until the request ends, the other fields are disabled, and `message` is read. Disabled, the
// field would hand the keyboard on to the next control that takes it (Cancel), and a label holding it would be heard
// taking the focus, where no key acts. Returns the field that waits.
QLineEdit *holdKeyboardInField(const QList<QLineEdit *> &fields, QLineEdit *fallback, QLabel *message);
// The request ended and the form stays: `fields` take typing again, the keyboard stays where it is (in the field that
// waited, or wherever the user went meanwhile) and `message`, the answer, is read once.
void releaseFields(const QList<QLineEdit *> &fields, QLabel *message);
// A check of a password: holdKeyboardInField with the password alone, where the keyboard waits from anywhere in the
// form (the user name as well), straight where a refusal brings it back.
void holdKeyboardInPassword(QLineEdit *password, QLabel *message);
// The check ended without an account: the keyboard goes back to `password`, typed in again and selected to be typed
// over, and `message` is read. The fields are enabled again first.
void returnToPassword(QLineEdit *password, QLabel *message);

template <class Receiver, class Slot>
QShortcut *cancelOnEscape(QWidget *form, Receiver *receiver, Slot cancel)
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), form);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, receiver, cancel);
    return shortcut;
}

} // namespace knvt
