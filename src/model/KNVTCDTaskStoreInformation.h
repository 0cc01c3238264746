#pragma once

#include "model/KNVTCDTaskStoreObject.h"

// The library's own record of whom it belongs to: the environment it was made for, the signed-in user name and the
// server identifiers of that user and the account. Never synced.
class KNVTCDTaskStoreInformation : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTaskStoreInformation)
    OSTORE_DATE(createdDate, setCreatedDate)
    OSTORE_DATE(modifiedDate, setModifiedDate)
    OSTORE_STRING(username, setUsername)
    OSTORE_INT(userNumericIdentifier, setUserNumericIdentifier)
    OSTORE_INT(accountNumericIdentifier, setAccountNumericIdentifier)
    OSTORE_INT(environmentType, setEnvironmentType)
};
