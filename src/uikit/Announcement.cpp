#include "uikit/Announcement.h"

#include "uikit/AccessibleFactory.h"

#include <QAccessibleWidget>
#include <QApplication>

namespace knvt {

namespace {

// A notification role, named by the text announced last.
class AnnouncementAccessible : public QAccessibleWidget
{
public:
    explicit AnnouncementAccessible(Announcement *announcement)
        : QAccessibleWidget(announcement, QAccessible::Notification)
    {}
};

} // namespace

Announcement::Announcement(QWidget *window) : QWidget(window)
{
    installAccessibleFactory<AnnouncementAccessible, Announcement>();
    setObjectName(QStringLiteral("announcement"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // A point in the window's corner, under whatever lies there, painting nothing.
    setGeometry(0, 0, 1, 1);
    hide();
}

Announcement *Announcement::of(QWidget *window)
{
    return window != nullptr ? window->findChild<Announcement *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void Announcement::announce(QWidget *widget, const QString &text, QObject *about)
{
    QWidget *window = widget != nullptr ? widget->window() : nullptr;
    if (window == nullptr || !window->isVisible() || text.isEmpty())
        return;
    Announcement *announcement = of(window);
    if (announcement == nullptr)
        announcement = new Announcement(window);
    // Each text shows the notification again: a reader speaks a notification when it appears.
    announcement->hide();
    announcement->setAccessibleName(text);
    announcement->m_about = about;
    announcement->m_tellsOfSomething = about != nullptr;
    announcement->lower();
    announcement->show();
}

void Announcement::withdrawStale(const std::function<bool(const QObject *)> &stands)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        Announcement *announcement = of(window);
        if (announcement == nullptr || !announcement->m_tellsOfSomething
            || (announcement->m_about != nullptr && stands(announcement->m_about)))
            continue;
        announcement->hide();
        announcement->setAccessibleName(QString());
        announcement->m_tellsOfSomething = false;
    }
}

} // namespace knvt
