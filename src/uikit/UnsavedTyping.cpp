#include "uikit/UnsavedTyping.h"

#include "uikit/AlertAdditions.h"
#include "uikit/HeldChange.h"
#include "uikit/KeyboardOwner.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>

#include <algorithm>
#include <utility>
#include <vector>

namespace knvt {

namespace {

// A control the user has given input to: what it held before the first input, and when the user last gave it some.
struct Touched
{
    QPointer<QWidget> field;
    QString start;
    quint64 lastInput = 0;
};

std::vector<Touched> &touched()
{
    static std::vector<Touched> fields;
    return fields;
}

// Windows that give back what was typed in a form that went, with that text.
std::vector<std::pair<QPointer<QWidget>, QString>> &givenBack()
{
    static std::vector<std::pair<QPointer<QWidget>, QString>> holders;
    return holders;
}

quint64 gInputs = 0;
bool gAsking = false;

bool isField(const QWidget *widget)
{
    return HeldChange::state(widget).has_value();
}

// Popovers and sheets are windows of their own whose parent chain leads to the window they belong to.
bool isInside(const QWidget *widget, const QWidget *window)
{
    if (window == nullptr)
        return true;
    for (const QWidget *w = widget; w != nullptr; w = w->parentWidget())
        if (w == window)
            return true;
    return false;
}

// What the control holds that its start did not, as the question shows it; empty when nothing.
QString typing(const Touched &entry)
{
    return HeldChange::change(entry.field, entry.start);
}

void noteInput(QWidget *field)
{
    std::erase_if(touched(), [](const Touched &entry) { return entry.field.isNull(); });
    const auto found = std::find_if(touched().begin(), touched().end(),
                                    [field](const Touched &entry) { return entry.field == field; });
    if (found != touched().end())
        found->lastInput = ++gInputs;
    else
        touched().push_back({field, HeldChange::state(field).value_or(QString()), ++gInputs});
}

// The shown field inside `window` that holds typing and that the user gave input to last.
QWidget *lastTypedIn(const QWidget *window)
{
    const Touched *last = nullptr;
    for (const Touched &entry : touched())
        if (!typing(entry).isEmpty() && isInside(entry.field, window) && entry.field->isVisible()
            && (!last || entry.lastInput > last->lastInput))
            last = &entry;
    return last ? last->field.data() : nullptr;
}

// After Cancel the keys go on where they were. Only a click that brought the window forward (its close button, its
// Done button) may have taken them out of the popover or sheet that holds the typing: then they go back into it.
void giveKeyboardBack(const QWidget *window, QWidget *left)
{
    QWidget *target = left;
    QWidget *typed = lastTypedIn(window);
    if (typed != nullptr
        && (left == nullptr || !left->isVisible()
            || (left->window() != typed->window() && isInside(typed, left->window()))))
        target = typed;
    KeyboardOwner::giveKeyboardTo(target);
}

} // namespace

bool UnsavedTyping::watchEvent(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonPress:
    case QEvent::ContextMenu:
        // Seen before the field takes the input in: what it holds now is where the user's typing starts.
        if (QWidget *field = HeldChange::controlReceiving(watched))
            noteInput(field);
        break;
    case QEvent::Close:
        // The window manager's close (the title bar's button, Alt+F4, the end of the session) asks, in every window;
        // the program's own closes have asked or saved first.
        if (event->spontaneous() && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()
            && !mayDiscard(static_cast<QWidget *>(watched))) {
            event->ignore();
            return true;
        }
        break;
    default: break;
    }
    return false;
}

void UnsavedTyping::markNotKept(QWidget *field)
{
    HeldChange::markNotKept(field);
}

void UnsavedTyping::changing(QWidget *field)
{
    if (isField(field))
        noteInput(field);
}

void UnsavedTyping::accessibleInput(QObject *receiver)
{
    if (receiver == nullptr)
        return;
    if (QWidget *field = HeldChange::controlReceiving(receiver))
        noteInput(field);
}

QStringList UnsavedTyping::typedIn(const QWidget *window)
{
    QStringList typed;
    for (const Touched &entry : touched())
        if (isInside(entry.field, window))
            if (const QString text = typing(entry); !text.isEmpty())
                typed << text;
    std::erase_if(givenBack(), [](const auto &held) { return held.first.isNull(); });
    for (const auto &[holder, text] : givenBack())
        if (holder->isVisible() && isInside(holder, window))
            typed << text;
    return typed;
}

bool UnsavedTyping::mayDiscard(const QWidget *window)
{
    const QStringList typed = typedIn(window);
    if (typed.isEmpty())
        return true;
    // A second road taken while the question is open (the close button pressed again) waits for its answer.
    if (gAsking)
        return false;
    const QPointer<QWidget> left = QApplication::focusWidget();
    gAsking = true;
    const qsizetype answer =
        runModal({.title = QCoreApplication::translate("UnsavedTyping", "Discard What You Typed?"),
                  .message = QCoreApplication::translate("UnsavedTyping", "What you typed has not been saved:"),
                  .typed = typed.join(QStringLiteral("\n\n")),
                  .buttonTitles = {QCoreApplication::translate("UnsavedTyping", "Cancel"),
                                   QCoreApplication::translate("UnsavedTyping", "Discard")},
                  // Every road that drops typing is the user's: a close, Quit, Sign Out.
                  .opener = Opener::User});
    gAsking = false;
    if (answer == 1) {
        forget(window);
        return true;
    }
    giveKeyboardBack(window, left);
    return false;
}

void UnsavedTyping::closeAsking(QWidget *window)
{
    if (window != nullptr && mayDiscard(window))
        window->close();
}

void UnsavedTyping::forget(const QWidget *window)
{
    std::erase_if(touched(),
                  [window](const Touched &entry) { return entry.field.isNull() || isInside(entry.field, window); });
    std::erase_if(givenBack(),
                  [window](const auto &held) { return held.first.isNull() || isInside(held.first, window); });
}

void UnsavedTyping::holdGivenBack(QWidget *holder, const QString &typed)
{
    if (holder != nullptr && !typed.trimmed().isEmpty())
        givenBack().emplace_back(holder, typed.trimmed());
}

void UnsavedTyping::carryOver(const QWidget *from, const QWidget *to)
{
    std::vector<Touched> taken;
    for (const Touched &entry : touched()) {
        if (!isInside(entry.field, from) || typing(entry).isEmpty() || entry.field->objectName().isEmpty())
            continue;
        const QList<QWidget *> named = to->findChildren<QWidget *>(entry.field->objectName());
        const auto field = std::find_if(named.cbegin(), named.cend(), isField);
        if (field != named.cend())
            taken.push_back({*field, entry.start, entry.lastInput});
    }
    touched().insert(touched().end(), taken.begin(), taken.end());
}

} // namespace knvt
