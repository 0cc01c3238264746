#include "foundation/KNVTDeque.h"

namespace knvt::detail {

QString arrayDescription(const QStringList &elementDescriptions)
{
    if (elementDescriptions.isEmpty())
        return QStringLiteral("(\n)");
    return QStringLiteral("(\n    ") + elementDescriptions.join(QStringLiteral(",\n    ")) + QStringLiteral("\n)");
}

} // namespace knvt::detail
