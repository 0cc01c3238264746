#pragma once

#include "model/TitleKeysUnderWay.h"

#include <QCollator>

#include <unordered_map>
#include <vector>

class KNVTCDTaskStoreObject;

namespace knvt {

// The title order of the model's comparators: localized and case-insensitive. A collator comparison of two titles
// costs far more than a comparison of their sort keys, and sorting n objects compares each title about log2(n) times.
// While a TitleSortKeys lives, every title comparison of the model's comparators compares keys, each made once per
// object on its first comparison; a list opens one around each rebuild, so a rebuild makes each key once.
// Main thread only; the innermost one serves. Keys are kept by object, so an object's title must not change while one
// lives: keep it to the span of a rebuild.
class TitleSortKeys
{
public:
    TitleSortKeys();
    ~TitleSortKeys();
    TitleSortKeys(const TitleSortKeys &) = delete;
    TitleSortKeys &operator=(const TitleSortKeys &) = delete;

    // Below zero when a's title sorts before b's, zero when they sort together, above zero otherwise.
    static int compare(const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b);
    // The key a title sorts by in that order, for lists that keep their own keys.
    static QCollatorSortKey sortKey(const QString &title);
    // The keys of many titles, in their order: a knvt::TitleKeysUnderWay given them all at once, so that a group of
    // many thousand titles is shared with the threads of the application's pool. The call returns when every key is
    // made. The titles are read by the caller, on its thread.
    static TitleKeysUnderWay::Keys sortKeys(std::vector<QString> titles);

private:
    static QString titleOf(const KNVTCDTaskStoreObject *object);
    const QCollatorSortKey &keyFor(const KNVTCDTaskStoreObject *object);

    std::unordered_map<const KNVTCDTaskStoreObject *, QCollatorSortKey> m_keys;
    TitleSortKeys *m_outer;
};

} // namespace knvt
