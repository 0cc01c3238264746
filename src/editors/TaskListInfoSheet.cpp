#include "editors/TaskListInfoSheet.h"

#include "editors/EditorObjects.h"

#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListCollaboratorRole.h"
#include "model/ObjectReferencePayload.h"

#include "foundation/NotificationCenter.h"

#include "uikit/ActionSet.h"
#include "uikit/GoneElsewhere.h"
#include "uikit/ShownAsTyped.h"
#include "uikit/TextInItsDirection.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMimeData>
#include <QVBoxLayout>

namespace knvt {

namespace {

// The width of the list of people, which the texts above it wrap to.
constexpr int InfoWidth = 380;

QLabel *label(const QString &name, QWidget *parent)
{
    auto *field = new QLabel(parent);
    field->setObjectName(name);
    field->setTextFormat(Qt::PlainText);
    return field;
}

} // namespace

TaskListInfoSheet::TaskListInfoSheet(KNVTCDTaskList *taskList, QWidget *parent)
    : Sheet(parent),
      m_taskListURI(taskList ? taskList->uri() : QUrl()),
      m_object(taskList && taskList->isArea() ? EditedObject::Area : EditedObject::Project)
{
    auto *layout = new QVBoxLayout(this);
    m_headingTextField = label(QStringLiteral("headingTextField"), this);
    QFont heading = m_headingTextField->font();
    heading.setBold(true);
    heading.setPixelSize(15);
    m_headingTextField->setFont(heading);
    // A long title wraps within the window's width instead of widening the window past the screen, where it was cut.
    m_headingTextField->setWordWrap(true);
    m_headingTextField->setMaximumWidth(InfoWidth);
    layout->addWidget(m_headingTextField);
    auto *form = new QFormLayout;
    // Each caption is made before its value, so that a screen reader, which reads the window's elements in the order
    // they were made, reads "Title:" before the title; the caption also names its value.
    const auto addRow = [this, form](const QString &caption, const QString &name) {
        auto *captionLabel = new QLabel(caption, this);
        QLabel *value = label(name, this);
        value->setWordWrap(true);
        value->setMaximumWidth(InfoWidth);
        captionLabel->setBuddy(value);
        form->addRow(captionLabel, value);
        return value;
    };
    m_titleTextField = addRow(tr("Title:"), QStringLiteral("titleTextField"));
    m_statusTextField = addRow(tr("Status:"), QStringLiteral("statusTextField"));
    m_ownerTextField = addRow(tr("Owner:"), QStringLiteral("ownerTextField"));
    layout->addLayout(form);

    m_collaboratorsView = new QWidget(this);
    m_collaboratorsView->setObjectName(QStringLiteral("collaboratorsView"));
    auto *collaborators = new QVBoxLayout(m_collaboratorsView);
    collaborators->setContentsMargins(0, 0, 0, 0);
    m_tableView = new CollaboratorsTableWidget([this](const QList<int> &rows) { return mimeDataForRows(rows); },
                                               m_collaboratorsView);
    m_tableView->setObjectName(QStringLiteral("tableView"));
    m_tableView->setAccessibleName(tr("Shared With"));
    m_tableView->setColumnCount(3);
    m_tableView->setHorizontalHeaderLabels({tr("User"), tr("Status"), tr("Role")});
    m_tableView->setColumnWidth(0, 180);
    m_tableView->setColumnWidth(1, 90);
    m_tableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    collaborators->addWidget(m_tableView);
    m_collaboratorsView->setFixedSize(InfoWidth, 140);
    m_collaboratorsView->hide();
    layout->addWidget(m_collaboratorsView);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_closeButton = new QPushButton(tr("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setDefault(true);
    connect(m_closeButton, &QPushButton::clicked, this, [this] { dismiss(m_closeButton); });
    buttons->addWidget(m_closeButton);
    layout->addLayout(buttons);

    m_actions = new ActionSet(this, {Command::Close});
    m_actions->setTarget(this);

    if (taskList)
        fill(taskList);
    NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &taskStore(), this,
        [this](const Notification &notification) {
            if (this->taskList())
                return;
            tellObjectWentAway(m_object, m_titleTextField->text(), this,
                               whoseChange(TaskStoreChanges::madeElsewhere(notification)), false);
            dismiss();
        });
}

TaskListInfoSheet::~TaskListInfoSheet()
{
    m_actions->setTarget(nullptr);
    NotificationCenter::defaultCenter().removeObservers(this);
}

void TaskListInfoSheet::validateCommand(Command command, CommandState &state)
{
    state.enabled = command == Command::Close;
}

void TaskListInfoSheet::performCommand(Command command, QWidget *)
{
    if (command == Command::Close)
        dismiss(m_closeButton);
}

KNVTCDTaskList *TaskListInfoSheet::taskList() const
{
    return liveObject<KNVTCDTaskList>(m_taskListURI);
}

void TaskListInfoSheet::fill(const KNVTCDTaskList *list)
{
    m_headingTextField->setText(tr("\"%1\" Info").arg(knvt::isolatedText(list->title())));
    setWindowTitle(knvt::windowTitleText(m_headingTextField->text()));
    m_titleTextField->setText(list->title());
    // A list that never had a status set (one made here and never moved) is active, and reads so.
    m_statusTextField->setText(KNVTCDTaskList::localizedDisplayNameForStatus(
        KNVTTaskListStatus(list->status().value_or(KNVTTaskListStatusActionable))));

    const KNVTCDUser *owner = nullptr;
    for (const KNVTCDTaskListCollaborator *collaborator : list->activeTaskListCollaborators()) {
        if (collaborator->role().value_or(0) == KNVTTaskListCollaboratorRoleOwner)
            owner = collaborator->user();
        else
            m_users.append(collaborator->user()->uri());
    }
    m_ownerTextField->setText(owner ? owner->extendedDisplayName() : tr("Unknown"));

    if (!list->isCollaborative())
        return;
    m_tableView->setRowCount(int(m_users.size()));
    for (int row = 0; row < int(m_users.size()); ++row) {
        const KNVTCDUser *user = liveObject<KNVTCDUser>(m_users.at(row));
        const KNVTCDTaskListCollaborator *collaborator =
            user ? taskStore().taskListCollaboratorForUser(user, list) : nullptr;
        const QString dash = QStringLiteral("-");
        const QString texts[] = {
            user ? user->extendedDisplayName() : QString(),
            collaborator ? KNVTCDTaskListCollaborator::localizedDisplayNameForTaskListCollaboratorStatus(
                KNVTTaskListCollaboratorStatus(collaborator->status().value_or(0)))
                         : dash,
            collaborator ? KNVTCDTaskListCollaborator::localizedDisplayNameForTaskListCollaboratorRole(
                KNVTTaskListCollaboratorRole(collaborator->role().value_or(0)))
                         : dash,
        };
        for (int column = 0; column < 3; ++column)
            m_tableView->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    // The window grows by the table's height; its top edge stays where it is.
    m_collaboratorsView->show();
}

QMimeData *TaskListInfoSheet::mimeDataForRows(const QList<int> &rows) const
{
    std::vector<const KNVTCDTaskStoreObject *> users;
    for (int row : rows) {
        if (row < 0 || row >= m_users.size())
            continue;
        if (const KNVTCDUser *user = liveObject<KNVTCDUser>(m_users.at(row)))
            users.push_back(user);
    }
    if (users.empty())
        return nullptr;
    auto *mime = new QMimeData;
    ObjectReferencePayload::writeObjects(*mime, users, shownName);
    return mime;
}

} // namespace knvt
