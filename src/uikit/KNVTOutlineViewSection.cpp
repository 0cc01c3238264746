#include "uikit/KNVTOutlineViewSection.h"

#include <QHash>

KNVTOutlineViewSection::KNVTOutlineViewSection(const QString &identifier, const QString &name)
    : m_identifier(identifier), m_name(name)
{}

KNVTOutlineViewSection::Pointer KNVTOutlineViewSection::create(const QString &identifier, const QString &name)
{
    return std::make_shared<KNVTOutlineViewSection>(identifier, name);
}

bool KNVTOutlineViewSection::isEqual(const KNVTOutlineViewSection &other) const
{
    if (this == &other)
        return true;
    // QString() == QString("") in Qt; an absent identifier must not match an empty one.
    if (m_identifier.isNull() || other.m_identifier.isNull())
        return false;
    return m_identifier == other.m_identifier;
}

bool KNVTOutlineViewSection::isEqual(const QVariant &item) const
{
    const Pointer other = fromItem(item);
    return other && isEqual(*other);
}

size_t KNVTOutlineViewSection::hash(size_t seed) const
{
    if (m_identifier.isNull())
        return qHash(static_cast<const void *>(this), seed);
    return qHash(m_identifier, seed);
}

QVariant KNVTOutlineViewSection::item(const Pointer &section)
{
    return QVariant::fromValue(section);
}

KNVTOutlineViewSection::Pointer KNVTOutlineViewSection::fromItem(const QVariant &item)
{
    if (item.metaType() != QMetaType::fromType<Pointer>())
        return nullptr;
    return item.value<Pointer>();
}
