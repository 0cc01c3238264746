#pragma once

#include "uikit/KNVTViewController.h"
#include "uikit/Popover.h"

#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

#include <vector>

class KNVTCDTask;

// The assign form in a popover, opened by the main window's and the task window's Assign buttons: the same rule and
// save as the assign sheet, without a title.
class KNVTTasksAssignViewController : public KNVTViewController
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.5;

    explicit KNVTTasksAssignViewController(const std::vector<KNVTCDTask *> &tasks, QObject *parent = nullptr);

    // The tasks that still exist.
    std::vector<KNVTCDTask *> tasks() const;
    void setTasks(const std::vector<KNVTCDTask *> &tasks);

    // The popover named by the host, or else the one holding the view.
    knvt::Popover *popover() const;
    void setPopover(knvt::Popover *popover) { m_popover = popover; }

    // nullptr until the view is loaded.
    QComboBox *assigneePopUpButton() const { return m_assigneePopUpButton; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    void updateSelectedAssignee();
    Q_INVOKABLE void save(QObject *sender = nullptr);
    Q_INVOKABLE void cancel(QObject *sender = nullptr);

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    QList<QUrl> m_taskURIs;
    QPointer<knvt::Popover> m_popover;
    QPointer<QComboBox> m_assigneePopUpButton;
    QPointer<QPushButton> m_saveButton;
    QPointer<QPushButton> m_cancelButton;
};
