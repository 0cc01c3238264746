#pragma once

#include "editors/TitleSheet.h"

#include "uikit/GoneElsewhere.h"

#include <QComboBox>
#include <QUrl>

class KNVTCDTaskList;

namespace knvt {

// What the area and project editors share: the list's title and a status pop-up (Someday, Actionable, Completed,
// Cancelled). Save writes the title and the status only where the user changed them from what the sheet loaded, so
// that a change a sync or another window made meanwhile stays. Completing or cancelling a list with open tasks asks
// first whether they go with it; when the user refuses, the sheet stays open and nothing of it is written, the title
// included. Save saves at once, and a save the library refuses leaves the sheet open as the user left it. The editor
// closes by itself when its list is deleted, and says so.
class TaskListEditSheet : public TitleSheet
{
    Q_OBJECT

public:
    ~TaskListEditSheet() override;

    QComboBox *statusPopUpButton() const { return m_statusPopUpButton; }
    // nullptr once the list is gone.
    KNVTCDTaskList *taskList() const;

protected:
    TaskListEditSheet(KNVTCDTaskList *taskList, QWidget *parent);

    bool performSave() override;

private:
    QUrl m_taskListURI;
    EditedObject m_object;
    QString m_loadedTitle;
    unsigned int m_loadedStatus = 0;
    QComboBox *m_statusPopUpButton = nullptr;
};

} // namespace knvt
