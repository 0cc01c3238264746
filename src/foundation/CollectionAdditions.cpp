#include "foundation/CollectionAdditions.h"

namespace knvt {

QList<qsizetype> indexes(const IndexSet &indexSet)
{
    return QList<qsizetype>(indexSet.begin(), indexSet.end());
}

} // namespace knvt
