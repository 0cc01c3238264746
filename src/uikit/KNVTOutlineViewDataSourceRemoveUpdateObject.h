#pragma once

#include <QMetaType>
#include <QVariant>

#include <memory>

// Marks a section or a child for removal: an owner of a KNVTOutlineViewDataSource puts a marker in the place of the
// object that is to go, between beginUpdates() and endUpdates(); the commit removes the row and the marker together.
// Until then the row still shows the object the marker stands for.
class KNVTOutlineViewDataSourceRemoveUpdateObject
{
public:
    using Pointer = std::shared_ptr<KNVTOutlineViewDataSourceRemoveUpdateObject>;

    explicit KNVTOutlineViewDataSourceRemoveUpdateObject(const QVariant &removedObject = QVariant());

    // A new marker for `removedObject` (an element of an item array), ready to be put into an item array.
    static QVariant outlineViewDataSourceRemoveUpdateObjectWithRemovedObject(const QVariant &removedObject);

    const QVariant &removedObject() const { return m_removedObject; }
    void setRemovedObject(const QVariant &removedObject) { m_removedObject = removedObject; }

    // The marker held by `item`, or nullptr when it holds something else.
    static Pointer fromItem(const QVariant &item);
    static bool isMarker(const QVariant &item) { return fromItem(item) != nullptr; }

private:
    QVariant m_removedObject;
};

Q_DECLARE_METATYPE(KNVTOutlineViewDataSourceRemoveUpdateObject::Pointer)
