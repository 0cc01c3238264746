#include "accounts/UserPresentation.h"

#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDUser.h"

#include "uikit/KNVTAvatarView.h"

namespace knvt {

QImage avatarThumbnailOfUser(const KNVTCDUser *user)
{
    const KNVTCDAvatar *avatar = user ? user->avatar() : nullptr;
    if (!avatar)
        return QImage();
    return avatar->thumbnailImage();
}

void showAvatarOfUser(KNVTAvatarView *view, const KNVTCDUser *user)
{
    const QImage thumbnail = avatarThumbnailOfUser(user);
    if (!thumbnail.isNull())
        view->setImage(thumbnail);
    else
        view->setText(user ? user->avatarInitials() : QString());
}

QString shownNameOfUser(const KNVTCDUser *user)
{
    if (!user)
        return QString();
    return user->fullName().isEmpty() ? user->username() : user->fullName();
}

} // namespace knvt
