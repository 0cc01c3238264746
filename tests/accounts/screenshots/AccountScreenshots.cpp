// Every account, people and preference window, filled with a small made-up account, for review.
#include "Screenshots.h"

#include "accounts/ApplicationBadgeValuePopUp.h"
#include "accounts/CountryList.h"
#include "accounts/KNVTAccountAuthenticationWindowController.h"
#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/KNVTAuthenticationFailureWindowController.h"
#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTSignInAndSignUpWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTSignUpViewController.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"
#include "accounts/KNVTUserSelectionViewController.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"

#include "store/KNVTTaskStore.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"

#include "foundation/KNVTKeychainItem.h"
#include "foundation/NotificationCenter.h"

#include "uikit/KNVTImageView.h"
#include "uikit/KNVTSwitch.h"
#include "uikit/Popover.h"

#include "support/AccessibleTreeAudit.h"
#include "support/FakeSyncService.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/SyncFixtures.h"
#include "support/TaskStoreBuilder.h"
#include "support/TaskStoreSandbox.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

QImage portrait(QColor from, QColor to)
{
    QImage image(QSize(256, 256), QImage::Format_ARGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 256, 256);
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(88, 48, 80, 80));
    painter.drawEllipse(QRectF(48, 140, 160, 160));
    return image;
}

// A signed-in account with friends, collaborators and invitations, on a scratch library and the fake service.
struct Scene
{
    knvt::test::ScopedInMemoryKeychain keychain;
    knvt::test::FakeSyncService fake;
    std::unique_ptr<knvt::test::TaskStoreSandbox> sandbox;
    KNVTTaskStore *store = nullptr;
    KNVTCDUser *ann = nullptr;
    KNVTCDUser *bob = nullptr;
    KNVTCDUser *carl = nullptr;
    KNVTCDUser *dora = nullptr;
    KNVTCDUser *erik = nullptr;
    KNVTCDTaskList *garden = nullptr;

    void registerDataTexts() const;

    Scene()
    {
        knvt::Popover::animationsEnabled = false;
        KNVTSwitch::setAnimationsEnabled(false);
        KNVTSetSyncServiceAPIURLString(fake.baseURL());
        fake.on("GET", "/users/42/avatar/medium.png").reply(404);
        sandbox = std::make_unique<knvt::test::TaskStoreSandbox>();
        store = &sandbox->store();
        store->configureWithAccountAttributes(knvt::test::wire(knvt::test::unwrap(knvt::test::account(
            7, knvt::test::user(42, "annlind", {{"first_name", "Ann"}, {"last_name", "Lindqvist"}}), 1))));
        knvt::test::TaskStoreBuilder make(store->managedObjectContext());
        ann = store->me();
        ann->avatar()->setImage(portrait(QColor(240, 170, 60), QColor(180, 60, 120)));
        const auto user = [&make](const char *first, const char *last, const char *username, qint64 status) {
            return make.user({.username = QString::fromUtf8(username),
                              .firstName = QString::fromUtf8(first),
                              .lastName = QString::fromUtf8(last),
                              .friendshipStatus = status});
        };
        bob = user("Bob", "Brennan", "bobb", 3);
        bob->avatar()->setImage(portrait(QColor(60, 160, 220), QColor(30, 60, 140)));
        carl = user("Carl", "Ekström", "carle", 0);
        dora = user("Dora", "Diaz", "dorad", 2);
        erik = user("Erik", "Østergaard", "eriko", 1);
        const auto list = [&make](const char *title, qint64 type, KNVTCDUser *owner,
                                  std::vector<knvt::test::MemberSpec> members) {
            members.insert(members.begin(), {owner, KNVTTaskListCollaboratorRoleOwner});
            return make.taskList({.title = QString::fromUtf8(title), .type = type, .status = 2, .members = members});
        };
        garden = list("Garden Makeover", 1, ann, {{bob}, {carl}});
        list("Kitchen", 1, ann, {{carl, KNVTTaskListCollaboratorRoleEditor, KNVTTaskListCollaboratorStatusPending}});
        list("Household", 2, ann, {{carl}});
        list("Book Club", 1, bob, {{ann, KNVTTaskListCollaboratorRoleEditor, KNVTTaskListCollaboratorStatusPending}});
        list("Choir", 2, dora, {{ann, KNVTTaskListCollaboratorRoleEditor, KNVTTaskListCollaboratorStatusPending}});
        store->save();
        registerDataTexts();
    }
    ~Scene()
    {
        sandbox.reset();
        KNVTSetSyncServiceAPIURLString(QString());
    }
};

