#include "model/KNVTCDAvatar.h"

#include "model/KNVTCDUser.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDAvatar, KNVTCDUser, user, setUser)

void KNVTCDAvatar::didChangeValue(std::string_view key)
{
    KNVTCDTaskStoreObject::didChangeValue(key);
    if (key != "data")
        return;
    setThumbnailData(s_thumbnailRenderer ? s_thumbnailRenderer(data()) : QByteArray());
}
