// Painted rows and toolbar buttons stay readable by assistive technology.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"

#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include <QAccessible>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

QStringList names(QAccessibleInterface *interface)
{
    QStringList out;
    if (!interface)
        return out;
    for (int i = 0; i < interface->childCount(); ++i)
        if (QAccessibleInterface *child = interface->child(i))
            out << child->text(QAccessible::Name);
    return out;
}

} // namespace

TEST(AccessibilityFeature, RowsReadWhatTheyShowAndToolbarButtonsHaveNames)
{
    AppDriver app;
    app.givenTask(QStringLiteral("Pay rent"), {.due = AppDriver::defaultNow().addDays(-1)});
    app.givenTask(QStringLiteral("Call Ann"), {.completed = true});
    app.launch();

    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(app.centreList()->tableView());
    ASSERT_NE(table, nullptr);
    const QStringList rows = names(table);
    EXPECT_TRUE(rows.contains(QStringLiteral("Pay rent, due Mar 3, overdue"))) << rows.join(" | ").toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("Call Ann, completed"))) << rows.join(" | ").toStdString();

    for (const char *name : {"taskButton", "moveButton", "todayButton", "deleteButton", "editButton"}) {
        QToolButton *button = app.mainWindow().toolbarButton(QString::fromLatin1(name));
        QAccessibleInterface *interface = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(interface, nullptr);
        EXPECT_FALSE(interface->text(QAccessible::Name).isEmpty()) << name;
    }
}