// What the windows show of the made-up account and of the platform's data (the country names come from ICU, not
// from the translations): not texts the audit expects translated.
void Scene::registerDataTexts() const
{
    QSet<QString> &texts = knvt::test::VisibleTextAudit::dataTexts();
    for (const KNVTCDUser *user : store->sortedUsers()) {
        texts << user->fullName() << user->username() << user->extendedDisplayName();
    }
    for (const char *title : {"Garden Makeover", "Kitchen", "Household", "Book Club", "Choir"})
        texts << QString::fromUtf8(title);
    for (const knvt::Country &country : knvt::countries())
        texts << country.name;
}

template <class T = QWidget>
T *child(QObject *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

// Runs the event loop until `controller` reports no request running.
template <class Controller>
void waitForEnd(Controller &controller)
{
    knvt::test::waitUntil([&controller] { return !controller.isRunning(); });
}

} // namespace

KNVT_SCREENSHOTS(SignIn)
{
    Scene scene;
    // The refusal waits until the check is pictured: the saving runs the event loop, where an answer on time would
    // replace it.
    scene.fake.on("GET", "/account.json").json(401, "{}").hold();
    KNVTSignInViewController form(KNVTSignInViewController::Style::Window, scene.store);
    writer.save(QStringLiteral("empty"), form.view());
    form.usernameTextField()->setText(QStringLiteral("annlind"));
    form.passwordSecureTextField()->setText(QStringLiteral("wrong"));
    form.signIn();
    writer.save(QStringLiteral("verifying"), form.view());
    knvt::test::waitUntil([&scene] { return scene.fake.hasRequest("GET", "/account.json"); });
    scene.fake.release("GET", "/account.json");
    waitForEnd(form);
    writer.save(QStringLiteral("refused"), form.view());
}

KNVT_SCREENSHOTS(SignUp)
{
    Scene scene;
    scene.fake.on("POST", "/accounts.json").json(422, R"({"username":["has already been taken"]})");
    KNVTSignUpViewController form(scene.store);
    writer.save(QStringLiteral("empty"), form.view());
    child<QLineEdit>(form.view(), "firstNameTextField")->setText(QStringLiteral("Mika"));
    child<QLineEdit>(form.view(), "lastNameTextField")->setText(QStringLiteral("Rautio"));
    child<QLineEdit>(form.view(), "usernameTextField")->setText(QStringLiteral("mikarautio"));
    child<QLineEdit>(form.view(), "emailAddressTextField")->setText(QStringLiteral("mika@example.com"));
    child<QLineEdit>(form.view(), "passwordSecureTextField")->setText(QStringLiteral("secret12"));
    child<QLineEdit>(form.view(), "passwordConfirmationSecureTextField")->setText(QStringLiteral("secret12"));
    child<QCheckBox>(form.view(), "termsAndConditionsCheckBoxButton")->setChecked(true);
    child<KNVTImageView>(form.view(), "avatarImageView")->setImage(portrait(QColor(90, 200, 120), QColor(20, 90, 60)));
    form.update();
    writer.save(QStringLiteral("filled"), form.view());
    form.signUp();
    waitForEnd(form);
    writer.save(QStringLiteral("refused"), form.view());
}

KNVT_SCREENSHOTS(SignInAndSignUpWindow)
{
    Scene scene;
    KNVTSignInAndSignUpWindowController window(scene.store);
    writer.save(QStringLiteral("sign-in-page"), window.window(), true);
    window.signInViewControllerDidSelectCreateAccount(window.signInViewController());
    writer.save(QStringLiteral("sign-up-page"), window.window(), true);
}

