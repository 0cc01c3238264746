#pragma once

#include "lists/KNVTTaskStoreItemsOutlineViewController.h"
#include "lists/TaskSections.h"

#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

// The tasks whose title or notes contain the text of the search field, ignoring case and diacritics, in the sections
// "Incomplete", "Scheduled", "Someday" and "Completed"; "No Results" when none does. Drags and drops work as in the
// list of tagged tasks. It prints the selected tasks only.
//
// A search that matches very many tasks never holds the window up: the tasks are grouped and sorted in slices between
// events (the first slice runs at once unless matching took long last time, so a search of a small library is shown
// before the call returns), and the rows are made unfilled and filled only when something reads them, such as the
// view painting them. Until the
// results are there the list shows nothing, and no "No Results"; a new search text drops a search still under way.
// A store change never drops the rows shown nor the selection: a search under way goes on, and once it ends, another,
// which shows nothing of its own until it ends, brings the rows up to date in place, as often as the store changed
// meanwhile, so that the list ends with every match of the store as it is.
class KNVTSearchItemsOutlineViewController : public KNVTTaskStoreItemsOutlineViewController
{
    Q_OBJECT

public:
    explicit KNVTSearchItemsOutlineViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                  QObject *parent = nullptr);
    ~KNVTSearchItemsOutlineViewController() override;

    // A null string until one is set.
    const QString &searchString() const { return m_searchString; }
    // The same text again changes nothing. The empty text finds no task.
    void setSearchString(const QString &searchString);
    QString listTitle() const override;
    // Whether the results of the search text are still being found.
    bool isSearching() const { return m_search != nullptr; }

    void taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes) override;

protected:
    void loadView() override;
    bool hasContent() const override { return !m_searchString.isNull(); }
    std::vector<knvt::ListSection> sectionsForContent() override;
    std::unique_ptr<knvt::ListMembership> membership() override;
    QString emptyLabelText() const override;

private:
    struct Search;

    // Starts finding the results of the search text afresh, dropping a search under way.
    void startSearch();
    // Finds the results again after a store change, changing the rows in place when done.
    void refreshSearch();
    // One slice of the search: runs its steps until the slice's time is up or the results are shown.
    void continueSearch();
    // Shows the sections of the search under way whose rows are all made; false when there were none to show.
    bool showCompleteSections();
    // One step of `search`, a bounded share of its work; true once its sections are complete.
    bool advance(Search &search) const;
    // Lays out the first script of the rows the next sections shown bring onto the screen that this thread has not
    // laid out yet; false when there is none.
    bool prepareFallbackFontOfRowsToShow();
    // The row of the task `id`, filled, or a blank one for a task gone.
    knvt::ItemRow filledRow(const ostore::ObjectID &id);

    QString m_searchString;
    std::unique_ptr<Search> m_search;
    // The sections of the search that just ended, until the list shows them.
    std::optional<std::vector<knvt::ListSection>> m_found;
    QTimer m_nextSlice;
};
