#pragma once

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"

#include "support/CountingBeeper.h"
#include "support/FakeClock.h"
#include "support/ItemRowLines.h"
#include "support/ScriptedAlertPresenter.h"
#include "support/TaskStoreSandbox.h"

#include "uikit/KNVTCheckBox.h"

#include <QCoreApplication>
#include <QStringList>

#include <gtest/gtest.h>

class RecordingListHost : public KNVTTaskStoreItemsViewControllerDelegate
{
public:
    void taskStoreItemsViewControllerSelectionDidChange(KNVTTaskStoreItemsViewController *) override
    {
        ++selectionChanges;
    }
    void taskStoreItemsViewControllerItemWasDoubleClicked(KNVTTaskStoreItemsViewController *,
                                                          KNVTCDTaskList *taskList) override
    {
        doubleClicked.push_back(taskList);
    }
    bool taskStoreItemsViewControllerShouldInsertTab(KNVTTaskStoreItemsViewController *) override
    {
        ++tabs;
        return false;
    }
    bool taskStoreItemsViewControllerShouldInsertBacktab(KNVTTaskStoreItemsViewController *) override
    {
        ++backtabs;
        return false;
    }

    int selectionChanges = 0;
    int tabs = 0;
    int backtabs = 0;
    std::vector<KNVTCDTaskList *> doubleClicked;
};

// A store of its own at a fixed time (Wednesday 4 March 2015, noon), with beeps counted and alerts answered from a
// script; the builder fills it.
class ListTest : public ::testing::Test
{
protected:
    static QDateTime now() { return QDateTime(QDate(2015, 3, 4), QTime(12, 0)); }

    knvt::test::LibraryBuilder &build() { return m_sandbox.build(); }
    KNVTTaskStore &store() { return m_sandbox.store(); }
    void save() { ASSERT_TRUE(store().save()); }

    // Lets the deferred saves and selection steps run.
    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // The rows as the user reads them: "# Header", "[ ] Open task", "[x] Completed", "[-] Cancelled".
    template <class List>
    static QStringList rowsOf(const List &list)
    {
        return knvt::test::itemRowLines(list);
    }

    static QStringList titles(const KNVTTaskStoreItemsViewController::Tasks &tasks)
    {
        QStringList out;
        for (const KNVTCDTask *task : tasks)
            out << task->title();
        return out;
    }

    knvt::test::FakeClock m_clock{now()};
    knvt::test::TaskStoreSandbox m_sandbox;
    knvt::test::CountingBeeper m_beeper;
    knvt::ScriptedAlertPresenter m_alerts;
    RecordingListHost m_host;
};
