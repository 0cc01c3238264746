#include "editors/KNVTTasksAssignViewController.h"

#include "editors/AssigneeChoice.h"
#include "editors/CancelAndSaveButtons.h"
#include "editors/EditorObjects.h"
#include "editors/HostPopover.h"

#include "model/KNVTCDTask.h"

#include "uikit/PopUpFit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

KNVTTasksAssignViewController::KNVTTasksAssignViewController(const std::vector<KNVTCDTask *> &tasks, QObject *parent)
    : KNVTViewController(parent), m_taskURIs(knvt::urisOfObjects(tasks))
{}

std::vector<KNVTCDTask *> KNVTTasksAssignViewController::tasks() const
{
    return knvt::liveObjects<KNVTCDTask>(m_taskURIs);
}

void KNVTTasksAssignViewController::setTasks(const std::vector<KNVTCDTask *> &tasks)
{
    m_taskURIs = knvt::urisOfObjects(tasks);
    if (m_assigneePopUpButton)
        updateSelectedAssignee();
}

knvt::Popover *KNVTTasksAssignViewController::popover() const
{
    return knvt::hostPopover(m_popover, viewIfLoaded());
}

void KNVTTasksAssignViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTTasksAssignViewController"));
    view->setAccessibleName(tr("Assign"));
    auto *layout = new QVBoxLayout(view);
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(tr("Assign to:"), view);
    row->addWidget(label);
    m_assigneePopUpButton = new QComboBox(view);
    label->setBuddy(m_assigneePopUpButton);
    m_assigneePopUpButton->setObjectName(QStringLiteral("assigneePopUpButton"));
    m_assigneePopUpButton->setMinimumWidth(200);
    knvt::keepPopUpFittingItsRows(m_assigneePopUpButton);
    row->addWidget(m_assigneePopUpButton, 1);
    layout->addLayout(row);
    const knvt::CancelAndSaveButtons buttons = knvt::CancelAndSaveButtons::add(layout, view, view);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });
    setView(view);
}

void KNVTTasksAssignViewController::viewDidLoad()
{
    updateSelectedAssignee();
}

void KNVTTasksAssignViewController::updateSelectedAssignee()
{
    if (m_assigneePopUpButton)
        knvt::AssigneeChoice::updateSelectedAssignee(*m_assigneePopUpButton, tasks());
}

void KNVTTasksAssignViewController::save(QObject *)
{
    view();
    knvt::AssigneeChoice::assignTasks(m_taskURIs, *m_assigneePopUpButton, SaveDelay);
    if (knvt::Popover *shown = popover())
        shown->performClose();
}

void KNVTTasksAssignViewController::cancel(QObject *)
{
    if (knvt::Popover *shown = popover())
        shown->performClose();
}
