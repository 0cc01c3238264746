#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"
#include "app/Logging.h"

#include "hotkeys/KNVTKeyboardShortcutManager.h"
#include "hotkeys/WindowActivation.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void KNVTTasksAppDelegate::openAboveAnyModalWindow(QWidget *window)
{
    // A window-modal sheet blocks only its own window, which a new task's is not.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::any_of(windows.cbegin(), windows.cend(), [window](const QWidget *shown) {
            return shown != window && shown->isVisible() && shown->windowModality() == Qt::ApplicationModal;
        }))
        window->setWindowModality(Qt::ApplicationModal);
}

void KNVTTasksAppDelegate::setUpQuickEntryHotKey()
{
    // Obtaining the manager restores and registers the stored combination; the application keeps no reference.
    KNVTKeyboardShortcutManager &manager = KNVTKeyboardShortcutManager::sharedManager();
    manager.setQuickEntryHost(this);
    KNVTMainMenuSource::setShared(this);
}

void KNVTTasksAppDelegate::tearDownQuickEntryHotKey()
{
    if (!m_setUp)
        return;
    KNVTKeyboardShortcutManager &manager = KNVTKeyboardShortcutManager::sharedManager();
    if (manager.quickEntryHost() == this)
        manager.setQuickEntryHost(nullptr);
    if (KNVTMainMenuSource::shared() == this)
        KNVTMainMenuSource::setShared(nullptr);
}

namespace {

// Where the user is looking when the hot key is pressed: across the middle of the screen under the pointer, in its
// upper third, as a quick entry is met elsewhere; never in a corner. A window of an earlier press still open there
// moves the new one down and to the right of it, as windows cascade, so that each shows it is there.
void placeQuickEntryWindow(QWidget *window, const std::vector<std::unique_ptr<knvt::TaskNewWindow>> &open)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    const QRect available = screen->availableGeometry();
    const QSize size = window->frameGeometry().size().boundedTo(available.size());
    QPoint place(available.x() + (available.width() - size.width()) / 2,
                 available.y() + (available.height() - size.height()) / 3);
    constexpr int kCascade = 24;
    const auto taken = [&open, window](const QPoint &point) {
        return std::any_of(open.cbegin(), open.cend(), [&point, window](const auto &other) {
            const QWidget *shown = other ? other->window() : nullptr;
            return shown && shown != window && shown->isVisible() && shown->pos() == point;
        });
    };
    while (taken(place) && place.y() + kCascade + size.height() <= available.bottom() + 1
           && place.x() + kCascade + size.width() <= available.right() + 1)
        place += QPoint(kCascade, kCascade);
    window->move(place);
}

} // namespace

void KNVTTasksAppDelegate::openQuickEntryWindow(quint32 userTime, const QString &activationToken)
{
    knvt::NewTaskValues values;
    values.status = 2;
    values.priority = 0;
    std::unique_ptr<knvt::TaskNewWindow> controller = knvt::WindowFactory::shared().taskNewWindowController(values);
    if (!controller) {
        qCWarning(lcApp) << "KNVTTasksAppDelegate:openQuickEntryWindow no new-task window";
        return;
    }
    QWidget *window = controller->window();
    // A small window of its own kind that floats over every program, as a quick note does.
    window->setWindowFlags(window->windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
    // The window system hands the keyboard back to a modal window that blocks quick entry: the title typed after the
    // key would land in its fields, a password field among them.
    openAboveAnyModalWindow(window);
    placeQuickEntryWindow(window, m_taskNewWindowControllers);
    // The user's hot key opens it.
    qCInfo(lcApp) << "KNVTTasksAppDelegate:openQuickEntryWindow at the key's time" << userTime;
    controller->showWindow(knvt::Opener::User);
    knvt::bringWindowForward(window, userTime, activationToken);
    if (knvt::TaskNewForm *form = controller->form()) {
        if (QLineEdit *title = form->titleTextField())
            title->setFocus(Qt::OtherFocusReason);
    }
    takeOwnershipOfTaskNewWindowController(std::move(controller));
}

QMenuBar *KNVTTasksAppDelegate::mainMenuBar() const
{
    KNVTMainWindowController *main = mainWindowController();
    return main != nullptr ? main->menuBar() : nullptr;
}
