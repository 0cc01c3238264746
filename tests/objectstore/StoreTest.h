#pragma once

#include "TestModel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline QByteArray fileSha256(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// One library in a temporary folder per test, with the hook log reset.
class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        HookLog::entries().clear();
        HookLog::awakeFromFetchCount() = 0;
        User::insertsAvatarOnFetch() = false;
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("TaskStoreData.sqlite3"));
        m_library = std::make_unique<testmodel::Library>(m_path);
        ASSERT_TRUE(m_library->opened) << qPrintable(m_library->openError.description());
    }
    void TearDown() override { m_library.reset(); }

    ostore::Context &main() { return *m_library->main; }
    ostore::Coordinator &coordinator() { return *m_library->coordinator; }
    const QString &path() const { return m_path; }
    QString folder() const { return m_dir.path(); }

    // Closes and reopens the library; unsaved changes are lost.
    void reopen()
    {
        m_library.reset();
        m_library = std::make_unique<testmodel::Library>(m_path);
        ASSERT_TRUE(m_library->opened);
    }

    struct ChildResult
    {
        int exitCode = -1;
        QString output;
    };
    static ChildResult runChild(const QStringList &arguments, int timeoutMs = 30000)
    {
        QProcess p;
        p.start(QStringLiteral(OSTORE_TEST_CHILD), arguments);
        p.waitForFinished(timeoutMs);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
    }

    // Saved tasks titled as given, in this order.
    std::vector<Task *> saveTasks(const QStringList &titles)
    {
        std::vector<Task *> out;
        for (const QString &t : titles) {
            out.push_back(main().insert<Task>());
            out.back()->setTitle(t);
        }
        EXPECT_TRUE(main().save());
        return out;
    }

    static QStringList titles(const std::vector<Task *> &tasks)
    {
        QStringList out;
        for (Task *t : tasks)
            out.append(t->title());
        return out;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<testmodel::Library> m_library;
};
