#pragma once

class QUrl;

namespace knvt {

// Hands a web page or a mail address to the desktop's browser or mail program. Windows that open the service's pages
// go through the shared instance, so tests record the addresses instead of starting a browser.
class UrlOpener
{
public:
    virtual ~UrlOpener();

    // False when the desktop could not open it.
    virtual bool openUrl(const QUrl &url) = 0;

    // The opener every window uses; QDesktopServices unless a test installed another.
    static UrlOpener &shared();
    // Installs `opener` (not owned) as the shared opener; nullptr restores the desktop one.
    static void setShared(UrlOpener *opener);
};

} // namespace knvt
