#include "model/KNVTRecurrenceEnd.h"

std::shared_ptr<KNVTRecurrenceEnd> KNVTRecurrenceEnd::recurrenceEndWithEndDate(const QDateTime &endDate)
{
    auto end = std::make_shared<KNVTRecurrenceEnd>();
    end->setEndDate(endDate);
    return end;
}

std::shared_ptr<KNVTRecurrenceEnd> KNVTRecurrenceEnd::recurrenceEndWithOccurrenceCount(unsigned int occurrenceCount)
{
    auto end = std::make_shared<KNVTRecurrenceEnd>();
    end->setOccurrenceCount(occurrenceCount);
    return end;
}
