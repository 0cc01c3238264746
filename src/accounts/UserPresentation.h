#pragma once

#include <QImage>
#include <QString>

class KNVTAvatarView;
class KNVTCDUser;

// How every list and pane of the account windows shows a person.
namespace knvt {

// The user's avatar thumbnail; a null image when the avatar has none (or there is no user).
QImage avatarThumbnailOfUser(const KNVTCDUser *user);
// The thumbnail when there is one, else the user's initials; nothing for no user.
void showAvatarOfUser(KNVTAvatarView *view, const KNVTCDUser *user);
// The name a row shows for the user: the full name, or the user name when the full name is empty.
QString shownNameOfUser(const KNVTCDUser *user);

} // namespace knvt
