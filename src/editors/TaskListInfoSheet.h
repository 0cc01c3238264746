#pragma once

#include "editors/CollaboratorsTableWidget.h"
#include "editors/Sheet.h"

#include "uikit/CommandTarget.h"
#include "uikit/GoneElsewhere.h"

#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QUrl>

class KNVTCDTaskList;
class QMimeData;

namespace knvt {

class ActionSet;

// What the area and project information windows share: the list's heading, title, status and owner, and, for a
// list shared with others, a table of the other members with their invitation status and role, from which they can
// be dragged. Filled once when it opens; it closes when its list is deleted.
class TaskListInfoSheet : public Sheet, public CommandTarget
{
    Q_OBJECT

public:
    ~TaskListInfoSheet() override;

    QLabel *headingTextField() const { return m_headingTextField; }
    QLabel *titleTextField() const { return m_titleTextField; }
    QLabel *statusTextField() const { return m_statusTextField; }
    QLabel *ownerTextField() const { return m_ownerTextField; }
    QWidget *collaboratorsView() const { return m_collaboratorsView; }
    CollaboratorsTableWidget *tableView() const { return m_tableView; }
    QPushButton *closeButton() const { return m_closeButton; }

    // nullptr once the list is gone.
    KNVTCDTaskList *taskList() const;
    // The members other than the owner, by full name: the table's rows.
    const QList<QUrl> &users() const { return m_users; }

    // What a drag of `rows` carries: the users' references under the drag type, and their names, one per line,
    // as text for other programs. nullptr when no row names a user.
    QMimeData *mimeDataForRows(const QList<int> &rows) const;

    // Close (Ctrl+W) closes the window, as its Close button does.
    void validateCommand(Command command, CommandState &state) override;
    void performCommand(Command command, QWidget *source) override;

protected:
    TaskListInfoSheet(KNVTCDTaskList *taskList, QWidget *parent);

private:
    void fill(const KNVTCDTaskList *list);

    QUrl m_taskListURI;
    EditedObject m_object;
    QList<QUrl> m_users;
    QLabel *m_headingTextField = nullptr;
    QLabel *m_titleTextField = nullptr;
    QLabel *m_statusTextField = nullptr;
    QLabel *m_ownerTextField = nullptr;
    QWidget *m_collaboratorsView = nullptr;
    CollaboratorsTableWidget *m_tableView = nullptr;
    QPushButton *m_closeButton = nullptr;
    ActionSet *m_actions = nullptr;
};

} // namespace knvt
