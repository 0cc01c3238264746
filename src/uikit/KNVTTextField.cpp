#include "uikit/KNVTTextField.h"

#include "foundation/StringAdditions.h"
#include "uikit/ReturnAction.h"

#include <QKeyEvent>

KNVTTextField::KNVTTextField(QWidget *parent) : QLineEdit(parent) {}

KNVTTextField::KNVTTextField(const QString &text, QWidget *parent) : QLineEdit(text, parent) {}

QString KNVTTextField::trimmedString() const
{
    return knvt::trimmedString(text());
}

bool KNVTTextField::handlesReturn(const QKeyEvent *event) const
{
    return event->key() == Qt::Key_Return && m_returnBehaviour != 0;
}

bool KNVTTextField::event(QEvent *event)
{
    // A window shortcut on Ctrl-Return would otherwise take the key before the field sees it.
    if (event->type() == QEvent::ShortcutOverride && handlesReturn(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void KNVTTextField::keyPressEvent(QKeyEvent *event)
{
    if (!handlesReturn(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool option = modifiers.testFlag(Qt::AltModifier);
    const bool command = modifiers.testFlag(Qt::ControlModifier);

    bool runsAction = false;
    switch (m_returnBehaviour) {
    case 1: runsAction = !shift && !option && !command; break;
    case 2: runsAction = command; break;
    case 3: runsAction = !shift && !option; break;
    default: event->accept(); return;
    }
    if (runsAction) {
        event->accept();
        knvt::sendReturnAction(m_returnTarget, m_returnAction, this);
    } else {
        // The key-release handler, not the key-press one: a modified Return neither edits the text nor ends the
        // editing (no returnPressed(), no editingFinished()), and it does not travel on to the window.
        QLineEdit::keyReleaseEvent(event);
    }
}
