#pragma once

#include <QMessageLogContext>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace knvt::test {

// The lines logged while it lives, each as "category message". The handler it replaced comes back when it goes, also
// when a failed assertion leaves the test early.
class LogCapture
{
public:
    LogCapture()
    {
        QMutexLocker locker(&s_mutex);
        s_lines.clear();
        m_previous = qInstallMessageHandler(&LogCapture::record);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    static QStringList lines()
    {
        QMutexLocker locker(&s_mutex);
        return s_lines;
    }

private:
    static void record(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        QMutexLocker locker(&s_mutex);
        s_lines.append(QString::fromLatin1(context.category ? context.category : "") + QLatin1Char(' ') + message);
    }

    static inline QMutex s_mutex;
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace knvt::test
