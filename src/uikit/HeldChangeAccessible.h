#pragma once

#include <QAccessibleInterface>

namespace knvt {

// What an assistive technology changes through Qt's own interface of a control that holds a change (HeldChange: a line
// or text field, a check box, a pop-up, a token field's editor) is the user's input, as a click or a key is: this
// interface stands in front of the one Qt made for the control, hands the control to UnsavedTyping before each change
// it passes on (an action such as a toggle or a press, a value set, a text set, inserted, deleted or replaced), and
// passes everything else on unchanged. The project's own interfaces of such controls tell UnsavedTyping themselves.
class HeldChangeAccessible : public QAccessibleInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleValueInterface,
                             public QAccessibleEditableTextInterface
{
public:
    // Puts this interface in front of Qt's for every control that holds a change, from now on. Once per process,
    // before any interface of such a control is asked for.
    static void install();

    ~HeldChangeAccessible() override;

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>> relations(QAccessible::Relation match) const override;
    QAccessibleInterface *focusChild() const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QColor foregroundColor() const override;
    QColor backgroundColor() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    QString localizedActionName(const QString &name) const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &name) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    explicit HeldChangeAccessible(QAccessibleInterface *own);
    static QAccessibleInterface *make(const QString &className, QObject *object);
    // The user gives input to the control through this interface.
    void input() const;

    // Qt's interface of the control, which Qt's cache does not hold (it holds this one for the control): it goes with
    // this one.
    QAccessibleInterface *m_own;
};

} // namespace knvt
