#pragma once

#include "uikit/AccessibilityEvents.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QStringList>

namespace knvt::test {

// Installed as the shared destination of accessibility events for its lifetime, as a listening screen reader; keeps
// what it was told of boxes: "<element's name up to its first comma>: checked" or ": not checked".
class RecordedAccessibilityEvents final : public knvt::AccessibilityEvents
{
public:
    RecordedAccessibilityEvents() { knvt::AccessibilityEvents::setShared(this); }
    ~RecordedAccessibilityEvents() override { knvt::AccessibilityEvents::setShared(nullptr); }
    RecordedAccessibilityEvents(const RecordedAccessibilityEvents &) = delete;
    RecordedAccessibilityEvents &operator=(const RecordedAccessibilityEvents &) = delete;

    bool isListening() const override { return true; }
    void post(QAccessibleEvent *event) override
    {
        if (event->type() != QAccessible::StateChanged
            || !static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked)
            return;
        QAccessibleInterface *element = event->accessibleInterface();
        if (element == nullptr)
            return;
        m_boxes << element->text(QAccessible::Name).section(QLatin1Char(','), 0, 0) + QStringLiteral(": ")
                + (element->state().checked ? QStringLiteral("checked") : QStringLiteral("not checked"));
    }

    // What was told since the last call.
    QStringList takeBoxes()
    {
        QStringList told;
        told.swap(m_boxes);
        return told;
    }

private:
    QStringList m_boxes;
};

} // namespace knvt::test
