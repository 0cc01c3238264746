#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QString>

namespace knvt::test {

// What a screen reader adds to an element's name for its box: " (checked)", " (not checked)" or " (mixed)"; nothing
// for an element that cannot be checked.
inline QString checkWords(const QAccessible::State &state)
{
    if (!state.checkable)
        return QString();
    return state.checkStateMixed ? QStringLiteral(" (mixed)")
        : state.checked          ? QStringLiteral(" (checked)")
                                 : QStringLiteral(" (not checked)");
}

// Does the action named `action` of the first row of `list` whose name begins with `rowName`, as a screen reader
// does; fails the test when there is no such row or the row offers no such action.
inline void doRowAction(QAccessibleInterface *list, const QString &rowName, const QString &action)
{
    ASSERT_NE(list, nullptr) << "no list";
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *row = list->child(i);
        if (!row || !row->text(QAccessible::Name).startsWith(rowName))
            continue;
        QAccessibleActionInterface *actions = row->actionInterface();
        ASSERT_TRUE(actions && actions->actionNames().contains(action))
            << "the row " << rowName.toStdString() << " offers no " << action.toStdString();
        actions->doAction(action);
        return;
    }
    ADD_FAILURE() << "no row " << rowName.toStdString() << " in " << list->text(QAccessible::Name).toStdString();
}

} // namespace knvt::test
