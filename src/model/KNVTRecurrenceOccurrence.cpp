#include "model/KNVTRecurrenceOccurrence.h"

namespace {

QString dateDescription(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("(null)");
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
}

} // namespace

QString KNVTRecurrenceOccurrence::description() const
{
    return QStringLiteral("KNVTRecurrenceOccurrence: startDate:%1 endDate:%2")
        .arg(dateDescription(m_startDate), dateDescription(m_endDate));
}
