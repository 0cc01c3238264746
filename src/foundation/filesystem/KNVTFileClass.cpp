#include "foundation/filesystem/KNVTFileClass.h"

KNVTFileClass::KNVTFileClass(const char *name, const KNVTFileClass *superclass, Factory factory)
    : m_name(name), m_superclass(superclass), m_factory(factory)
{}

bool KNVTFileClass::isSubclassOfClass(const KNVTFileClass &other) const
{
    for (const KNVTFileClass *cls = this; cls; cls = cls->m_superclass)
        if (cls == &other)
            return true;
    return false;
}
