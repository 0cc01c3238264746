#include "uikit/PasswordField.h"

#include "uikit/AccessibleEventRules.h"

#include <QAccessible>
#include <QStyle>

namespace knvt {

namespace {

// Takes over the text events of every field not showing its text, carrying on masked ones in their place.
bool guard(QAccessibleEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(event->object());
    if (field == nullptr || field->echoMode() == QLineEdit::Normal)
        return false;
    const bool shown = field->echoMode() != QLineEdit::NoEcho;
    const QChar mask(char16_t(field->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, field)));
    const auto masked = [&](const QString &text) { return QString(text.size(), mask); };
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto *inserted = static_cast<QAccessibleTextInsertEvent *>(event);
        QAccessibleTextInsertEvent told(field, inserted->changePosition(), masked(inserted->textInserted()));
        if (shown)
            AccessibleEventRules::carryOn(&told);
        return true;
    }
    case QAccessible::TextRemoved: {
        const auto *removed = static_cast<QAccessibleTextRemoveEvent *>(event);
        QAccessibleTextRemoveEvent told(field, removed->changePosition(), masked(removed->textRemoved()));
        if (shown)
            AccessibleEventRules::carryOn(&told);
        return true;
    }
    case QAccessible::TextUpdated: {
        const auto *updated = static_cast<QAccessibleTextUpdateEvent *>(event);
        QAccessibleTextUpdateEvent told(field, updated->changePosition(), masked(updated->textRemoved()),
                                        masked(updated->textInserted()));
        if (shown)
            AccessibleEventRules::carryOn(&told);
        return true;
    }
    case QAccessible::ValueChanged: return true;
    default: return false;
    }
}

} // namespace

PasswordField::PasswordField(QWidget *parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    AccessibleEventRules::add(&guard);
}

} // namespace knvt
