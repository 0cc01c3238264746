#pragma once

#include "editors/Sheet.h"

#include <QList>
#include <QUrl>

#include <vector>

class KNVTCDTask;
class QComboBox;
class QLabel;
class QPushButton;

// The sheet that gives tasks to a member of their list ("Delegate Task" / "Delegate Tasks"), for tasks dropped on
// the Delegated focus list. Save assigns every task that still exists and may be edited, and saves 0.5 s later.
class KNVTTasksAssignWindowController : public knvt::Sheet
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.5;

    explicit KNVTTasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent = nullptr);

    // The tasks that still exist.
    std::vector<KNVTCDTask *> tasks() const;

    QLabel *titleTextField() const { return m_titleTextField; }
    QComboBox *assigneePopUpButton() const { return m_assigneePopUpButton; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    void updateSelectedAssignee();
    Q_INVOKABLE void save(QObject *sender = nullptr);
    Q_INVOKABLE void cancel(QObject *sender = nullptr);

private:
    QList<QUrl> m_taskURIs;
    QLabel *m_titleTextField = nullptr;
    QComboBox *m_assigneePopUpButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
