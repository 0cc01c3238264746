#pragma once

#include <QObject>
#include <QPointer>

namespace knvt {

// A delegate reference that does not own its delegate and, when the delegate is a QObject, drops it by itself when
// that object is destroyed, as a weak reference would.
template <typename Delegate>
class WeakDelegate
{
public:
    void set(Delegate *delegate)
    {
        m_delegate = delegate;
        m_object = dynamic_cast<QObject *>(delegate);
        m_tracked = !m_object.isNull();
    }

    Delegate *get() const { return m_tracked && m_object.isNull() ? nullptr : m_delegate; }

private:
    Delegate *m_delegate = nullptr;
    QPointer<QObject> m_object;
    bool m_tracked = false;
};

} // namespace knvt
