// knvt_fake_sync_service: the project's fake sync service in a process of its own, for timing a client's first pull
// from outside. It holds the account of "ann" (user 42) with <tasks> tasks, 60 % of them in 40 projects and the rest
// in the Inbox, each with two comments and a watcher from ten friends, and text as a user writes it (titles, a third
// with notes: tests/support/UserText.h), prints its base URL on a line of its own once
// it answers, and serves until its standard input closes.
//
//   knvt_fake_sync_service [--tasks N]
#include "support/FakeSyncService.h"
#include "support/SyncFixtures.h"
#include "support/UserText.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kLists = 40;
constexpr qint64 kFriends = 10;

// A fixture object without its identifier, which the service gives it when it is seeded.
QJsonObject unnumbered(const QJsonObject &wrapped)
{
    QJsonObject object = knvt::test::unwrap(wrapped);
    object.remove("id");
    return object;
}

void seedAccount(knvt::test::FakeSyncService &service, int tasks)
{
    using namespace knvt::test;
    const qint64 me = service.ownerId();
    std::vector<qint64> friends;
    for (qint64 f = 0; f < kFriends; ++f)
        friends.push_back(service.seed("users", user(1000 + f, QStringLiteral("friend%1").arg(f))));
    // Text as the user wrote it, drawn for every task whether it keeps notes or not.
    knvt::test::UserText text(42);
    std::vector<qint64> lists;
    for (int l = 0; l < kLists; ++l)
        lists.push_back(
            service.seed("task_lists", unnumbered(taskList(0, text.projectTitle(), 1, {{"creator_id", me}}))));
    for (int i = 0; i < tasks; ++i) {
        const QString title = text.taskTitle();
        const QString notes = text.taskNotes();
        QJsonObject fields{{"description", i % 3 ? QJsonValue::Null : QJsonValue(notes)},
                           {"priority", (i % 4) * 3},
                           {"due_at", i % 5 ? QJsonValue::Null : QJsonValue(fixtureDate(86400 + i))},
                           {"task_list_order_index", i},
                           {"assignee_id", me},
                           {"creator_id", me}};
        if (i % 5 < 3)
            fields.insert("task_list_id", lists[size_t(i) % lists.size()]);
        const qint64 id = service.seed("tasks", unnumbered(task(0, title, 2, fields)));
        service.seed("comments", unnumbered(comment(0, id, friends[size_t(i) % friends.size()], text.comment(), 3)));
        service.seed("comments", unnumbered(comment(0, id, me, text.comment(), 4)));
        service.seed("task_watchers", unnumbered(watcher(0, id, friends[size_t(i + 1) % friends.size()], 3)));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    int tasks = 10000;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--tasks")); at > 0 && at + 1 < arguments.size())
        tasks = arguments.at(at + 1).toInt();

    knvt::test::FakeSyncService service;
    service.enableState();
    seedAccount(service, tasks);
    std::printf("%s\n", qPrintable(service.baseURL()));
    std::fflush(stdout);
    char buffer[256];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {}
    service.stop();
    return 0;
}
