#pragma once

#include "store/KNVTTaskStore.h"

#include "foundation/Defaults.h"
#include "support/FakeSystemEvents.h"
#include "support/FakeWallClockAlarm.h"
#include "support/LibraryBuilder.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace knvt::test {

// A task store on a library of its own, installed as the shared store for its lifetime, with a fake midnight alarm
// and fake system events. Errors it would present are recorded.
class TaskStoreSandbox
{
public:
    // `libraryPath` empty: a library in a temporary folder of the sandbox's own.
    explicit TaskStoreSandbox(const QString &libraryPath = QString())
    {
        m_suite = std::make_unique<knvt::Defaults>(m_dir.filePath(QStringLiteral("suite.json")));
        KNVTTaskStore::Environment environment;
        environment.libraryPath = libraryPath.isEmpty()
            ? m_dir.filePath(QStringLiteral("Library/") + KNVTTaskStore::kLibraryFolderName)
            : libraryPath;
        environment.containerUserDefaults = m_suite.get();
        auto alarm = std::make_unique<knvt::FakeWallClockAlarm>();
        m_alarm = alarm.get();
        environment.systemInformationAlarm = std::move(alarm);
        environment.systemEvents = std::make_unique<knvt::FakeSystemEvents>();
        environment.errorPresenter = [this](const knvt::Error &error, knvt::Opener) {
            m_presentedErrors.push_back(error);
        };
        m_store = std::make_unique<KNVTTaskStore>(std::move(environment));
        KNVTTaskStore::setDefaultTaskStore(m_store.get());
        m_builder = std::make_unique<LibraryBuilder>(*m_store);
    }
    ~TaskStoreSandbox()
    {
        if (KNVTTaskStore::defaultTaskStore() == m_store.get())
            KNVTTaskStore::setDefaultTaskStore(nullptr);
    }
    TaskStoreSandbox(const TaskStoreSandbox &) = delete;
    TaskStoreSandbox &operator=(const TaskStoreSandbox &) = delete;

    KNVTTaskStore &store() { return *m_store; }
    LibraryBuilder &build() { return *m_builder; }
    const std::vector<knvt::Error> &presentedErrors() const { return m_presentedErrors; }
    // The store's midnight alarm, which a test rings.
    knvt::FakeWallClockAlarm &alarm() { return *m_alarm; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<knvt::Defaults> m_suite;
    knvt::FakeWallClockAlarm *m_alarm = nullptr; // owned by the store
    std::unique_ptr<KNVTTaskStore> m_store;
    std::unique_ptr<LibraryBuilder> m_builder;
    std::vector<knvt::Error> m_presentedErrors;
};

} // namespace knvt::test
