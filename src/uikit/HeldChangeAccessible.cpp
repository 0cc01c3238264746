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
#include <QtGui/private/qaccessiblecache_p.h>

#include <utility>

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

// The control whose interface Qt is being asked for from inside this factory, which then leaves it to Qt.
QObject *gAskingQtFor = nullptr;

// Qt's cache of interfaces keeps one for each object, asserts as much as it takes a new one, and has no way to give one
// up without deleting it. Its three tables are reached through pointers to its members, named where the language checks
// no access: in the explicit instantiation of a template that hands them out.
template <typename Table, typename Table::Member member>
struct CacheTable
{
    friend typename Table::Member tableOf(Table) { return member; }
};
struct InterfaceById
{
    using Member = QHash<QAccessible::Id, QAccessibleInterface *> QAccessibleCache::*;
    friend Member tableOf(InterfaceById);
};
struct IdByInterface
{
    using Member = QHash<QAccessibleInterface *, QAccessible::Id> QAccessibleCache::*;
    friend Member tableOf(IdByInterface);
};
struct IdByObject
{
    using Member = QMultiHash<QObject *, QPair<QAccessible::Id, const QMetaObject *>> QAccessibleCache::*;
    friend Member tableOf(IdByObject);
};
template struct CacheTable<InterfaceById, &QAccessibleCache::idToInterface>;
template struct CacheTable<IdByInterface, &QAccessibleCache::interfaceToId>;
template struct CacheTable<IdByObject, &QAccessibleCache::objectToId>;

// Takes `own`, which Qt has just made and kept for `object`, out of Qt's cache without deleting it: the caller keeps
// it, and Qt keeps the interface the factory returns in its place.
void takeOutOfCache(QAccessibleInterface *own, QObject *object)
{
    QAccessibleCache *cache = QAccessibleCache::instance();
    const QAccessible::Id id = cache->idForInterface(own);
    (cache->*tableOf(InterfaceById{})).remove(id);
    (cache->*tableOf(IdByInterface{})).remove(own);
    (cache->*tableOf(IdByObject{})).remove(object, qMakePair(id, object->metaObject()));
    // The cache follows the object's end once for the interface it keeps in its place.
    QObject::disconnect(object, &QObject::destroyed, cache, nullptr);
}

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
    if (object == nullptr || object == gAskingQtFor || className != QLatin1String(object->metaObject()->className())
        || !isQtsChangeable(object) || HeldChange::controlReceiving(object) == nullptr)
        return nullptr;
    // Qt makes its own interface only through this very question: asked again from here, it makes it and keeps it for
    // the object. This one takes it out of Qt's cache again, so that Qt keeps one interface for the object, this one,
    // which deletes Qt's with itself.
    QObject *const outer = std::exchange(gAskingQtFor, object);
    QAccessibleInterface *own = QAccessible::queryAccessibleInterface(object);
    gAskingQtFor = outer;
    if (own == nullptr)
        return nullptr;
    takeOutOfCache(own, object);
    return new HeldChangeAccessible(own);
}

HeldChangeAccessible::HeldChangeAccessible(QAccessibleInterface *own) : m_own(own) {}

HeldChangeAccessible::~HeldChangeAccessible()
{
    // Only Qt's cache deletes an interface: Qt's own goes back into it, now that this one has left it, to go. The cache
    // deletes this one after taking it out of its tables, and walks a copy of them as an object ends, so putting Qt's
    // back in from here changes nothing it is walking.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(m_own));
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
