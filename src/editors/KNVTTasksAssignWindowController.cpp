#include "editors/KNVTTasksAssignWindowController.h"

#include "editors/AssigneeChoice.h"
#include "editors/EditorObjects.h"

#include "model/KNVTCDTask.h"

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
    form->addRow(tr("Assign to:"), m_assigneePopUpButton);
    layout->addLayout(form);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    buttons->addWidget(m_cancelButton);
    m_saveButton = new QPushButton(tr("Save"), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setDefault(true);
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });
    buttons->addWidget(m_saveButton);
    layout->addLayout(buttons);

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
