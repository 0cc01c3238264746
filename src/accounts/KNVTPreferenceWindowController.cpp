#include "accounts/KNVTPreferenceWindowController.h"

#include "accounts/KNVTAccountAuthenticationWindowController.h"
#include "accounts/KNVTAccountsShell.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceSignInViewController.h"
#include "accounts/KNVTPreferenceUnauthenticatedAccountViewController.h"
#include "accounts/KNVTPreferenceViewController.h"
#include "accounts/KNVTPreferenceViewingViewController.h"
#include "accounts/TaskStoreReference.h"
#include "accounts/WindowPlacement.h"

#include "uikit/HeldChange.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/Popover.h"
#include "uikit/WindowCommands.h"

#include "foundation/NotificationCenter.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kResizeDuration = 200;

} // namespace

KNVTPreferenceWindowController::KNVTPreferenceWindowController(GeneralPaneFactory generalPaneFactory,
                                                               KNVTTaskStore *store, QWidget *parent)
    : QMainWindow(parent), m_store(store)
{
    setObjectName(QStringLiteral("KNVTPreferenceWindowController"));
    setWindowTitle(tr("Preferences"));

    m_toolbar = new QToolBar;
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->toggleViewAction()->setEnabled(false);
    addToolBar(m_toolbar);
    m_toolbarItems = new QActionGroup(this);
    m_toolbarItems->setExclusive(true);
    const auto addItem = [this](const QString &title, QStyle::StandardPixmap icon, const char *name,
                                void (KNVTPreferenceWindowController::*action)()) {
        QAction *item = m_toolbar->addAction(style()->standardIcon(icon), title);
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        m_toolbarItems->addAction(item);
        connect(item, &QAction::triggered, this, action);
        // A toolbar's buttons take no focus of their own; these are the only way to the other panes, so Tab
        // reaches them and Space chooses one.
        if (QWidget *button = m_toolbar->widgetForAction(item)) {
            button->setFocusPolicy(Qt::StrongFocus);
            button->setObjectName(QString::fromLatin1(name));
        }
        return item;
    };
    m_generalToolbarItem = addItem(tr("General"), QStyle::SP_ComputerIcon, "generalToolbarItem",
                                   &KNVTPreferenceWindowController::showGeneralView);
    m_accountToolbarItem = addItem(tr("Account"), QStyle::SP_DirHomeIcon, "accountToolbarItem",
                                   &KNVTPreferenceWindowController::showAccountView);
    m_viewingToolbarItem = addItem(tr("Viewing"), QStyle::SP_FileDialogContentsView, "viewingToolbarItem",
                                   &KNVTPreferenceWindowController::showViewingView);

    m_container = new QWidget;
    m_container->setObjectName(QStringLiteral("contentView"));
    auto *layout = new QVBoxLayout(m_container);
    layout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(m_container);

    KNVTPreferenceViewController *general = generalPaneFactory ? generalPaneFactory() : nullptr;
    if (!general) {
        general = new KNVTPreferenceViewController;
        general->setTitle(tr("General"));
    }
    adopt(general);
    adopt(makeAccountPane(wantedAccountPane()));
    adopt(new KNVTPreferenceViewingViewController);

    displayViewControllerAtIndex(0);
    m_generalToolbarItem->setChecked(true);
    new knvt::WindowCommands(this, {knvt::Command::NewTask, knvt::Command::Close, knvt::Command::Quit});
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification), nullptr, this,
        [this](const knvt::Notification &) { updateAccountViewController(); });
}

KNVTPreferenceWindowController::~KNVTPreferenceWindowController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

KNVTTaskStore &KNVTPreferenceWindowController::taskStore() const
{
    return knvt::taskStore(m_store);
}

KNVTAccountAuthenticationWindowController *KNVTPreferenceWindowController::accountAuthenticationWindowController() const
{
    return m_accountAuthenticationWindowController;
}

void KNVTPreferenceWindowController::adopt(KNVTPreferenceViewController *controller)
{
    controller->setParent(this);
    controller->setPreferenceWindowController(this);
    m_viewControllers.push_back(controller);
}

KNVTPreferenceWindowController::AccountPane KNVTPreferenceWindowController::wantedAccountPane() const
{
    KNVTTaskStore &store = taskStore();
    if (!store.isConfigured())
        return AccountPane::SignIn;
    return store.isAuthenticated() ? AccountPane::Configured : AccountPane::Unauthenticated;
}

KNVTPreferenceViewController *KNVTPreferenceWindowController::makeAccountPane(AccountPane pane)
{
    switch (pane) {
    case AccountPane::Configured: return new KNVTPreferenceConfiguredAccountViewController(m_store);
    case AccountPane::Unauthenticated: return new KNVTPreferenceUnauthenticatedAccountViewController(m_store);
    case AccountPane::SignIn: break;
    }
    return new KNVTPreferenceSignInViewController(m_store);
}

KNVTPreferenceWindowController::AccountPane
KNVTPreferenceWindowController::accountPaneOf(const KNVTPreferenceViewController *controller)
{
    if (qobject_cast<const KNVTPreferenceConfiguredAccountViewController *>(controller))
        return AccountPane::Configured;
    if (qobject_cast<const KNVTPreferenceUnauthenticatedAccountViewController *>(controller))
        return AccountPane::Unauthenticated;
    return AccountPane::SignIn;
}

