#include "editors/KNVTTaskWindowController.h"

#include "editors/EditorObjects.h"
#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTasksAssignViewController.h"
#include "editors/SaveScheduler.h"

#include "store/KNVTTaskStore.h"
#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTFocusType.h"

#include "uikit/ActionSet.h"
#include "uikit/AlertAdditions.h"
#include "uikit/ApplicationCommands.h"
#include "uikit/DeleteQuestion.h"
#include "uikit/GoneElsewhere.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/ShownAsTyped.h"
#include "uikit/UnsavedTyping.h"

#include "foundation/NotificationCenter.h"

#include <QCloseEvent>
#include <QKeyEvent>

using knvt::Command;

KNVTTaskWindowController::KNVTTaskWindowController(KNVTCDTask *task, QWidget *parent)
    : QMainWindow(parent), m_taskURI(task ? task->uri() : QUrl())
{
    setObjectName(QStringLiteral("KNVTTaskWindowController"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    // What a screen reader calls the bar, as the main window's.
    m_toolbar->setWindowTitle(tr("Toolbar"));
    // The toolbar is fixed: it cannot be moved, floated, hidden or customised.
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_actions =
        new knvt::ActionSet(this,
                            {Command::ToggleToday, Command::Assign, Command::Comment, Command::Edit, Command::Mark,
                             Command::MarkAsCompleted, Command::MarkAsUncompleted, Command::MarkAsCancelled,
                             Command::Delete, Command::Done, Command::Close, Command::NewTask, Command::Quit});
    auto button = [this](Command command, const char *name) {
        QToolButton *made = m_actions->makeToolButton(command, QString::fromLatin1(name), m_toolbar);
        made->setToolButtonStyle(Qt::ToolButtonTextOnly);
        m_toolbar->addWidget(made);
        return made;
    };
    m_todayButton = button(Command::ToggleToday, "todayButton");
    m_assignButton = button(Command::Assign, "assignButton");
    m_commentButton = button(Command::Comment, "commentButton");
    m_editButton = button(Command::Edit, "editButton");
    m_markButton = button(Command::Mark, "markButton");
    m_deleteButton = button(Command::Delete, "deleteButton");
    auto *spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_doneButton = button(Command::Done, "doneButton");

    m_taskViewController = new KNVTTaskViewController(task, this);
    setCentralWidget(m_taskViewController->view());
    // Return on a comment row edits the comment.
    m_actions->addPane(m_taskViewController->view());
    resize(420, 520);
    m_actions->setTarget(this);
    updateToolbar();
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(), this,
        [this](const knvt::Notification &notification) {
            taskStoreWillChange(knvt::TaskStoreChanges::madeElsewhere(notification));
        });
}

KNVTTaskWindowController::~KNVTTaskWindowController()
{
    m_actions->setTarget(nullptr);
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    closePopovers();
}

KNVTCDTask *KNVTTaskWindowController::task() const
{
    return m_taskDropped ? nullptr : knvt::liveObject<KNVTCDTask>(m_taskURI);
}

void KNVTTaskWindowController::updateToolbar()
{
    const KNVTCDTask *shown = task();
    if (!shown)
        return;
    setWindowTitle(knvt::windowTitleText(shown->title()));
    m_actions->validate();
}

void KNVTTaskWindowController::validateCommand(Command command, knvt::CommandState &state)
{
    if (m_taskViewController && m_taskViewController->takesCommand(command)) {
        m_taskViewController->validateCommand(command, state);
        return;
    }
    KNVTCDTask *shown = task();
    if (command == Command::Done || command == Command::Close) {
        state.enabled = true;
        return;
    }
    if (knvt::ApplicationCommands::validateCommand(command, state))
        return;
    if (!shown)
        return;
    const bool editable = shown->canEdit() && !shown->isArchived();
    KNVTTaskStore &store = knvt::taskStore();
    const KNVTTaskStoreCapabilities::Items items{shown};
    switch (command) {
    case Command::ToggleToday:
    case Command::Assign:
    case Command::Comment:
    case Command::Edit: state.enabled = editable; return;
    case Command::Mark: state.enabled = store.canMarkItems(items); return;
    case Command::MarkAsCompleted:
        state.visible = store.shouldDisplayMarkItemsAsCompleted(items);
        state.enabled = store.canMarkItemsAsCompleted(items);
        return;
    case Command::MarkAsUncompleted:
        state.visible = store.shouldDisplayMarkItemsAsUncompleted(items);
        state.enabled = store.canMarkItemsAsUncompleted(items);
        if (store.shouldDisplayMarkItemsAsCompleted(items))
            state.keys.clear();
        return;
    case Command::MarkAsCancelled:
        state.visible = store.shouldDisplayMarkItemsAsCancelled(items);
        state.enabled = store.canMarkItemsAsCancelled(items);
        return;
    case Command::Delete: state.enabled = store.canDeleteItems(items); return;
    default: return;
    }
}

void KNVTTaskWindowController::performCommand(Command command, QWidget *source)
{
    if (m_taskViewController && m_taskViewController->takesCommand(command)) {
        m_taskViewController->performCommand(command, source);
        return;
    }
    switch (command) {
    case Command::ToggleToday: toggleToday(source); return;
    case Command::Assign: assign(source); return;
    case Command::Comment: comment(source); return;
    case Command::Edit: edit(source); return;
    case Command::Delete: deleteTask(source); return;
    case Command::Done:
    case Command::Close:
        // What is typed in a form of this window is not dropped without asking, as in every window.
        if (knvt::UnsavedTyping::mayDiscard(this))
            dismiss(source);
        return;
    case Command::NewTask:
    case Command::Quit: knvt::ApplicationCommands::performCommand(command); return;
    case Command::MarkAsCompleted:
    case Command::MarkAsUncompleted:
    case Command::MarkAsCancelled: {
        KNVTCDTask *shown = task();
        if (!shown)
            return;
        if (command == Command::MarkAsCompleted)
            shown->markAsCompleted();
        else if (command == Command::MarkAsUncompleted)
            shown->markAsUncompleted();
        else
            shown->markAsCancelled();
        knvt::taskStore().saveUserChanges();
        return;
    }
    default: return;
    }
}

void KNVTTaskWindowController::taskStoreWillChange(bool madeElsewhere)
{
    // A window already closed waits only for its release: its task is no longer looked up.
    if (m_taskDropped)
        return;
    if (!task()) {
        // The window itself holds nothing typed; a form open in it tells of its own text, in the same alert.
        knvt::tellObjectWentAway(knvt::EditedObject::Task, windowTitle(), this, knvt::whoseChange(madeElsewhere),
                                 false);
        m_taskDropped = true;
        dismiss();
        return;
    }
    updateToolbar();
}

knvt::Popover *KNVTTaskWindowController::makePopover(QWidget *content, const QString &name,
                                                     knvt::Popover::Behavior behavior)
{
    auto *popover = new knvt::Popover(this);
    popover->setObjectName(name);
    popover->setBehavior(behavior);
    popover->setAnimates(true);
    popover->setContentWidget(content);
    connect(popover, &knvt::Popover::closed, this, [popover] { popover->deleteLater(); });
    return popover;
}

void KNVTTaskWindowController::toggleToday(QObject *)
{
    KNVTCDTask *shown = task();
    if (!shown)
        return;
    knvt::taskStore().toggleToday({shown});
}

void KNVTTaskWindowController::comment(QObject *sender)
{
    if (m_taskCommentNewPopover && m_taskCommentNewPopover->closeUnlessTyping())
        return;
    auto *anchor = qobject_cast<QWidget *>(sender);
    KNVTCDTask *shown = task();
    if (!shown || !anchor)
        return;
    auto *composer = new KNVTTaskCommentNewViewController(shown, QString());
    // A comment being typed stays open under an alert, as the forms of the main window do.
    knvt::Popover *popover =
        makePopover(composer->view(), QStringLiteral("taskCommentNewPopover"), knvt::Popover::Behavior::SemiTransient);
    composer->setParent(popover);
    composer->setPopover(popover);
    m_taskCommentNewPopover = popover;
    popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
}

void KNVTTaskWindowController::assign(QObject *sender)
{
    if (m_assignTaskPopover && m_assignTaskPopover->closeUnlessTyping())
        return;
    auto *anchor = qobject_cast<QWidget *>(sender);
    KNVTCDTask *shown = task();
    if (!shown || !anchor)
        return;
    auto *form = new KNVTTasksAssignViewController({shown});
    knvt::Popover *popover =
        makePopover(form->view(), QStringLiteral("assignTaskPopover"), knvt::Popover::Behavior::Transient);
    form->setParent(popover);
    form->setPopover(popover);
    m_assignTaskPopover = popover;
    popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
}

void KNVTTaskWindowController::edit(QObject *sender)
{
    if (m_taskEditPopover && m_taskEditPopover->closeUnlessTyping())
        return;
    KNVTCDTask *shown = task();
    if (!shown)
        return;
    auto *anchor = qobject_cast<QWidget *>(sender);
    if (anchor && anchor->window() == this) {
        auto *form = new KNVTTaskEditViewController(shown);
        // The edit form stays open under an alert (one about this window or raised from another), as the main
        // window's does; a pop-up would close with everything typed in it.
        auto *popover = new knvt::Popover(this);
        popover->setObjectName(QStringLiteral("taskEditPopover"));
        popover->setBehavior(knvt::Popover::Behavior::SemiTransient);
        popover->setAnimates(true);
        form->setParent(popover);
        form->setPopover(popover);
        popover->setContentWidget(form->view());
        connect(popover, &knvt::Popover::closed, this, [popover] { popover->deleteLater(); });
        m_taskEditPopover = popover;
        popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
        form->titleTextField()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_taskEditWindowController)
        return;
    auto *sheet = new KNVTTaskEditWindowController(shown, this);
    m_taskEditWindowController = sheet;
    connect(sheet, &QDialog::finished, this, [sheet] { sheet->deleteLater(); });
    sheet->setWindowModality(Qt::WindowModal);
    knvt::KeyboardOwner::open(sheet, knvt::Opener::User);
}

void KNVTTaskWindowController::deleteTask(QObject *)
{
    KNVTCDTask *shown = task();
    if (!shown)
        return;
    if (!knvt::confirmDeletingTasks(1, knvt::Opener::User))
        return;
    // The task may have gone while the question was open.
    shown = task();
    if (!shown)
        return;
    shown->markAsDeleted();
    knvt::scheduleTaskStoreSave(knvt::Opener::User, 0.0);
    m_taskDropped = true;
    dismiss();
}

void KNVTTaskWindowController::dismiss(QObject *)
{
    if (m_dismissHandler) {
        closePopovers();
        m_taskDropped = true;
        m_dismissHandler();
        return;
    }
    close();
}

void KNVTTaskWindowController::closePopovers()
{
    for (knvt::Popover *popover :
         {m_taskEditPopover.data(), m_taskCommentNewPopover.data(), m_assignTaskPopover.data()}) {
        if (popover)
            popover->performClose();
    }
    if (m_taskEditWindowController)
        m_taskEditWindowController->dismiss();
}

void KNVTTaskWindowController::keyPressEvent(QKeyEvent *event)
{
    // Escape that no control of the window took closes it, as it closes a dialog, and asks first as Done does.
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        performCommand(Command::Done, nullptr);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void KNVTTaskWindowController::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    closePopovers();
    if (KNVTTaskWindowControllerDelegate *delegate = m_delegate.get())
        delegate->taskWindowControllerWillClose(this);
    m_taskDropped = true;
}
