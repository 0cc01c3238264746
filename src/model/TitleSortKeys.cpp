#include "model/TitleSortKeys.h"

#include "model/KNVTCDTaskStoreObject.h"
#include "model/TitleKeysUnderWay.h"

#include "foundation/StringAdditions.h"

#include <utility>

namespace knvt {

namespace {

TitleSortKeys *current = nullptr;

} // namespace

QString TitleSortKeys::titleOf(const KNVTCDTaskStoreObject *object)
{
    return object->stringForKey(QStringLiteral("title"));
}

TitleSortKeys::TitleSortKeys() : m_outer(current)
{
    current = this;
}

TitleSortKeys::~TitleSortKeys()
{
    current = m_outer;
}

const QCollatorSortKey &TitleSortKeys::keyFor(const KNVTCDTaskStoreObject *object)
{
    auto found = m_keys.find(object);
    if (found == m_keys.end())
        found = m_keys.emplace(object, titleCollator().sortKey(titleOf(object))).first;
    return found->second;
}

QCollatorSortKey TitleSortKeys::sortKey(const QString &title)
{
    return titleCollator().sortKey(title);
}

TitleKeysUnderWay::Keys TitleSortKeys::sortKeys(std::vector<QString> titles)
{
    const size_t count = titles.size();
    TitleKeysUnderWay underWay;
    for (QString &title : titles)
        underWay.add(std::move(title));
    while (!underWay.collect(count)) {}
    return underWay.takeKeys();
}

int TitleSortKeys::compare(const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b)
{
    if (current)
        return current->keyFor(a).compare(current->keyFor(b));
    return titleCollator().compare(titleOf(a), titleOf(b));
}

} // namespace knvt
