#include "uikit/GoneElsewhere.h"

#include "uikit/AlertAdditions.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/Logging.h"
#include "uikit/Popover.h"
#include "uikit/UnsavedTyping.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace knvt {

namespace {

// A name as the alert quotes it: its first line, and no more of it than a title line takes.
QString quoted(const QString &name)
{
    constexpr qsizetype Longest = 40;
    QString line = name.section(QLatin1Char('\n'), 0, 0).simplified();
    if (line.size() > Longest)
        line = line.left(Longest - 1).trimmed() + QChar(0x2026);
    return line;
}

QString wentAway(EditedObject object, const QString &name, bool elsewhere)
{
    const QString shown = quoted(name);
    if (shown.isEmpty()) {
        switch (object) {
        case EditedObject::Task:
            return elsewhere ? QCoreApplication::translate("GoneElsewhere", "The task was deleted elsewhere.")
                             : QCoreApplication::translate("GoneElsewhere", "The task was deleted.");
        case EditedObject::Project:
            return elsewhere ? QCoreApplication::translate("GoneElsewhere", "The project was deleted elsewhere.")
                             : QCoreApplication::translate("GoneElsewhere", "The project was deleted.");
        case EditedObject::Area:
            return elsewhere ? QCoreApplication::translate("GoneElsewhere", "The area was deleted elsewhere.")
                             : QCoreApplication::translate("GoneElsewhere", "The area was deleted.");
        case EditedObject::Tag:
            return elsewhere ? QCoreApplication::translate("GoneElsewhere", "The tag was deleted elsewhere.")
                             : QCoreApplication::translate("GoneElsewhere", "The tag was deleted.");
        case EditedObject::Comment:
            return elsewhere ? QCoreApplication::translate("GoneElsewhere", "The comment was deleted elsewhere.")
                             : QCoreApplication::translate("GoneElsewhere", "The comment was deleted.");
        }
        return {};
    }
    switch (object) {
    case EditedObject::Task:
        return (elsewhere ? QCoreApplication::translate("GoneElsewhere", "The task “%1” was deleted elsewhere.")
                          : QCoreApplication::translate("GoneElsewhere", "The task “%1” was deleted."))
            .arg(shown);
    case EditedObject::Project:
        return (elsewhere ? QCoreApplication::translate("GoneElsewhere", "The project “%1” was deleted elsewhere.")
                          : QCoreApplication::translate("GoneElsewhere", "The project “%1” was deleted."))
            .arg(shown);
    case EditedObject::Area:
        return (elsewhere ? QCoreApplication::translate("GoneElsewhere", "The area “%1” was deleted elsewhere.")
                          : QCoreApplication::translate("GoneElsewhere", "The area “%1” was deleted."))
            .arg(shown);
    case EditedObject::Tag:
        return (elsewhere ? QCoreApplication::translate("GoneElsewhere", "The tag “%1” was deleted elsewhere.")
                          : QCoreApplication::translate("GoneElsewhere", "The tag “%1” was deleted."))
            .arg(shown);
    case EditedObject::Comment:
        return (elsewhere ? QCoreApplication::translate("GoneElsewhere", "The comment “%1” was deleted elsewhere.")
                          : QCoreApplication::translate("GoneElsewhere", "The comment “%1” was deleted."))
            .arg(shown);
    }
    return {};
}

QString writtenWentAway(EditedObject object, const QString &name)
{
    const QString shown = quoted(name);
    switch (object) {
    case EditedObject::Task:
        return QCoreApplication::translate("GoneElsewhere", "The task you edited, “%1”, was deleted elsewhere.")
            .arg(shown);
    case EditedObject::Project:
        return QCoreApplication::translate("GoneElsewhere", "The project you edited, “%1”, was deleted elsewhere.")
            .arg(shown);
    case EditedObject::Area:
        return QCoreApplication::translate("GoneElsewhere", "The area you edited, “%1”, was deleted elsewhere.")
            .arg(shown);
    case EditedObject::Tag:
        return QCoreApplication::translate("GoneElsewhere", "The tag you edited, “%1”, was deleted elsewhere.")
            .arg(shown);
    case EditedObject::Comment:
        return shown.isEmpty()
            ? QCoreApplication::translate("GoneElsewhere", "The comment you edited was deleted elsewhere.")
            : QCoreApplication::translate("GoneElsewhere", "The comment you edited on “%1” was deleted elsewhere.")
                  .arg(shown);
    }
    return {};
}

QString becameReadOnly(const QString &name)
{
    const QString shown = quoted(name);
    return shown.isEmpty()
        ? QCoreApplication::translate("GoneElsewhere", "The task can no longer be changed.")
        : QCoreApplication::translate("GoneElsewhere", "The task “%1” can no longer be changed.").arg(shown);
}

// The window a form is in: a popover or a sheet belongs to the window it stands over.
QWidget *windowOfForm(QWidget *shownIn)
{
    QWidget *window = shownIn->window();
    const bool form = qobject_cast<Popover *>(window) != nullptr
        || (qobject_cast<QDialog *>(window) != nullptr && window->parentWidget());
    return form && window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
}

struct Telling
{
    EditedObject object;
    QString name{};
    bool elsewhere = true;
    bool changesLost = false;
    QStringList typed{};
    // The object is still there but may no longer be changed.
    bool readOnly = false;
    // A sync found it deleted before the service got what the user wrote on it, which `typed` holds; no form closed.
    bool written = false;
    // The title of the window the closing form was in; empty when the closing window was the object's own.
    QString formIn{};
    QPointer<QWidget> concerns{};
    // The user was typing in the form as it closed.
    bool typedThere = false;
};

// The tellings not shown yet: one change closes a window and the forms in it, each of which tells.
std::vector<Telling> &pending()
{
    static std::vector<Telling> tellings;
    return tellings;
}

void tell(const Telling &telling)
{
    if (telling.written) {
        runModal({.title = writtenWentAway(telling.object, telling.name),
                  .message =
                      QCoreApplication::translate("GoneElsewhere", "What you wrote had not reached the sync service:"),
                  .typed = telling.typed.join(QStringLiteral("\n\n")),
                  .buttonTitles = {QCoreApplication::translate("GoneElsewhere", "OK")},
                  .opener = Opener::Application,
                  .concerns = telling.concerns});
        return;
    }
    QStringList message;
    if (telling.readOnly)
        message << (telling.elsewhere ? QCoreApplication::translate(
                        "GoneElsewhere", "Its project or area was archived or made read-only elsewhere.")
                                      : QCoreApplication::translate(
                                          "GoneElsewhere", "Its project or area was archived or made read-only."));
    // Where it was, so that the alert never reads as being about the window under it.
    message << (telling.formIn.isEmpty()
                    ? QCoreApplication::translate("GoneElsewhere", "Its window closed.")
                    : QCoreApplication::translate("GoneElsewhere", "The form for it in the window “%1” closed.")
                          .arg(telling.formIn));
    if (telling.changesLost)
        message << QCoreApplication::translate("GoneElsewhere", "Your changes were not saved.");
    if (!telling.typed.isEmpty())
        message << QCoreApplication::translate("GoneElsewhere", "What you typed:");
    // Synchronously: this already runs after the store's change, on a later pass.
    runModal({.title = telling.readOnly ? becameReadOnly(telling.name)
                                        : wentAway(telling.object, telling.name, telling.elsewhere),
              .message = message.join(QLatin1Char(' ')),
              .typed = telling.typed.join(QStringLiteral("\n\n")),
              .buttonTitles = {QCoreApplication::translate("GoneElsewhere", "OK")},
              .opener = telling.elsewhere ? Opener::Application : Opener::User,
              .concerns = telling.concerns});
}

// Adds `text` to what is given back unless it is there already. A form names its fields' texts as they stand and the
// held changes come trimmed, as the question before a close shows them: compared as they come, a title typed up to the
// space before its next word was given back twice.
void giveBackOnce(QStringList &typed, const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty() && !typed.contains(trimmed))
        typed << trimmed;
}