KNVT_SCREENSHOTS(Reauthentication)
{
    Scene scene;
    scene.fake.on("GET", "/account.json").json(401, "{}");
    KNVTAccountAuthenticationWindowController sheet(scene.store);
    writer.save(QStringLiteral("sheet"), &sheet);
    child<QLineEdit>(&sheet, "passwordSecureTextField")->setText(QStringLiteral("wrong"));
    sheet.authenticate();
    waitForEnd(sheet);
    writer.save(QStringLiteral("sheet-refused"), &sheet);
    KNVTAuthenticationFailureWindowController failure(scene.store);
    failure.setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("failure-window"), &failure);
    // Saved while the keyring refuses: the window says the password is kept for this run only.
    KNVTKeychainItem::lockKeychain();
    child<QLineEdit>(&failure, "passwordSecureTextField")->setText(QStringLiteral("newpass2"));
    child<QPushButton>(&failure, "saveButton")->click();
    writer.save(QStringLiteral("failure-window-keyring-refused"), &failure);
    KNVTKeychainItem::unlockKeychain();
}

KNVT_SCREENSHOTS(AccountDetails)
{
    Scene scene;
    KNVTAccountDetailsWindowController sheet(scene.store);
    writer.save(QStringLiteral("sheet"), &sheet);
}

KNVT_SCREENSHOTS(People)
{
    Scene scene;
    KNVTUsersWindowController window(scene.store);
    window.resize(960, 520);
    writer.save(QStringLiteral("all"), &window, true);
    const std::pair<const char *, KNVTCDUser *> people[] = {{"collaborator-to-invite", scene.carl},
                                                            {"invitation", scene.dora},
                                                            {"invited", scene.erik},
                                                            {"friend", scene.bob},
                                                            {"me", scene.ann}};
    for (const auto &[state, user] : people) {
        window.usersViewController()->tableView()->clearSelection();
        window.usersViewController()->setSelectedUser(user);
        writer.save(QString::fromLatin1(state), &window, true);
    }
    window.findChild<QLineEdit *>(QStringLiteral("searchField"))->setText(QStringLiteral("ost"));
    writer.save(QStringLiteral("search"), &window, true);

    KNVTFriendshipNewWindowController sheet(scene.store);
    sheet.setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("new-friendship"), &sheet);
    scene.fake.on("POST", "/friendships.json").json(422, "{}");
    child<QLineEdit>(&sheet, "usernameTextField")->setText(QStringLiteral("nobody"));
    sheet.add();
    waitForEnd(sheet);
    writer.save(QStringLiteral("new-friendship-refused"), &sheet);
}

KNVT_SCREENSHOTS(UserSelection)
{
    Scene scene;
    KNVTUserSelectionViewController list(scene.store);
    list.setUsers(scene.store->sortedUsers());
    list.setSelectedUsers({scene.ann, scene.bob});
    list.setUnselectableUsers({scene.ann});
    list.view()->resize(300, 340);
    writer.save(QStringLiteral("list"), list.view(), true);
}

KNVT_SCREENSHOTS(SharingSettings)
{
    Scene scene;
    KNVTTaskListSharingSettingsWindowController sheet(scene.garden, scene.store);
    sheet.setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("sheet"), &sheet, true);
    sheet.userSelectionViewControllerDidSelectUser(nullptr, scene.dora);
    writer.save(QStringLiteral("sheet-edited"), &sheet, true);
    child<QPushButton>(&sheet, "collaboratingUsersButton")->click();
    if (knvt::Popover *popover = sheet.userSelectionPopover())
        writer.save(QStringLiteral("choose-people"), popover, true);
}

