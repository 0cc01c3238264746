#pragma once

#include <QObject>
#include <QString>
#include <QThread>

namespace knvt::test {

// The exported object of FakeLocaleService: systemd-localed's X11 keyboard settings.
class LocaleSettings : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.locale1")
    Q_PROPERTY(QString X11Layout MEMBER layout)
    Q_PROPERTY(QString X11Model MEMBER model)
    Q_PROPERTY(QString X11Variant MEMBER variant)
    Q_PROPERTY(QString X11Options MEMBER options)

public:
    QString layout;
    QString model = QStringLiteral("pc105");
    QString variant;
    QString options;
};

// Stands in for systemd-localed on the private session bus of the keyring group: a connection of its own owns
// org.freedesktop.locale1 and answers the X11 keyboard settings the system keeps. It answers from a thread of its
// own, since the program asks with a blocking call at its start. Leaves the bus when destroyed.
class FakeLocaleService
{
public:
    FakeLocaleService(const QString &layout, const QString &variant);
    ~FakeLocaleService();
    FakeLocaleService(const FakeLocaleService &) = delete;
    FakeLocaleService &operator=(const FakeLocaleService &) = delete;

    bool isRegistered() const { return m_registered; }

private:
    QThread m_thread;
    LocaleSettings *m_settings = nullptr;
    bool m_registered = false;
};

} // namespace knvt::test
