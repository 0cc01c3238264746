#pragma once

#include <QLocale>
#include <QString>

namespace knvt::test {

// Makes `name` the process's default locale for the lifetime of the object, as a user's locale would be: widgets
// and formats made meanwhile take it.
class ScopedLocale
{
public:
    explicit ScopedLocale(const char *name) : m_previous(QLocale())
    {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    }
    ~ScopedLocale() { QLocale::setDefault(m_previous); }
    ScopedLocale(const ScopedLocale &) = delete;
    ScopedLocale &operator=(const ScopedLocale &) = delete;

private:
    QLocale m_previous;
};

} // namespace knvt::test
