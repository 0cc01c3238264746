#pragma once

#include <QObject>

#include <functional>

namespace knvt::test {

// A session object of the fake desktop portal: org.freedesktop.portal.Session with its Close method.
class FakePortalSession : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")

public:
    explicit FakePortalSession(std::function<void()> closed, QObject *parent = nullptr);

public slots:
    void Close();

private:
    std::function<void()> m_closed;
};

} // namespace knvt::test
