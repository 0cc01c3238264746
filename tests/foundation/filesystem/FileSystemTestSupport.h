#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace knvt::test {

// A fresh temporary folder per test, with helpers to lay out files in it.
class TemporaryFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString path(const QString &name = QString()) const
    {
        return name.isEmpty() ? m_folder.path() : m_folder.path() + QLatin1Char('/') + name;
    }

    QString write(const QString &name, const QByteArray &contents = "contents")
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
        return file;
    }

    static QByteArray read(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }

    static bool exists(const QString &file)
    {
        struct stat info;
        return ::lstat(QFile::encodeName(file).constData(), &info) == 0;
    }

    // An item no copy can succeed on: without read permission, or, for a superuser who reads everything, a named pipe.
    static void makeUncopyable(const QString &file)
    {
        if (::geteuid() != 0) {
            ::chmod(QFile::encodeName(file).constData(), 0);
            return;
        }
        QFile::remove(file);
        ::mkfifo(QFile::encodeName(file).constData(), 0600);
    }

    QTemporaryDir m_folder;
};

// Runs the event loop until the condition holds or the time is up; the condition's last answer.
inline bool waitUntil(const std::function<bool()> &condition, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace knvt::test
