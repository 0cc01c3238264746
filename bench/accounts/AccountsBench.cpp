// The people-side windows over a large address book: 10,000 people, 300 pending invitations. Each benchmark builds
// its library once (untimed) and times what a user waits for.
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTUserSelectionViewController.h"
#include "accounts/KNVTUsersModel.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"

#include "support/TaskStoreBuilder.h"

#include "support/BudgetMain.h"
#include "support/OffscreenApplication.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <vector>

namespace {

const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

constexpr int kPeople = 10000;
constexpr int kPending = 300;

const char *const kFirstNames[] = {"Ann",  "Bob",  "Zoë", "Émile", "Carl", "Dora", "Erik", "Fay", "Gül",   "Hana",
                                   "Ivan", "Jörg", "Kim", "Lena",  "Mika", "Nils", "Olga", "Pía", "Quinn", "Rui"};
const char *const kLastNames[] = {"Lindqvist", "Brennan",    "Ångström", "Dubois", "Ekström",
                                  "Diaz",      "Østergaard", "Nakamura", "Yılmaz", "Novák",
                                  "Schäfer",   "Kowalski",   "García",   "Müller", "Rossi"};

// A library with `people` other people, every tenth a collaborator on one of 50 projects, and `pending` invitations
// split between people, projects and areas.
struct AddressBook
{
    QTemporaryDir dir;
    std::unique_ptr<knvt::Defaults> suite;
    std::unique_ptr<KNVTTaskStore> store;
    std::vector<KNVTCDUser *> people;

    AddressBook(int count, int pending)
    {
        suite = std::make_unique<knvt::Defaults>(dir.filePath(QStringLiteral("suite.json")));
        KNVTTaskStore::Environment environment;
        environment.libraryPath = dir.filePath(QStringLiteral("Library"));
        environment.containerUserDefaults = suite.get();
        store = std::make_unique<KNVTTaskStore>(std::move(environment));
        knvt::test::TaskStoreBuilder make(store->managedObjectContext());
        KNVTCDUser *me = store->me();
        const auto list = [&make](const QString &title, qint64 type, std::vector<knvt::test::MemberSpec> members) {
            return make.taskList({.title = title, .type = type, .status = 2, .members = members});
        };
        std::mt19937 random(7);
        std::vector<KNVTCDTaskList *> projects;
        for (int i = 0; i < 50; ++i)
            projects.push_back(list(QStringLiteral("Project %1").arg(i), 1, {{me, KNVTTaskListCollaboratorRoleOwner}}));
        for (int i = 0; i < count; ++i) {
            KNVTCDUser *user =
                make.user({.username = QStringLiteral("person%1").arg(i),
                           .firstName = QString::fromUtf8(kFirstNames[random() % std::size(kFirstNames)]),
                           .lastName = QString::fromUtf8(kLastNames[random() % std::size(kLastNames)]),
                           .friendshipStatus = i < pending / 3 ? 2 : 3});
            if (i % 10 == 0)
                make.collaborator(projects[size_t(i / 10) % projects.size()], user);
            people.push_back(user);
        }
        for (int i = 0; i < pending - pending / 3; ++i) {
            list(QStringLiteral("Shared %1").arg(i), i % 2 ? 2 : 1,
                 {{people[size_t(i)], KNVTTaskListCollaboratorRoleOwner},
                  {me, KNVTTaskListCollaboratorRoleEditor, KNVTTaskListCollaboratorStatusPending}});
        }
        store->save();
    }
};

AddressBook &addressBook()
{
    static AddressBook book(kPeople, kPending);
    return book;
}

// One person renamed and saved, so that their row moves across the list: the time from the store's did-change
// notification (the disk's own time for the save is not the window's) until the window has followed it, with the
// chosen person chosen again.
void BM_PeopleWindowRebuildAfterSave(benchmark::State &state)
{
    AddressBook &book = addressBook();
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    const QString didChange = QString::fromLatin1(KNVTTaskStoreDidChangeNotification);
    // Observers hear a notification in the order they were added: this one before the window, the next after it.
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point handled;
    const knvt::NotificationCenter::Token before =
        center.addObserver(didChange, book.store.get(), nullptr,
                           [&start](const knvt::Notification &) { start = std::chrono::steady_clock::now(); });
    KNVTUsersWindowController window(book.store.get());
    const knvt::NotificationCenter::Token after =
        center.addObserver(didChange, book.store.get(), nullptr,
                           [&handled](const knvt::Notification &) { handled = std::chrono::steady_clock::now(); });
    KNVTCDUser *chosen = book.people[size_t(kPeople / 2)];
    KNVTCDUser *renamed = book.people[size_t(kPeople / 2 + 1)];
    const QString firstName = renamed->firstName();
    window.usersViewController()->setSelectedUser(chosen);
    bool second = false;
    for (auto _ : state) {
        renamed->setFirstName(second ? firstName : QStringLiteral("Aaron"));
        second = !second;
        book.store->save();
        state.SetIterationTime(std::chrono::duration<double>(handled - start).count());
        if (window.usersViewController()->selectedUser() != chosen
            || window.usersViewController()->model()->rowOfUser(renamed) < 0) {
            state.SkipWithError("the chosen person was not chosen again, or the renamed one went");
            break;
        }
    }
    center.removeObserver(before);
    center.removeObserver(after);
    renamed->setFirstName(firstName);
    book.store->save();
    state.counters["people"] = double(window.usersViewController()->model()->rowCount());
}
BENCHMARK(BM_PeopleWindowRebuildAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PeopleSearchKeystroke(benchmark::State &state)
{
    AddressBook &book = addressBook();
    KNVTUsersWindowController window(book.store.get());
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("searchField"));
    bool second = false;
    for (auto _ : state) {
        // One more letter, as a user types it: "mül" after "mü", and back.
        search->setText(second ? QStringLiteral("mül") : QStringLiteral("mü"));
        second = !second;
    }
    state.counters["found"] = double(window.usersViewController()->model()->rowCount());
}
BENCHMARK(BM_PeopleSearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_NotificationsRebuild300(benchmark::State &state)
{
    AddressBook &book = addressBook();
    KNVTNotificationsViewController notifications(book.store.get());
    notifications.view();
    for (auto _ : state)
        notifications.reloadData();
    state.counters["waiting"] = double(book.store->numberOfNotifications());
}
BENCHMARK(BM_NotificationsRebuild300)->Unit(benchmark::kMillisecond);

void BM_UserSelectionSelectedUsers1000(benchmark::State &state)
{
    AddressBook &book = addressBook();
    KNVTUserSelectionViewController list(book.store.get());
    list.setUsers(book.people);
    list.setSelectedUsers(std::vector<KNVTCDUser *>(book.people.begin(), book.people.begin() + 1000));
    list.view();
    size_t chosen = 0;
    for (auto _ : state) {
        chosen = list.selectedUsers().size();
        benchmark::DoNotOptimize(chosen);
    }
    if (chosen != 1000)
        state.SkipWithError("not every chosen person was reported");
}
BENCHMARK(BM_UserSelectionSelectedUsers1000)->Unit(benchmark::kMillisecond);

} // namespace
