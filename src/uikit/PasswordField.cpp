#include "uikit/PasswordField.h"

#include <QAccessible>
#include <QStyle>

namespace knvt {

namespace {

// The handler that was installed before the guard, which the guard's events go on to.
QAccessible::UpdateHandler nextHandler = nullptr;

void guard(QAccessibleEvent *event);

// Qt gives an event to the platform's screen-reader bridge only while no handler is installed: the guard steps aside
// for the event it carries on. Qt has already told a table of a change of its rows, and would tell it again, shifting
// the rows it knows twice: the second time the table hears of a change of data, which changes nothing it holds (the
// bridge of this Qt passes on no change of a table's rows).
void carryOn(QAccessibleEvent *event)
{
    if (nextHandler != nullptr) {
        nextHandler(event);
        return;
    }
    auto *tableChange = event->type() == QAccessible::TableModelChanged
        ? static_cast<QAccessibleTableModelChangeEvent *>(event)
        : nullptr;
    const QAccessibleTableModelChangeEvent::ModelChangeType changeType =
        tableChange != nullptr ? tableChange->modelChangeType() : QAccessibleTableModelChangeEvent::DataChanged;
    if (tableChange != nullptr)
        tableChange->setModelChangeType(QAccessibleTableModelChangeEvent::DataChanged);
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&guard);
    if (tableChange != nullptr)
        tableChange->setModelChangeType(changeType);
}

void guard(QAccessibleEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(event->object());
    if (field == nullptr || field->echoMode() == QLineEdit::Normal) {
        carryOn(event);
        return;
    }
    const bool shown = field->echoMode() != QLineEdit::NoEcho;
    const QChar mask(char16_t(field->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, field)));
    const auto masked = [&](const QString &text) { return QString(text.size(), mask); };
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto *inserted = static_cast<QAccessibleTextInsertEvent *>(event);
        QAccessibleTextInsertEvent told(field, inserted->changePosition(), masked(inserted->textInserted()));
        if (shown)
            carryOn(&told);
        return;
    }
    case QAccessible::TextRemoved: {
        const auto *removed = static_cast<QAccessibleTextRemoveEvent *>(event);
        QAccessibleTextRemoveEvent told(field, removed->changePosition(), masked(removed->textRemoved()));
        if (shown)
            carryOn(&told);
        return;
    }
    case QAccessible::TextUpdated: {
        const auto *updated = static_cast<QAccessibleTextUpdateEvent *>(event);
        QAccessibleTextUpdateEvent told(field, updated->changePosition(), masked(updated->textRemoved()),
                                        masked(updated->textInserted()));
        if (shown)
            carryOn(&told);
        return;
    }
    case QAccessible::ValueChanged: return;
    default: carryOn(event); return;
    }
}

} // namespace

PasswordField::PasswordField(QWidget *parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    static const bool installed = [] {
        nextHandler = QAccessible::installUpdateHandler(&guard);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
