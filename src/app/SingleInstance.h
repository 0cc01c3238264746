#pragma once

#include <QObject>

#include <functional>

namespace knvt {

// One instance per user: the first launch owns the session-bus name com.hollowpine.quillvane and answers Reopen; a
// later launch asks it to reopen and ends. Launches that share no bus meet at the library's lock (LibraryLock).
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.hollowpine.quillvane")

public:
    static constexpr char ServiceName[] = "com.hollowpine.quillvane";

    explicit SingleInstance(std::function<void()> reopen, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the instance (it owns the name, or there is no bus); false when another instance was
    // asked to reopen and this one should end.
    bool registerOrActivate();

public slots:
    void Reopen();

private:
    std::function<void()> m_reopen;
    bool m_registered = false;
};

} // namespace knvt