KNVT_SCREENSHOTS(Notifications)
{
    Scene scene;
    KNVTNotificationsViewController filled(scene.store);
    writer.save(QStringLiteral("filled"), filled.view(), true);

    Scene empty;
    for (KNVTCDUser *user : {empty.dora})
        user->setFriendshipStatus(0);
    for (KNVTCDTaskList *list : empty.store->pendingProjects())
        list->setTaskListCollaboratorStatus(2);
    for (KNVTCDTaskList *list : empty.store->pendingAreas())
        list->setTaskListCollaboratorStatus(2);
    KNVTNotificationsViewController none(empty.store);
    none.view();
    empty.store->save();
    writer.save(QStringLiteral("empty"), none.view(), true);
}

KNVT_SCREENSHOTS(Preferences)
{
    Scene scene;
    const auto general = [] {
        // The application's pane is rendered with the application's windows; this one stands in for its size.
        auto *pane = new KNVTPreferenceViewController;
        pane->setTitle(QCoreApplication::translate("KNVTPreferenceGeneralViewController", "General"));
        auto *view = new QWidget;
        auto *layout = new QVBoxLayout(view);
        layout->setContentsMargins(20, 20, 20, 20);
        auto *row = new QHBoxLayout;
        auto *label = new QLabel(QCoreApplication::translate("KNVTPreferenceGeneralViewController", "Badge counts:"));
        auto *popUp = new knvt::ApplicationBadgeValuePopUp;
        label->setBuddy(popUp);
        row->addWidget(label);
        row->addWidget(popUp, 1);
        layout->addLayout(row);
        layout->addStretch(1);
        view->setMinimumWidth(480);
        pane->setView(view);
        return pane;
    };
    KNVTPreferenceWindowController window(general, scene.store);
    writer.save(QStringLiteral("general"), &window, true);
    window.viewingToolbarItem()->trigger();
    writer.save(QStringLiteral("viewing"), &window, true);
    window.accountToolbarItem()->trigger();
    scene.store->setLastSuccessfullSyncDate(QDateTime(QDate(2015, 3, 4), QTime(9, 5)));
    scene.store->setAutoSyncEnabled(true);
    writer.save(QStringLiteral("account-signed-in"), &window, true);
    KNVTKeychainItem::lockKeychain();
    scene.store->setAccountPassword(QStringLiteral("annlind"), QStringLiteral("secret1"));
    KNVTKeychainItem::unlockKeychain();
    KNVTSetSyncServiceAPIURLString(QStringLiteral("http://sync.example.org/api/v1"));
    knvt::NotificationCenter::defaultCenter().post(QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification),
                                                   scene.store);
    writer.save(QStringLiteral("account-signed-in-with-problems"), &window, true);
    KNVTSetSyncServiceAPIURLString(scene.fake.baseURL());
    scene.store->setAccountPassword(QStringLiteral("annlind"), QStringLiteral("secret1"));
    scene.store->setAuthenticationFailureDate(QDateTime::currentDateTime());
    scene.store->pauseSyncUntilSignedInAgain();
    writer.save(QStringLiteral("account-password-refused"), &window, true);
    scene.store->setAutoSyncEnabled(false);
    scene.store->unconfigureAccount();
    window.updateAccountViewController();
    writer.save(QStringLiteral("account-sign-in"), &window, true);
    // The longest message of the pane: the window grows to show all its lines.
    scene.fake.on("GET", "/account.json").json(503, "{}");
    QWidget *pane = window.currentViewController()->view();
    child<QLineEdit>(pane, "usernameTextField")->setText(QStringLiteral("annlind"));
    child<QLineEdit>(pane, "passwordSecureTextField")->setText(QStringLiteral("secret1"));
    child<QPushButton>(pane, "signInButton")->click();
    knvt::test::waitUntil([pane] {
        return child<QPushButton>(pane, "signInButton")->isEnabled() == false
            && !child<QLabel>(pane, "progressLabel")
                    ->text()
                    .startsWith(
                        QCoreApplication::translate("KNVTSignInViewController", "Verifying username and password..."));
    });
    writer.save(QStringLiteral("account-sign-in-maintenance"), &window, true);
}
