#pragma once

#include <QHashFunctions>
#include <QIcon>
#include <QString>

// A fixed entry of the home list that is neither a focus list nor a stored object: the overview of all projects and
// areas. Two items are equal when their identifiers are.
class KNVTHomeItem
{
public:
    KNVTHomeItem() = default;
    KNVTHomeItem(const QString &localizedDisplayName, const QIcon &icon);

    // The one item of the program: "Projects/Areas", identifier "TaskLists".
    static KNVTHomeItem taskListsItem();

    const QString &localizedDisplayName() const { return m_localizedDisplayName; }
    void setLocalizedDisplayName(const QString &name) { m_localizedDisplayName = name; }
    const QIcon &icon() const { return m_icon; }
    void setIcon(const QIcon &icon) { m_icon = icon; }
    const QString &identifier() const { return m_identifier; }
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }

    QString description() const;

    bool operator==(const KNVTHomeItem &other) const { return m_identifier == other.m_identifier; }

private:
    QString m_localizedDisplayName;
    QIcon m_icon;
    QString m_identifier;
};

inline size_t qHash(const KNVTHomeItem &item, size_t seed = 0)
{
    return qHash(item.identifier(), seed);
}
