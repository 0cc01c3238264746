// knvt_day_service: the other process of the day-of-use benchmarks, so that what it holds and allocates never counts
// in the resident memory of the client measured beside it. With --library <folder> it makes the library of 100,000
// tasks the large search runs on, and ends. Otherwise it is the fake sync service. It holds the account of "ann"
// (user 42) with friends, a project she shares with two of them ("Garden"), one they share with her ("Book Club"), a
// project and an area of her own and a few dozen tasks; with --tasks N, a user's library of N tasks besides, with text
// as a user writes it (tests/support/UserText.h): a tenth in her Inbox, the rest in some sixty projects, a few of them
// shared, with comments, watchers and tags on some; with --inbox N, N tasks more in her Inbox. It prints its base URL
// on a line of its own once it answers, then reads commands from its standard input, answering each with a line once
// done, and serves until its input closes:
//
//   change <n>   another device edits a task of every list and of the Inbox, and the shared lists' notes
//   inbox <n>    another device edits every task of the Inbox
//
//   knvt_day_service [--tasks N] [--inbox N]
//   knvt_day_service --library <folder>
#include "support/FakeSyncService.h"
#include "support/SyncFixtures.h"
#include "support/TaskStoreBuilder.h"
#include "support/UserText.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTaskStoreInformation.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

using knvt::test::FakeSyncService;

struct Account
{
    // The shared lists first.
    std::vector<qint64> lists;
    // Tasks of every list and of the Inbox, which the changes of another device edit in turn.
    std::vector<std::vector<qint64>> tasks;
    std::vector<qint64> inbox;
};

QJsonObject unnumbered(const QJsonObject &wrapped)
{
    QJsonObject object = knvt::test::unwrap(wrapped);
    object.remove("id");
    return object;
}

constexpr int kSharedLists = 2;
constexpr int kUserProjects = 56;
constexpr int kUserFriends = 8;
constexpr int kUserTags = 24;

// A user's library of `tasks` tasks besides the named lists', spread as people's are: a tenth in the Inbox, the rest
// over projects of their own, one in eight of them shared with a friend; one task in five with a friend's comment,
// one in ten watched, one in six tagged.
void seedUserLibrary(FakeSyncService &service, Account &account, const std::vector<qint64> &friends, int tasks)
{
    using namespace knvt::test;
    const qint64 me = service.ownerId();
    UserText text(42);
    // Due dates from a few days ago to three months ahead: Today holds a few dozen tasks, as a user's does.
    const QDateTime dueBase = QDateTime::currentDateTimeUtc();
    const QStringList named{QStringLiteral("Garden"), QStringLiteral("Book Club"), QStringLiteral("House"),
                            QStringLiteral("Work")};
    std::vector<qint64> users = friends;
    for (int f = 0; f < kUserFriends; ++f) {
        const qint64 id = service.seed("users",
                                       user(45 + f, QStringLiteral("friend%1").arg(f),
                                            {{"first_name", text.givenName()}, {"last_name", text.familyName()}}));
        service.seed("friendships", {{"inviter_id", me}, {"invitee_id", id}, {"status", "accepted"}});
        users.push_back(id);
    }
    const size_t first = account.lists.size();
    for (int p = 0; p < kUserProjects; ++p) {
        QString title = text.projectTitle();
        while (named.contains(title))
            title = text.projectTitle();
        const qint64 list = service.seed("task_lists", unnumbered(taskList(0, title, 1, {{"creator_id", me}})));
        if (p % 8 == 0)
            service.seed("task_list_collaborators",
                         unnumbered(collaborator(0, list, users[size_t(p) % users.size()], "accepted", "editor", 1)));
        account.lists.push_back(list);
        account.tasks.emplace_back();
    }
    std::vector<qint64> tags;
    for (int t = 0; t < kUserTags; ++t)
        tags.push_back(service.seed("tags", unnumbered(tag(0, text.tagTitle(), 1))));
    for (int i = 0; i < tasks; ++i) {
        const QString title = text.taskTitle();
        const QString notes = text.taskNotes();
        const size_t list = first + size_t(i) % (account.lists.size() - first);
        const bool inbox = i % 10 == 0;
        QJsonObject fields{{"description", i % 3 ? QJsonValue::Null : QJsonValue(notes)},
                           {"priority", (i % 4) * 3},
                           {"due_at", i % 7 ? QJsonValue::Null : QJsonValue(serviceDate(dueBase.addDays(i % 90 - 3)))},
                           {"task_list_order_index", i},
                           {"assignee_id", me},
                           {"creator_id", me}};
        if (!inbox)
            fields.insert("task_list_id", account.lists[list]);
        const qint64 id = service.seed("tasks", unnumbered(task(0, title, 2, fields)));
        (inbox ? account.inbox : account.tasks[list]).push_back(id);
        if (i % 5 == 1)
            service.seed("comments", unnumbered(comment(0, id, users[size_t(i) % users.size()], text.comment(), 3)));
        if (i % 10 == 3)
            service.seed("task_watchers", unnumbered(watcher(0, id, users[size_t(i) % users.size()], 3)));
        if (i % 6 == 2)
            service.seed("tagged_items", unnumbered(taggedItem(0, tags[size_t(i) % tags.size()], id, 3)));
    }
}