void tellLater(Telling told, QWidget *shownIn)
{
    const QStringList named = std::exchange(told.typed, {});
    for (const QString &text : named)
        giveBackOnce(told.typed, text);
    if (shownIn != nullptr) {
        // Everything the form held that was not written comes back, not only the texts the form names: the chips
        // of its token fields, its ticked boxes, its choices and the people picked in it, as the question before a
        // close would name them.
        const QStringList held = UnsavedTyping::typedIn(shownIn);
        for (const QString &change : held)
            giveBackOnce(told.typed, change);
        QWidget *window = windowOfForm(shownIn);
        told.formIn = window != nullptr ? window->windowTitle() : QString();
        told.concerns = window;
        // The user was typing there (or in a popover or sheet of it): the keys that follow were meant for it, and act
        // on nothing until the user goes somewhere.
        bool typingThere = false;
        for (const QWidget *up = QApplication::focusWidget(); up != nullptr && !typingThere; up = up->parentWidget())
            typingThere = up == shownIn;
        if (told.elsewhere && typingThere)
            KeyboardOwner::rest();
        told.typedThere = typingThere;
    }
    std::vector<Telling> &tellings = pending();
    for (Telling &telling : tellings) {
        if (telling.object == told.object && telling.name == told.name && telling.readOnly == told.readOnly
            && telling.written == told.written) {
            telling.changesLost = telling.changesLost || told.changesLost;
            telling.typedThere = telling.typedThere || told.typedThere;
            // A window and the form in it hold the same typing.
            for (const QString &typed : std::as_const(told.typed))
                giveBackOnce(telling.typed, typed);
            // A window and the form in it: the window closed.
            if (telling.formIn.isEmpty() || told.formIn.isEmpty()) {
                telling.formIn.clear();
                telling.concerns = nullptr;
            }
            return;
        }
    }
    tellings.push_back(told);
    if (tellings.size() > 1)
        return;
    // Later: the form closes from inside the store's change, where a modal alert must not run.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            std::vector<Telling> shown = std::exchange(pending(), {});
            // The alert of the form the user was typing in opens first: the line under the home list names the first
            // window opened while the keys rest as the one that holds what was typed.
            std::stable_partition(shown.begin(), shown.end(),
                                  [](const Telling &telling) { return telling.typedThere; });
            // The others each on a pass of their own, which the first alert's wait runs, so that all wait at once: an
            // alert returns only once it is answered, and the next would come up only then, out of reach of F8 and
            // the Window menu meanwhile.
            for (std::size_t i = 1; i < shown.size(); ++i)
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [telling = shown[i]] { tell(telling); }, Qt::QueuedConnection);
            if (!shown.empty())
                tell(shown.front());
        },
        Qt::QueuedConnection);
}

} // namespace

void tellObjectWentAway(EditedObject object, const QString &name, QWidget *shownIn, Opener opener, bool changesLost,
                        const QStringList &typed)
{
    const bool elsewhere = opener == Opener::Application;
    qCInfo(lcUikit).noquote() << "tellObjectWentAway" << wentAway(object, name, elsewhere);
    tellLater({.object = object, .name = name, .elsewhere = elsewhere, .changesLost = changesLost, .typed = typed},
              shownIn);
}

void tellTaskBecameReadOnly(const QString &name, QWidget *shownIn, Opener opener, const QStringList &typed)
{
    const bool elsewhere = opener == Opener::Application;
    qCInfo(lcUikit).noquote() << "tellTaskBecameReadOnly" << becameReadOnly(name);
    tellLater({.object = EditedObject::Task,
               .name = name,
               .elsewhere = elsewhere,
               .changesLost = true,
               .typed = typed,
               .readOnly = true},
              shownIn);
}

void tellWrittenWentAway(EditedObject object, const QString &name, const QString &written)
{
    qCInfo(lcUikit).noquote() << "tellWrittenWentAway" << writtenWentAway(object, name);
    tellLater({.object = object, .name = name, .typed = {written}, .written = true}, nullptr);
}

} // namespace knvt
