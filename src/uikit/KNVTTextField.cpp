#include "uikit/KNVTTextField.h"

#include "foundation/StringAdditions.h"
#include "uikit/ReturnAction.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

KNVTTextField::KNVTTextField(QWidget *parent) : QLineEdit(parent) {}

KNVTTextField::KNVTTextField(const QString &text, QWidget *parent) : QLineEdit(text, parent) {}

QString KNVTTextField::trimmedString() const
{
    return knvt::trimmedString(text());
}

void KNVTTextField::setPrompt(const QString &prompt)
{
    m_prompt = prompt;
    update();
}

void KNVTTextField::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    if (m_prompt.isEmpty() || !text().isEmpty())
        return;
    // Where and how the field draws a placeholder: its contents less the text margins and the field's own 2 pixels at
    // either side, in the placeholder colour, laid out in the prompt's own direction.
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
    const QRect line = contents.adjusted(2, 0, -2, 0);
    const Qt::LayoutDirection direction = m_prompt.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    QPainter painter(this);
    painter.setClipRect(contents);
    painter.setPen(palette().placeholderText().color());
    painter.setLayoutDirection(direction);
    painter.drawText(line, int(QStyle::visualAlignment(direction, alignment())),
                     fontMetrics().elidedText(m_prompt, Qt::ElideRight, line.width()));
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
