#pragma once

#include "uikit/KNVTTextViewDelegate.h"
#include "uikit/WeakDelegate.h"

#include <QByteArray>
#include <QPlainTextEdit>
#include <QPointer>

// A multi-line text view (notes, comments) whose Return key can run an action, and whose delegate may refuse Tab and
// Back-Tab so that a form can move the focus itself. Return, by return behaviour and modifiers held:
//   0  Return is not handled specially.
//   1  Return without Ctrl inserts a line break; Ctrl-Return runs the action.
//   2  Return with Shift or Alt inserts a line break; Return with neither runs the action.
//   any other value swallows every Return.
// Only the main Return key counts; Enter on the keypad is left to the view.
class KNVTTextView : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(uint returnBehaviour READ returnBehaviour WRITE setReturnBehaviour)
    Q_PROPERTY(QObject *returnTarget READ returnTarget WRITE setReturnTarget)
    Q_PROPERTY(QByteArray returnAction READ returnAction WRITE setReturnAction)
    Q_PROPERTY(QString trimmedString READ trimmedString)

public:
    explicit KNVTTextView(QWidget *parent = nullptr);

    uint returnBehaviour() const { return m_returnBehaviour; }
    void setReturnBehaviour(uint returnBehaviour) { m_returnBehaviour = returnBehaviour; }

    // Not owned; forgotten when it is destroyed.
    QObject *returnTarget() const { return m_returnTarget; }
    void setReturnTarget(QObject *returnTarget) { m_returnTarget = returnTarget; }

    // Name of an invokable member of the target taking the view as its one QObject * argument (e.g. "save").
    QByteArray returnAction() const { return m_returnAction; }
    void setReturnAction(const QByteArray &returnAction) { m_returnAction = returnAction; }

    // Not owned; a QObject delegate is forgotten when it is destroyed.
    KNVTTextViewDelegate *delegate() const { return m_delegate.get(); }
    void setDelegate(KNVTTextViewDelegate *delegate) { m_delegate.set(delegate); }

    // The text without white space and line breaks at either end.
    QString trimmedString() const;

    // Inserts a line break at the cursor, as a plain Return does; nothing in a read-only view.
    void insertNewline();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool handlesReturn(const QKeyEvent *event) const;

    uint m_returnBehaviour = 0;
    QPointer<QObject> m_returnTarget;
    QByteArray m_returnAction;
    knvt::WeakDelegate<KNVTTextViewDelegate> m_delegate;
};
