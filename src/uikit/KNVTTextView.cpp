#include "uikit/KNVTTextView.h"

#include "uikit/TextInItsDirection.h"

#include "foundation/StringAdditions.h"
#include "uikit/ReturnAction.h"

#include <QKeyEvent>
#include <QTextCursor>

KNVTTextView::KNVTTextView(QWidget *parent) : QPlainTextEdit(parent)
{
    knvt::followDirectionOfTypedText(this);
}

QString KNVTTextView::trimmedString() const
{
    return knvt::trimmedString(toPlainText());
}

void KNVTTextView::insertNewline()
{
    if (isReadOnly())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool KNVTTextView::handlesReturn(const QKeyEvent *event) const
{
    return event->key() == Qt::Key_Return && m_returnBehaviour != 0;
}

bool KNVTTextView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && handlesReturn(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    // Tab and Back-Tab are asked about here, before QWidget::event() can turn them into a focus change.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        KNVTTextViewDelegate *delegate = m_delegate.get();
        if (delegate && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const bool backtab =
                key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && key->modifiers() & Qt::ShiftModifier);
            const bool tab = !backtab && key->key() == Qt::Key_Tab;
            if ((tab && !delegate->shouldTextViewInsertTab(this))
                || (backtab && !delegate->shouldTextViewInsertBacktab(this))) {
                event->accept();
                return true;
            }
        }
    }
    return QPlainTextEdit::event(event);
}

void KNVTTextView::keyPressEvent(QKeyEvent *event)
{
    if (!handlesReturn(event)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool option = modifiers.testFlag(Qt::AltModifier);
    const bool command = modifiers.testFlag(Qt::ControlModifier);

    event->accept();
    switch (m_returnBehaviour) {
    case 1:
        if (command)
            knvt::sendReturnAction(m_returnTarget, m_returnAction, this);
        else
            insertNewline();
        break;
    case 2:
        if (shift || option)
            insertNewline();
        else
            knvt::sendReturnAction(m_returnTarget, m_returnAction, this);
        break;
    default: break;
    }
}
