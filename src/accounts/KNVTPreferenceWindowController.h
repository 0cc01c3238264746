#pragma once

#include "accounts/KNVTAccountAuthenticationWindowControllerDelegate.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <vector>

class KNVTAccountAuthenticationWindowController;
class KNVTPreferenceViewController;
class KNVTTaskStore;
class QAction;
class QActionGroup;
class QPropertyAnimation;
class QToolBar;

// The preferences: a toolbar of three panes, General, Account and Viewing, one shown at a time; a pane the user left
// keeps what was typed in it, which closing the window asks about as about the pane shown. The window resizes
// around the pane it shows, keeping its top-left corner, and takes the pane's title. The Account pane follows the
// account: sign-in while none is configured, the signed-in account while the service accepts its password, and an
// offer to type the password again while it does not; it is swapped whenever the sync settings change. The window
// grows when a pane's message needs more lines than it has room for, and stays whole on its screen. It first opens
// centred on the main window, its title bar on the screen, and Escape and Close (Ctrl+W) close it; New Task and Quit
// (Ctrl+N, Ctrl+Q) work here as in every window, carried out by the application (knvt::ApplicationCommands).
class KNVTPreferenceWindowController : public QMainWindow, public KNVTAccountAuthenticationWindowControllerDelegate
{
    Q_OBJECT

public:
    // Makes the General pane; the application's holds the quick-entry shortcut and the badge choice.
    using GeneralPaneFactory = std::function<KNVTPreferenceViewController *()>;

    // `store`: nullptr means the shared store. Without a factory the General pane is empty.
    explicit KNVTPreferenceWindowController(GeneralPaneFactory generalPaneFactory = {}, KNVTTaskStore *store = nullptr,
                                            QWidget *parent = nullptr);
    ~KNVTPreferenceWindowController() override;

    KNVTTaskStore &taskStore() const;

    // Exactly three: General, Account, Viewing.
    const std::vector<KNVTPreferenceViewController *> &viewControllers() const { return m_viewControllers; }
    KNVTPreferenceViewController *currentViewController() const { return m_currentViewController; }
    QToolBar *toolbar() const { return m_toolbar; }
    QAction *generalToolbarItem() const { return m_generalToolbarItem; }
    QAction *accountToolbarItem() const { return m_accountToolbarItem; }
    QAction *viewingToolbarItem() const { return m_viewingToolbarItem; }
    // The re-authentication sheet while it is open.
    KNVTAccountAuthenticationWindowController *accountAuthenticationWindowController() const;

    void displayViewControllerAtIndex(int index);
    void displayViewController(KNVTPreferenceViewController *controller);
    // Puts the Account pane the account's state asks for into its slot, and shows it when Account is selected.
    void updateAccountViewController();
    void presentAccountAuthenticationSheet();

    void accountAuthenticationWindowControllerDidAuthenticate(
        KNVTAccountAuthenticationWindowController *controller) override;
    void accountAuthenticationWindowControllerDidCancel(KNVTAccountAuthenticationWindowController *controller) override;

public slots:
    void showGeneralView();
    void showAccountView();
    void showViewingView();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Grows the window when the shown pane needs more room than it has (a long message appeared in it), and keeps
    // the window on its screen.
    void fitToShownPane();

    enum class AccountPane { SignIn, Unauthenticated, Configured };
    AccountPane wantedAccountPane() const;
    KNVTPreferenceViewController *makeAccountPane(AccountPane pane);
    static AccountPane accountPaneOf(const KNVTPreferenceViewController *controller);
    void adopt(KNVTPreferenceViewController *controller);

    KNVTTaskStore *m_store;
    std::vector<KNVTPreferenceViewController *> m_viewControllers;
    KNVTPreferenceViewController *m_currentViewController = nullptr;
    QWidget *m_container = nullptr;
    QToolBar *m_toolbar = nullptr;
    QActionGroup *m_toolbarItems = nullptr;
    QAction *m_generalToolbarItem = nullptr;
    QAction *m_accountToolbarItem = nullptr;
    QAction *m_viewingToolbarItem = nullptr;
    QPointer<KNVTAccountAuthenticationWindowController> m_accountAuthenticationWindowController;
    QPointer<QPropertyAnimation> m_animation;
    bool m_placed = false;
};
