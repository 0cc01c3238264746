#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace knvt::test {

// Gives the test a hand on one environment variable and puts it back as it found it when it goes, also when a failed
// assertion leaves the test early: with its old value, or unset when it was unset (an empty value is not the same to
// a reader that asks whether the variable is set).
class ScopedEnvironmentVariable
{
public:
    explicit ScopedEnvironmentVariable(const char *name)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
    {}
    ~ScopedEnvironmentVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable &) = delete;
    ScopedEnvironmentVariable &operator=(const ScopedEnvironmentVariable &) = delete;

    void set(const QByteArray &value) { qputenv(m_name, value); }
    void unset() { qunsetenv(m_name); }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

} // namespace knvt::test
