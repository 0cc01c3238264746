// The task detail of a task with 200 comments: its rows built and laid out, as when the task is selected.

#include "support/BudgetMain.h"
#include "support/OffscreenApplication.h"

#include "editors/KNVTTaskTableView.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskViewModel.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDUser.h"

#include "foundation/Defaults.h"
#include "support/TaskStoreBuilder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

// A library of its own with one task that carries notes, a collaborator and 200 comments of varied lengths.
struct CommentedTask
{
    CommentedTask()
    {
        KNVTTaskStore::Environment environment;
        environment.libraryPath = dir.filePath(QStringLiteral("Quillvane Library.quillvaneLibrary"));
        environment.containerUserDefaults = &suite;
        store = std::make_unique<KNVTTaskStore>(std::move(environment));
        KNVTTaskStore::setDefaultTaskStore(store.get());
        knvt::test::TaskStoreBuilder make(store->managedObjectContext());
        KNVTCDUser *me = store->me();
        KNVTCDUser *ann = make.user({.username = QStringLiteral("ann"),
                                     .firstName = QStringLiteral("Ann"),
                                     .lastName = QStringLiteral("Lee"),
                                     .friendshipStatus = 3});
        task = make.task({.title = QStringLiteral("Plan the trip to the coast with everyone who said they would come"),
                          .status = 2,
                          .assignee = ann,
                          .creator = me,
                          .notes = QStringLiteral("Tickets, rooms and a table for eight on the first evening.")});
        const QString words = QStringLiteral("Sounds good, I can take the early train and book the rooms tonight. ");
        for (int i = 0; i < 200; ++i)
            make.comment({.task = task,
                          .text = words.repeated(1 + i % 4) + QString::number(i),
                          .created = QDateTime::currentDateTime().addSecs(i - 400),
                          .author = i % 3 == 0 ? me : ann});
        store->save();
    }
    ~CommentedTask() { KNVTTaskStore::setDefaultTaskStore(nullptr); }

    QTemporaryDir dir;
    knvt::Defaults suite{dir.filePath(QStringLiteral("suite.json"))};
    std::unique_ptr<KNVTTaskStore> store;
    KNVTCDTask *task = nullptr;
};

void BM_TaskDetail200Comments(benchmark::State &state)
{
    CommentedTask library;
    int rows = 0;
    for (auto _ : state) {
        QWidget host;
        auto *layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        host.resize(420, 700);
        KNVTTaskViewController controller(library.task);
        layout->addWidget(controller.view());
        host.show();
        // Every row's height for the pane's width, as the first paint asks for them.
        controller.tableView()->doItemsLayout();
        rows = controller.model()->rowCount();
        state.PauseTiming();
        host.hide();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_TaskDetail200Comments)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
