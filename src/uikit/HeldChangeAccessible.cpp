#include "uikit/HeldChangeAccessible.h"

#include "uikit/HeldChange.h"
#include "uikit/UnsavedTyping.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace knvt {

namespace {

// Qt's own controls whose interface can change what they hold.
bool isQtsChangeable(const QObject *object)
{
    return qobject_cast<const QLineEdit *>(object) != nullptr || qobject_cast<const QPlainTextEdit *>(object) != nullptr
        || qobject_cast<const QTextEdit *>(object) != nullptr
        || qobject_cast<const QAbstractButton *>(object) != nullptr
        || qobject_cast<const QComboBox *>(object) != nullptr
        || qobject_cast<const QAbstractSpinBox *>(object) != nullptr
        || qobject_cast<const QAbstractSlider *>(object) != nullptr;
}

bool gAskingQt = false;

} // namespace

void HeldChangeAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&HeldChangeAccessible::make);
        return true;
    }();
    Q_UNUSED(installed);
}

QAccessibleInterface *HeldChangeAccessible::make(const QString &className, QObject *object)
{
    // Asked for the object's own class first; Qt's interface is then found for whichever class of the object's
    // ancestry Qt answers for.
    if (gAskingQt || object == nullptr || className != QLatin1String(object->metaObject()->className())
        || !isQtsChangeable(object) || HeldChange::controlReceiving(object) == nullptr)
        return nullptr;
    // Qt keeps one interface for each object, and makes its own only through this very question: asked again from here,
    // it makes and keeps it, and this one then takes its place for the object. The one Qt made stays under an id of its
    // own, which this one lets go of with the control.
    gAskingQt = true;
    QAccessibleInterface *own = QAccessible::queryAccessibleInterface(object);
    gAskingQt = false;
    return own != nullptr ? new HeldChangeAccessible(own) : nullptr;
}

HeldChangeAccessible::HeldChangeAccessible(QAccessibleInterface *own) : m_own(own), m_ownId(QAccessible::uniqueId(own))
{}

HeldChangeAccessible::~HeldChangeAccessible()
{
    QAccessible::deleteAccessibleInterface(m_ownId);
}

void HeldChangeAccessible::input() const
{
    if (QObject *control = m_own->object())
        UnsavedTyping::accessibleInput(control);
}

bool HeldChangeAccessible::isValid() const
{
    return m_own->isValid();
}

QObject *HeldChangeAccessible::object() const
{
    return m_own->object();
}

QWindow *HeldChangeAccessible::window() const
{
    return m_own->window();
}

QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
HeldChangeAccessible::relations(QAccessible::Relation match) const
{
    return m_own->relations(match);
}

QAccessibleInterface *HeldChangeAccessible::focusChild() const
{
    return m_own->focusChild();
}

QAccessibleInterface *HeldChangeAccessible::childAt(int x, int y) const
{
    return m_own->childAt(x, y);
}

QAccessibleInterface *HeldChangeAccessible::parent() const
{
    return m_own->parent();
}

QAccessibleInterface *HeldChangeAccessible::child(int index) const
{
    return m_own->child(index);
}

int HeldChangeAccessible::childCount() const
{
    return m_own->childCount();
}

int HeldChangeAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return m_own->indexOfChild(child);
}

QString HeldChangeAccessible::text(QAccessible::Text t) const
{
    return m_own->text(t);
}

void HeldChangeAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value)
        input();
    m_own->setText(t, text);
}

QRect HeldChangeAccessible::rect() const
{
    return m_own->rect();
}

QAccessible::Role HeldChangeAccessible::role() const
{
    return m_own->role();
}

QAccessible::State HeldChangeAccessible::state() const
{
    return m_own->state();
}

QColor HeldChangeAccessible::foregroundColor() const
{
    return m_own->foregroundColor();
}

QColor HeldChangeAccessible::backgroundColor() const
{
    return m_own->backgroundColor();
}

void *HeldChangeAccessible::interface_cast(QAccessible::InterfaceType type)
{
    void *own = m_own->interface_cast(type);
    if (own == nullptr)
        return nullptr;
    switch (type) {
    case QAccessible::ActionInterface: return static_cast<QAccessibleActionInterface *>(this);
    case QAccessible::ValueInterface: return static_cast<QAccessibleValueInterface *>(this);
    case QAccessible::EditableTextInterface: return static_cast<QAccessibleEditableTextInterface *>(this);
    default: return own;
    }
}

QStringList HeldChangeAccessible::actionNames() const
{
    return m_own->actionInterface()->actionNames();
}

QString HeldChangeAccessible::localizedActionName(const QString &name) const
{
    return m_own->actionInterface()->localizedActionName(name);
}

QString HeldChangeAccessible::localizedActionDescription(const QString &name) const
{
    return m_own->actionInterface()->localizedActionDescription(name);
}

void HeldChangeAccessible::doAction(const QString &name)
{
    input();
    m_own->actionInterface()->doAction(name);
}

QStringList HeldChangeAccessible::keyBindingsForAction(const QString &name) const
{
    return m_own->actionInterface()->keyBindingsForAction(name);
}

QVariant HeldChangeAccessible::currentValue() const
{
    return m_own->valueInterface()->currentValue();
}

void HeldChangeAccessible::setCurrentValue(const QVariant &value)
{
    input();
    m_own->valueInterface()->setCurrentValue(value);
}

QVariant HeldChangeAccessible::maximumValue() const
{
    return m_own->valueInterface()->maximumValue();
}

QVariant HeldChangeAccessible::minimumValue() const
{
    return m_own->valueInterface()->minimumValue();
}

QVariant HeldChangeAccessible::minimumStepSize() const
{
    return m_own->valueInterface()->minimumStepSize();
}

void HeldChangeAccessible::deleteText(int startOffset, int endOffset)
{
    input();
    m_own->editableTextInterface()->deleteText(startOffset, endOffset);
}

void HeldChangeAccessible::insertText(int offset, const QString &text)
{
    input();
    m_own->editableTextInterface()->insertText(offset, text);
}

void HeldChangeAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    input();
    m_own->editableTextInterface()->replaceText(startOffset, endOffset, text);
}

} // namespace knvt
