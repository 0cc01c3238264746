#include "uikit/KNVTOutlineViewDataSourceRemoveUpdateObject.h"

KNVTOutlineViewDataSourceRemoveUpdateObject::KNVTOutlineViewDataSourceRemoveUpdateObject(const QVariant &removedObject)
    : m_removedObject(removedObject)
{}

QVariant KNVTOutlineViewDataSourceRemoveUpdateObject::outlineViewDataSourceRemoveUpdateObjectWithRemovedObject(
    const QVariant &removedObject)
{
    return QVariant::fromValue(std::make_shared<KNVTOutlineViewDataSourceRemoveUpdateObject>(removedObject));
}

KNVTOutlineViewDataSourceRemoveUpdateObject::Pointer
KNVTOutlineViewDataSourceRemoveUpdateObject::fromItem(const QVariant &item)
{
    if (item.metaType() != QMetaType::fromType<Pointer>())
        return nullptr;
    return item.value<Pointer>();
}
