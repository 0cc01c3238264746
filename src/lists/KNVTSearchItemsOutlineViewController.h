#pragma once

#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include <QString>

// The tasks whose title or notes contain the text of the search field, ignoring case and diacritics, in the sections
// "Incomplete", "Scheduled", "Someday" and "Completed"; "No Results" when none does. Drags and drops work as in the
// list of tagged tasks. It prints the selected tasks only.
class KNVTSearchItemsOutlineViewController : public KNVTTaskStoreItemsOutlineViewController
{
    Q_OBJECT

public:
    explicit KNVTSearchItemsOutlineViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                  QObject *parent = nullptr);

    // A null string until one is set.
    const QString &searchString() const { return m_searchString; }
    // The same text again changes nothing. The empty text finds no task.
    void setSearchString(const QString &searchString);
    QString listTitle() const override;

protected:
    bool hasContent() const override { return !m_searchString.isNull(); }
    std::vector<knvt::ListSection> sectionsForContent() override;
    std::unique_ptr<knvt::ListMembership> membership() override;
    QString emptyLabelText() const override;

private:
    QString m_searchString;
};
