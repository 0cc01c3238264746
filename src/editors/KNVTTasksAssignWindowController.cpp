#include "editors/KNVTTasksAssignWindowController.h"

#include "editors/AssigneeChoice.h"
#include "editors/CancelAndSaveButtons.h"
#include "editors/EditorObjects.h"

#include "model/KNVTCDTask.h"

#include "uikit/PopUpFit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

KNVTTasksAssignWindowController::KNVTTasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks,
                                                                 QWidget *parent)
    : knvt::Sheet(parent), m_taskURIs(knvt::urisOfObjects(tasks))
{
    setObjectName(QStringLiteral("KNVTTasksAssignWindowController"));
    auto *layout = new QVBoxLayout(this);
    m_titleTextField = new QLabel(this);
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    QFont bold = m_titleTextField->font();
    bold.setBold(true);
    m_titleTextField->setFont(bold);
    layout->addWidget(m_titleTextField);

    auto *form = new QFormLayout;
    m_assigneePopUpButton = new QComboBox(this);
    m_assigneePopUpButton->setObjectName(QStringLiteral("assigneePopUpButton"));
    m_assigneePopUpButton->setMinimumWidth(220);
    knvt::keepPopUpFittingItsRows(m_assigneePopUpButton);
    form->addRow(tr("Assign to:"), m_assigneePopUpButton);
    layout->addLayout(form);

    const knvt::CancelAndSaveButtons buttons = knvt::CancelAndSaveButtons::add(layout, this, this);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });

    updateSelectedAssignee();
    m_titleTextField->setText(m_taskURIs.size() == 1 ? tr("Delegate Task") : tr("Delegate Tasks"));
    setWindowTitle(m_titleTextField->text());
}

std::vector<KNVTCDTask *> KNVTTasksAssignWindowController::tasks() const
{
    return knvt::liveObjects<KNVTCDTask>(m_taskURIs);
}

void KNVTTasksAssignWindowController::updateSelectedAssignee()
{
    knvt::AssigneeChoice::updateSelectedAssignee(*m_assigneePopUpButton, tasks());
}

void KNVTTasksAssignWindowController::save(QObject *)
{
    knvt::AssigneeChoice::assignTasks(m_taskURIs, *m_assigneePopUpButton, SaveDelay);
    dismiss();
}

void KNVTTasksAssignWindowController::cancel(QObject *)
{
    dismiss();
}
