#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstddef>
#include <memory>

// One group row of an outline list: a header and the items shown under it. A section is shared between the list that
// builds it and the model that shows it, so it lives behind a std::shared_ptr; inside item arrays (QVariantList, the
// top level of an outline and a section's children) it is held as a KNVTOutlineViewSection::Pointer.
//
// Equality is by identifier, so that a section rebuilt on reload is found again in place of the old object; a
// section without identifier equals only itself.
class KNVTOutlineViewSection
{
public:
    using Pointer = std::shared_ptr<KNVTOutlineViewSection>;

    KNVTOutlineViewSection() = default;
    KNVTOutlineViewSection(const QString &identifier, const QString &name);

    static Pointer create(const QString &identifier = QString(), const QString &name = QString());

    // Stable key of the section ("Incomplete", "Scheduled", ...); drop validation compares it.
    const QString &identifier() const { return m_identifier; }
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }

    // Title shown in the group row, already localised.
    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // The items under the section, in display order.
    const QVariantList &children() const { return m_children; }
    void setChildren(const QVariantList &children) { m_children = children; }
    qsizetype numberOfChildren() const { return m_children.size(); }

    bool isCollapsible() const { return m_collapsible; }
    void setCollapsible(bool collapsible) { m_collapsible = collapsible; }
    bool isExpandable() const { return m_expandable; }
    void setExpandable(bool expandable) { m_expandable = expandable; }

    // True for the same object, and for another section when both identifiers are present and equal.
    bool isEqual(const KNVTOutlineViewSection &other) const;
    // `item` taken from an item array: equal only when it holds a section that is equal as above. Anything else, a
    // string equal to the identifier included, is unequal.
    bool isEqual(const QVariant &item) const;

    // The identifier's hash; the object's address when there is no identifier.
    size_t hash(size_t seed = 0) const;

    // `section` as an element of an item array.
    static QVariant item(const Pointer &section);
    // The section held by `item`, or nullptr when it holds something else.
    static Pointer fromItem(const QVariant &item);

private:
    QString m_identifier;
    QString m_name;
    QVariantList m_children;
    bool m_collapsible = true;
    bool m_expandable = true;
};

inline bool operator==(const KNVTOutlineViewSection &a, const KNVTOutlineViewSection &b)
{
    return a.isEqual(b);
}
inline size_t qHash(const KNVTOutlineViewSection &section, size_t seed = 0)
{
    return section.hash(seed);
}

Q_DECLARE_METATYPE(KNVTOutlineViewSection::Pointer)
