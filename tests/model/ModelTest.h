#pragma once

#include "model/ContextAdditions.h"
#include "model/KNVTCDAccount.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDModel.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Where.h"

#include "support/TaskStoreBuilder.h"
#include "support/Wire.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using knvt::test::wire;

// An entity outside the task store's model, for the hooks that the real entities only fill in with their own
// behaviour: a key that is never tracked, a merge that ignores dates, and text of its own.
class KNVTTestNote : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTTestNote)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_STRING(title, setTitle)
    OSTORE_STRING(mirror, setMirror)

public:
    static bool &mergesWhateverTheDate()
    {
        static bool value = false;
        return value;
    }
    QString pasteboardString() const override { return title(); }
    QString HTMLStringForPrinting() const override { return title().isEmpty() ? QString() : "<p>" + title() + "</p>"; }

protected:
    bool excludesChangedKey(std::string_view key) const override { return key == "mirror"; }
    bool mergesRegardlessOfDate() const override { return mergesWhateverTheDate(); }
};

inline const QString kTestNoteFile = QStringLiteral("Notes.sqlite3");

inline ostore::Model testNoteModel()
{
    ostore::Model m(1);
    m.entity<KNVTTestNote>(QStringLiteral("KNVTTestNote"))
        .attr(QStringLiteral("numericIdentifier"), ostore::Type::Int64)
        .attr(QStringLiteral("eTag"), ostore::Type::String)
        .attr(QStringLiteral("needsUpdating"), ostore::Type::Bool)
        .attr(QStringLiteral("createdDate"), ostore::Type::Date)
        .attr(QStringLiteral("modifiedDate"), ostore::Type::Date)
        .attr(QStringLiteral("deletedDate"), ostore::Type::Date)
        .attr(QStringLiteral("changedKeysString"), ostore::Type::String)
        .attr(QStringLiteral("title"), ostore::Type::String)
        .attr(QStringLiteral("mirror"), ostore::Type::String);
    return m;
}

// One library in its own temporary folder, opened with the task store's model unless the test names another.
class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KNVTTestNote::mergesWhateverTheDate() = false;
        ASSERT_TRUE(m_dir.isValid());
        open();
    }
    void TearDown() override { close(); }

    // Another model needs a library file of its own.
    void open(const std::function<ostore::Model()> &model = KNVTCDModel,
              const QString &file = QStringLiteral("TaskStoreData.sqlite3"))
    {
        m_model = model;
        m_file = file;
        m_coordinator = std::make_unique<ostore::Coordinator>(model());
        knvt::Error error;
        ASSERT_TRUE(m_coordinator->open(path(), &m_openResult, &error)) << qPrintable(error.description());
        m_context = std::make_unique<ostore::Context>(m_coordinator.get());
        m_make.setContext(m_context.get());
    }
    void close()
    {
        m_make.setContext(nullptr);
        m_context.reset();
        m_coordinator.reset();
    }
    // Closes and opens the library again with the same model; unsaved changes are lost.
    void reopen()
    {
        close();
        open(m_model, m_file);
    }
    void save()
    {
        knvt::Error error;
        ASSERT_TRUE(context().save(&error)) << qPrintable(error.description());
    }

    template <class T>
    T *insert()
    {
        return context().insert<T>();
    }

    ostore::Context &context() { return *m_context; }
    // Users, lists and tasks in the open library.
    knvt::test::TaskStoreBuilder &make() { return m_make; }
    ostore::Coordinator &coordinator() { return *m_coordinator; }
    QString path() const { return m_dir.filePath(m_file); }
    const ostore::OpenResult &openResult() const { return m_openResult; }

    // 4 March 2015 plus `seconds`, in UTC.
    static QDateTime date(qint64 seconds = 0)
    {
        return QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30), QTimeZone::utc()).addSecs(seconds);
    }
    // The service's spelling of date(seconds).
    static QString wireDate(qint64 seconds = 0)
    {
        return date(seconds).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QStringLiteral("+0000");
    }

private:
    QTemporaryDir m_dir;
    std::function<ostore::Model()> m_model;
    QString m_file;
    std::unique_ptr<ostore::Coordinator> m_coordinator;
    std::unique_ptr<ostore::Context> m_context;
    ostore::OpenResult m_openResult;
    knvt::test::TaskStoreBuilder m_make;
};
