#pragma once

#include <memory>

class KNVTFile;

// What stands for a class of the file-system model where the configuration names one: its name, its superclass
// and a way to make a bare instance. Each class of the model (and any client subclass) has exactly one, returned by
// its staticClass(), and objects answer theirs with objectClass().
class KNVTFileClass
{
public:
    using Factory = std::shared_ptr<KNVTFile> (*)();

    KNVTFileClass(const char *name, const KNVTFileClass *superclass, Factory factory);
    KNVTFileClass(const KNVTFileClass &) = delete;
    KNVTFileClass &operator=(const KNVTFileClass &) = delete;

    const char *name() const { return m_name; }
    const KNVTFileClass *superclass() const { return m_superclass; }
    // True for the class itself and for any class derived from `other`.
    bool isSubclassOfClass(const KNVTFileClass &other) const;
    // A new object of this class, not yet pointed at anything.
    std::shared_ptr<KNVTFile> instantiate() const { return m_factory(); }

private:
    const char *m_name;
    const KNVTFileClass *m_superclass;
    Factory m_factory;
};
