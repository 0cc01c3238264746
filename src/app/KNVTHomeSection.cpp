#include "app/KNVTHomeSection.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTFocusType.h"

#include "foundation/Defaults.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QCoreApplication>
#include <QSet>
#include <QVariantList>

#include <algorithm>

namespace {

QString expandedKey()
{
    return QString::fromLatin1(KNVTHomeSectionExpandedHomeSectionTypes);
}

} // namespace

KNVTHomeSection::KNVTHomeSection(int homeSectionType, KNVTTaskStore *store)
    : m_type(homeSectionType),
      m_localizedDisplayName(localizedDisplayNameForHomeSectionType(homeSectionType)),
      m_store(store)
{
    m_expanded = expandedHomeSectionNumbers().contains(homeSectionType);
    if (m_type == KNVTHomeSectionTypeFocus) {
        m_expanded = true;
        for (KNVTFocusType type :
             {KNVTFocusTypeInbox, KNVTFocusTypeToday, KNVTFocusTypeNext, KNVTFocusTypeScheduled, KNVTFocusTypeSomeday})
            m_children.push_back(knvt::HomeEntry::focusList(type));
        // Whether Delegated shows is decided when the section is made.
        if (this->store().numberOfDelegatedTasks() != 0)
            m_children.push_back(knvt::HomeEntry::focusList(KNVTFocusTypeDelegated));
        m_children.push_back(knvt::HomeEntry::homeItem(KNVTHomeItem::taskListsItem()));
    } else if (m_type == KNVTHomeSectionTypeArchived) {
        m_children.push_back(knvt::HomeEntry::focusList(KNVTFocusTypeArchived));
    } else {
        fetchChildren();
    }
}

KNVTTaskStore &KNVTHomeSection::store() const
{
    return m_store ? *m_store : *KNVTTaskStore::defaultTaskStore();
}

QList<int> KNVTHomeSection::expandedHomeSectionNumbers()
{
    const QVariant value = knvt::Defaults::standard().value(expandedKey());
    QList<int> numbers;
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return numbers;
    for (const QVariant &number : value.toList())
        numbers << number.toInt();
    return numbers;
}

QString KNVTHomeSection::localizedDisplayNameForHomeSectionType(int homeSectionType)
{
    const char *key = nullptr;
    switch (homeSectionType) {
    case KNVTHomeSectionTypeFocus: key = QT_TRANSLATE_NOOP("KNVTHomeSection", "Focus"); break;
    case KNVTHomeSectionTypeProjects: key = QT_TRANSLATE_NOOP("KNVTHomeSection", "Projects"); break;
    case KNVTHomeSectionTypeAreas: key = QT_TRANSLATE_NOOP("KNVTHomeSection", "Areas"); break;
    case KNVTHomeSectionTypeTags: key = QT_TRANSLATE_NOOP("KNVTHomeSection", "Tags"); break;
    case KNVTHomeSectionTypeArchived: key = QT_TRANSLATE_NOOP("KNVTHomeSection", "Archived"); break;
    default: return QStringLiteral("-");
    }
    return QCoreApplication::translate("KNVTHomeSection", key).toUpper();
}

void KNVTHomeSection::fetchChildren()
{
    m_children.clear();
    if (m_type == KNVTHomeSectionTypeProjects || m_type == KNVTHomeSectionTypeAreas) {
        std::vector<KNVTCDTaskList *> lists =
            m_type == KNVTHomeSectionTypeProjects ? store().activeProjects() : store().activeAreas();
        std::stable_sort(lists.begin(), lists.end(), KNVTCDTaskList::taskListComparator());
        for (const KNVTCDTaskList *list : lists)
            m_children.push_back(knvt::HomeEntry::taskList(*list));
    } else if (m_type == KNVTHomeSectionTypeTags) {
        std::vector<KNVTCDTag *> tags = store().tags();
        std::stable_sort(tags.begin(), tags.end(), KNVTCDTag::tagComparator());
        for (const KNVTCDTag *tag : tags)
            m_children.push_back(knvt::HomeEntry::tag(*tag));
    }
}

void KNVTHomeSection::reloadData()
{
    if (m_type == KNVTHomeSectionTypeProjects || m_type == KNVTHomeSectionTypeAreas
        || m_type == KNVTHomeSectionTypeTags)
        fetchChildren();
}

void KNVTHomeSection::setExpanded(bool expanded)
{
    knvt::Defaults &defaults = knvt::Defaults::standard();
    QList<int> numbers = expandedHomeSectionNumbers();
    numbers.removeAll(m_type);
    if (expanded)
        numbers << m_type;
    std::sort(numbers.begin(), numbers.end());
    QVariantList stored;
    for (int number : numbers)
        stored << number;
    defaults.setValue(expandedKey(), stored);
    defaults.synchronize();
    m_expanded = expanded;
}
