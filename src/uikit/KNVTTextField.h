#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QPointer>

// A one-line text field whose Return key can run an action instead of (or as well as) the field's own handling,
// depending on the return behaviour and the modifier keys held:
//   0  Return is not handled specially.
//   1  plain Return runs the action; with Shift, Alt or Ctrl it goes to the field's key-release handling.
//   2  Ctrl-Return runs the action; Return without Ctrl goes to the key-release handling.
//   3  Return with neither Shift nor Alt (Ctrl allowed) runs the action; with Shift or Alt the key-release handling.
//   any other value swallows every Return.
// The key-release handling takes the key without acting on it: no edit, no returnPressed(), nothing for the window.
// Only the main Return key counts; Enter on the keypad is left to the field.
class KNVTTextField : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(uint returnBehaviour READ returnBehaviour WRITE setReturnBehaviour)
    Q_PROPERTY(QObject *returnTarget READ returnTarget WRITE setReturnTarget)
    Q_PROPERTY(QByteArray returnAction READ returnAction WRITE setReturnAction)
    Q_PROPERTY(QString trimmedString READ trimmedString)
    Q_PROPERTY(QString prompt READ prompt WRITE setPrompt)

public:
    explicit KNVTTextField(QWidget *parent = nullptr);
    explicit KNVTTextField(const QString &text, QWidget *parent = nullptr);

    uint returnBehaviour() const { return m_returnBehaviour; }
    void setReturnBehaviour(uint returnBehaviour) { m_returnBehaviour = returnBehaviour; }

    // Not owned; forgotten when it is destroyed.
    QObject *returnTarget() const { return m_returnTarget; }
    void setReturnTarget(QObject *returnTarget) { m_returnTarget = returnTarget; }

    // Name of an invokable member of the target taking the field as its one QObject * argument (e.g. "save").
    QByteArray returnAction() const { return m_returnAction; }
    void setReturnAction(const QByteArray &returnAction) { m_returnAction = returnAction; }

    // The text without white space and line breaks at either end.
    QString trimmedString() const;

    // Shown faintly while the field is empty, as a placeholder is, but never read out: a screen reader reads a
    // placeholder as the field's description, which a prompt such as "New Task" is not.
    QString prompt() const { return m_prompt; }
    void setPrompt(const QString &prompt);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool handlesReturn(const QKeyEvent *event) const;

    uint m_returnBehaviour = 0;
    QPointer<QObject> m_returnTarget;
    QByteArray m_returnAction;
    QString m_prompt;
};