void KNVTPreferenceWindowController::showGeneralView()
{
    displayViewControllerAtIndex(0);
}

void KNVTPreferenceWindowController::showAccountView()
{
    displayViewControllerAtIndex(1);
}

void KNVTPreferenceWindowController::showViewingView()
{
    displayViewControllerAtIndex(2);
}

void KNVTPreferenceWindowController::displayViewControllerAtIndex(int index)
{
    if (index >= 0 && size_t(index) < m_viewControllers.size())
        displayViewController(m_viewControllers[size_t(index)]);
}

void KNVTPreferenceWindowController::displayViewController(KNVTPreferenceViewController *controller)
{
    if (controller == m_currentViewController)
        return;
    QWidget *old =
        m_currentViewController && m_currentViewController->isViewLoaded() ? m_currentViewController->view() : nullptr;
    if (old)
        m_container->layout()->removeWidget(old);
    m_currentViewController = controller;
    QWidget *pane = controller->view();
    knvt::HeldChange::markPane(pane);
    m_container->layout()->addWidget(pane);
    pane->show();
    if (old) {
        // The keyboard in the pane that goes (a sign-in that succeeded) moves straight into the new one: hidden
        // first, the old pane would hand it to the toolbar's General on the way, and a screen reader would say so.
        // The window's own focus counts, for a pane that changes under a sheet.
        if (old->isAncestorOf(focusWidget()))
            if (QWidget *first = controller->firstFocus())
                first->setFocus(Qt::OtherFocusReason);
        // The pane left stays in the window, hidden: what the user typed there is still the window's to ask about.
        old->hide();
    }
    setWindowTitle(controller->title().isEmpty() ? tr("Preferences") : controller->title());

    // The window grows or shrinks around the pane; its top-left corner stays where the user left it.
    if (m_animation)
        m_animation->stop();
    layout()->activate();
    const QRect target =
        knvt::onScreen(this, QRect(geometry().topLeft(), sizeHint().expandedTo(minimumSizeHint())), screen());
    if (knvt::Popover::animationsEnabled && isVisible()) {
        m_animation = new QPropertyAnimation(this, "geometry", this);
        m_animation->setDuration(kResizeDuration);
        m_animation->setStartValue(geometry());
        m_animation->setEndValue(target);
        m_animation->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        setGeometry(target);
    }
}

bool KNVTPreferenceWindowController::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::LayoutRequest)
        fitToShownPane();
    return handled;
}

void KNVTPreferenceWindowController::showEvent(QShowEvent *event)
{
    // Placed once, before the window first reaches the screen; later openings find it where the user left it.
    if (!m_placed) {
        m_placed = true;
        knvt::placeOverMainWindow(this);
    }
    QMainWindow::showEvent(event);
}

void KNVTPreferenceWindowController::keyPressEvent(QKeyEvent *event)
{
    // Escape reaches the window when no control of the shown pane took it: as in any preference window, it closes.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void KNVTPreferenceWindowController::fitToShownPane()
{
    if (!m_currentViewController || (m_animation && m_animation->state() == QAbstractAnimation::Running))
        return;
    // A wrapped message line is as tall as its lines at the width it has; the window grows downwards to show them.
    const int needed = m_container->hasHeightForWidth() ? m_container->heightForWidth(m_container->width())
                                                        : m_container->minimumSizeHint().height();
    const int missing = needed - m_container->height();
    if (missing <= 0)
        return;
    setGeometry(knvt::onScreen(this, QRect(geometry().topLeft(), QSize(width(), height() + missing)), screen()));
}

void KNVTPreferenceWindowController::updateAccountViewController()
{
    const AccountPane wanted = wantedAccountPane();
    KNVTPreferenceViewController *old = m_viewControllers[1];
    if (accountPaneOf(old) == wanted)
        return;
    KNVTPreferenceViewController *pane = makeAccountPane(wanted);
    pane->setParent(this);
    pane->setPreferenceWindowController(this);
    m_viewControllers[1] = pane;
    if (m_accountToolbarItem->isChecked()) {
        displayViewControllerAtIndex(1);
    } else if (m_currentViewController == old) {
        m_currentViewController = nullptr;
    }
    // The old pane may be the one reporting right now (a sign-in that just succeeded), so it goes later.
    if (old->isViewLoaded())
        old->view()->hide();
    old->deleteLater();
}

void KNVTPreferenceWindowController::presentAccountAuthenticationSheet()
{
    if (m_accountAuthenticationWindowController)
        return;
    auto *sheet = new KNVTAccountAuthenticationWindowController(m_store, this);
    sheet->setAccountAuthenticationWindowControllerDelegate(this);
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    m_accountAuthenticationWindowController = sheet;
    sheet->setWindowModality(Qt::WindowModal);
    knvt::KeyboardOwner::open(sheet, knvt::Opener::User);
}

void KNVTPreferenceWindowController::accountAuthenticationWindowControllerDidAuthenticate(
    KNVTAccountAuthenticationWindowController *controller)
{
    controller->dismiss();
}

void KNVTPreferenceWindowController::accountAuthenticationWindowControllerDidCancel(
    KNVTAccountAuthenticationWindowController *controller)
{
    controller->dismiss();
}