Account seedAccount(FakeSyncService &service, int inboxTasks, int tasks)
{
    using namespace knvt::test;
    Account account;
    const qint64 me = service.ownerId();
    const qint64 ben = service.seed("users", user(43, QStringLiteral("ben"), {{"first_name", "Ben"}}));
    const qint64 cat = service.seed("users", user(44, QStringLiteral("cat"), {{"first_name", "Cat"}}));
    for (const qint64 friendId : {ben, cat})
        service.seed("friendships", {{"inviter_id", me}, {"invitee_id", friendId}, {"status", "accepted"}});

    const qint64 garden =
        service.seed("task_lists", unnumbered(taskList(0, QStringLiteral("Garden"), 1, {{"creator_id", me}})));
    const qint64 club =
        service.seed("task_lists", unnumbered(taskList(0, QStringLiteral("Book Club"), 1, {{"creator_id", ben}})));
    const qint64 house =
        service.seed("task_lists", unnumbered(taskList(0, QStringLiteral("House"), 1, {{"creator_id", me}})));
    const qint64 work = service.seed(
        "task_lists",
        unnumbered(taskList(0, QStringLiteral("Work"), 1, {{"creator_id", me}, {"task_list_type", "area"}})));
    for (const qint64 friendId : {ben, cat})
        service.seed("task_list_collaborators", unnumbered(collaborator(0, garden, friendId, "accepted", "editor", 1)));
    service.seed("task_list_collaborators", unnumbered(collaborator(0, club, ben, "accepted", "owner", 1)));
    service.seed("task_list_collaborators", unnumbered(collaborator(0, club, me, "accepted", "editor", 1)));
    service.seed("task_list_collaborators", unnumbered(collaborator(0, club, cat, "accepted", "editor", 1)));
    account.lists = {garden, club, house, work};

    for (const qint64 list : account.lists) {
        std::vector<qint64> steps;
        for (int i = 0; i < 12; ++i)
            steps.push_back(service.seed(
                "tasks",
                unnumbered(
                    task(0, QStringLiteral("Step %1 of the list").arg(i + 1), 2,
                         {{"task_list_id", list},
                          {"task_list_order_index", i},
                          {"assignee_id", me},
                          {"creator_id", i % 3 ? me : ben},
                          {"description", i % 3 ? QJsonValue::Null : QJsonValue(QStringLiteral("Ask first"))}}))));
        account.tasks.push_back(std::move(steps));
    }
    for (int i = 0; i < std::max(inboxTasks, 10); ++i)
        account.inbox.push_back(
            service.seed("tasks",
                         unnumbered(task(0, QStringLiteral("Loose end %1").arg(i + 1), 2,
                                         {{"task_list_order_index", i}, {"assignee_id", me}, {"creator_id", me}}))));
    if (tasks > 0)
        seedUserLibrary(service, account, {ben, cat}, tasks);
    return account;
}

// Another device edits a task of every list and of the Inbox, and the shared lists' notes: every list reads again
// whole at the next sync.
void changeElsewhere(FakeSyncService &service, const Account &account, int n)
{
    for (const std::vector<qint64> &tasks : account.tasks)
        if (!tasks.empty())
            service.update("tasks", tasks[size_t(n) % tasks.size()],
                           {{"description", QStringLiteral("Changed elsewhere, take %1").arg(n)}});
    for (size_t l = 0; l < kSharedLists; ++l)
        service.update("task_lists", account.lists[l], {{"description", QStringLiteral("Agreed on take %1").arg(n)}});
    service.update("tasks", account.inbox[size_t(n) % account.inbox.size()],
                   {{"title", QStringLiteral("Loose end, take %1").arg(n)}});
}

// The generated library the main window's benchmarks use, with text as a user writes it, as the store opens its own.
int makeLibrary(const QString &folder)
{
    ostore::Coordinator coordinator(KNVTCDModel());
    knvt::Error error;
    if (!coordinator.open(folder + QLatin1Char('/') + KNVTTaskStore::kStoreFileName, nullptr, &error)) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(folder), qPrintable(error.description()));
        return 2;
    }
    ostore::Context context(&coordinator);
    auto *information = context.insert<KNVTCDTaskStoreInformation>();
    information->setEnvironmentType(KNVTTaskStore::environmentType());
    knvt::test::TaskStoreBuilder make(&context);
    make.generateLibrary({.tasks = 100000, .text = knvt::test::LibraryText::UserWritten});
    if (!context.save(&error)) {
        std::fprintf(stderr, "cannot save %s: %s\n", qPrintable(folder), qPrintable(error.description()));
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--library")); at > 0 && at + 1 < arguments.size())
        return makeLibrary(arguments.at(at + 1));
    const auto number = [&arguments](const QString &option) {
        const qsizetype at = arguments.indexOf(option);
        return at > 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : 0;
    };

    FakeSyncService service;
    service.enableState();
    // Signing in downloads the owner's picture; there is none.
    service.on("GET", "/users/42/avatar/medium.png").reply(404);
    const Account account = seedAccount(service, number(QStringLiteral("--inbox")), number(QStringLiteral("--tasks")));
    std::printf("%s\n", qPrintable(service.baseURL()));
    std::fflush(stdout);

    std::string line;
    while (std::getline(std::cin, line)) {
        const QStringList words = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int n = words.size() > 1 ? words.at(1).toInt() : 0;
        if (words.value(0) == QStringLiteral("change")) {
            changeElsewhere(service, account, n);
        } else if (words.value(0) == QStringLiteral("inbox")) {
            for (const qint64 id : account.inbox)
                service.update("tasks", id, {{"description", QStringLiteral("Changed elsewhere, take %1").arg(n)}});
        }
        // What the client asked is not kept: the service serves for as long as the client runs.
        service.clearRequests();
        std::printf("done\n");
        std::fflush(stdout);
    }
    service.stop();
    return 0;
}
