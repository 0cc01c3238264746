#include "uikit/AccessibleEventRules.h"

#include <QAccessible>

#include <algorithm>
#include <vector>

namespace knvt {

namespace {

// The handler that was installed before the rules, which the events they let through go on to.
QAccessible::UpdateHandler nextHandler = nullptr;

std::vector<AccessibleEventRules::Rule> &rules()
{
    static std::vector<AccessibleEventRules::Rule> added;
    return added;
}

void handle(QAccessibleEvent *event)
{
    for (const AccessibleEventRules::Rule rule : rules())
        if (rule(event))
            return;
    AccessibleEventRules::carryOn(event);
}

} // namespace

void AccessibleEventRules::add(Rule rule)
{
    std::vector<Rule> &added = rules();
    if (std::find(added.cbegin(), added.cend(), rule) != added.cend())
        return;
    if (added.empty())
        nextHandler = QAccessible::installUpdateHandler(&handle);
    added.push_back(rule);
}

void AccessibleEventRules::carryOn(QAccessibleEvent *event)
{
    if (nextHandler != nullptr) {
        nextHandler(event);
        return;
    }
    // Qt has already told a table of a change of its rows, and would tell it again, shifting the rows it knows twice:
    // the second time the table hears of a change of data, which changes nothing it holds (the bridge of this Qt passes
    // on no change of a table's rows).
    auto *tableChange = event->type() == QAccessible::TableModelChanged
        ? static_cast<QAccessibleTableModelChangeEvent *>(event)
        : nullptr;
    const QAccessibleTableModelChangeEvent::ModelChangeType changeType =
        tableChange != nullptr ? tableChange->modelChangeType() : QAccessibleTableModelChangeEvent::DataChanged;
    if (tableChange != nullptr)
        tableChange->setModelChangeType(QAccessibleTableModelChangeEvent::DataChanged);
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&handle);
    if (tableChange != nullptr)
        tableChange->setModelChangeType(changeType);
}

} // namespace knvt
