#include "editors/KNVTTaskWindowController.h"

#include "editors/EditorObjects.h"
#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTasksAssignViewController.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTFocusType.h"

#include "uikit/AlertAdditions.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/KNVTTextField.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"

#include <QCloseEvent>

namespace {

QToolButton *toolButton(QToolBar *toolbar, const QString &name, const QString &title)
{
    auto *button = new QToolButton(toolbar);
    button->setObjectName(name);
    button->setText(title);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar->addWidget(button);
    return button;
}

} // namespace

KNVTTaskWindowController::KNVTTaskWindowController(KNVTCDTask *task, QWidget *parent)
    : QMainWindow(parent), m_taskURI(task ? task->uri() : QUrl())
{
    setObjectName(QStringLiteral("KNVTTaskWindowController"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    // The toolbar is fixed: it cannot be moved, floated, hidden or customised.
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_todayButton = toolButton(m_toolbar, QStringLiteral("todayButton"), tr("Today"));
    m_assignButton = toolButton(m_toolbar, QStringLiteral("assignButton"), tr("Assign"));
    m_commentButton = toolButton(m_toolbar, QStringLiteral("commentButton"), tr("Comment"));
    m_editButton = toolButton(m_toolbar, QStringLiteral("editButton"), tr("Edit"));
    auto *spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_doneButton = toolButton(m_toolbar, QStringLiteral("doneButton"), tr("Done"));
    connect(m_todayButton, &QToolButton::clicked, this, [this] { toggleToday(m_todayButton); });
    connect(m_assignButton, &QToolButton::clicked, this, [this] { assign(m_assignButton); });
    connect(m_commentButton, &QToolButton::clicked, this, [this] { comment(m_commentButton); });
    connect(m_editButton, &QToolButton::clicked, this, [this] { edit(m_editButton); });
    connect(m_doneButton, &QToolButton::clicked, this, [this] { dismiss(m_doneButton); });

    m_taskViewController = new KNVTTaskViewController(task, this);
    setCentralWidget(m_taskViewController->view());
    resize(420, 520);
    updateToolbar();
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(), this,
        [this](const knvt::Notification &) { taskStoreWillChange(); });
}

KNVTTaskWindowController::~KNVTTaskWindowController()
{
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
    setWindowTitle(shown->title());
    const bool editable = shown->canEdit() && !shown->isArchived();
    for (QToolButton *button : {m_todayButton, m_assignButton, m_commentButton, m_editButton})
        button->setEnabled(editable);
}

void KNVTTaskWindowController::taskStoreWillChange()
{
    if (!task()) {
        m_taskDropped = true;
        dismiss();
        return;
    }
    updateToolbar();
}

knvt::Popover *KNVTTaskWindowController::makePopover(QWidget *content, const QString &name)
{
    auto *popover = new knvt::Popover(this);
    popover->setObjectName(name);
    popover->setBehavior(knvt::Popover::Behavior::Transient);
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
    shown->setFocusType(shown->isToday() ? KNVTFocusTypeNext : KNVTFocusTypeToday);
    knvt::taskStore().saveUserChanges();
}

void KNVTTaskWindowController::comment(QObject *sender)
{
    if (m_taskCommentNewPopover) {
        m_taskCommentNewPopover->performClose();
        return;
    }
    auto *anchor = qobject_cast<QWidget *>(sender);
    KNVTCDTask *shown = task();
    if (!shown || !anchor)
        return;
    auto *composer = new KNVTTaskCommentNewViewController(shown, QString());
    knvt::Popover *popover = makePopover(composer->view(), QStringLiteral("taskCommentNewPopover"));
    composer->setParent(popover);
    composer->setPopover(popover);
    m_taskCommentNewPopover = popover;
    popover->showRelativeTo(QRect(), anchor);
}

void KNVTTaskWindowController::assign(QObject *sender)
{
    if (m_assignTaskPopover) {
        m_assignTaskPopover->performClose();
        return;
    }
    auto *anchor = qobject_cast<QWidget *>(sender);
    KNVTCDTask *shown = task();
    if (!shown || !anchor)
        return;
    auto *form = new KNVTTasksAssignViewController({shown});
    knvt::Popover *popover = makePopover(form->view(), QStringLiteral("assignTaskPopover"));
    form->setParent(popover);
    form->setPopover(popover);
    m_assignTaskPopover = popover;
    popover->showRelativeTo(QRect(), anchor);
}

void KNVTTaskWindowController::edit(QObject *sender)
{
    if (m_taskEditPopover) {
        m_taskEditPopover->performClose();
        return;
    }
    KNVTCDTask *shown = task();
    if (!shown)
        return;
    auto *anchor = qobject_cast<QWidget *>(sender);
    if (anchor && anchor->window() == this) {
        auto *form = new KNVTTaskEditViewController(shown);
        auto *popover = new knvt::Popover(this);
        popover->setObjectName(QStringLiteral("taskEditPopover"));
        popover->setBehavior(knvt::Popover::Behavior::Transient);
        popover->setAnimates(true);
        form->setParent(popover);
        form->setPopover(popover);
        popover->setContentWidget(form->view());
        connect(popover, &knvt::Popover::closed, this, [popover] { popover->deleteLater(); });
        m_taskEditPopover = popover;
        popover->showRelativeTo(QRect(), anchor);
        form->titleTextField()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_taskEditWindowController)
        return;
    auto *sheet = new KNVTTaskEditWindowController(shown, this);
    m_taskEditWindowController = sheet;
    connect(sheet, &QDialog::finished, this, [sheet] { sheet->deleteLater(); });
    sheet->open();
}

void KNVTTaskWindowController::deleteTask(QObject *)
{
    KNVTCDTask *shown = task();
    if (!shown)
        return;
    knvt::Defaults &defaults = knvt::Defaults::standard();
    const QString suppressionKey = QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey);
    if (!defaults.value(suppressionKey).toBool()) {
        knvt::AlertPresenter::Request request;
        request.title = QStringLiteral("Delete Task");
        request.message = QStringLiteral("This action cannot be undone.");
        request.buttonTitles = {QStringLiteral("Delete"), QStringLiteral("Cancel")};
        request.showsSuppressionButton = true;
        bool suppressed = false;
        const qsizetype answer = knvt::runModal(request, &suppressed);
        // The box counts whichever button was chosen.
        if (suppressed)
            defaults.setValue(suppressionKey, true);
        if (answer != 0)
            return;
        shown = task();
        if (!shown)
            return;
    }
    shown->markAsDeleted();
    knvt::scheduleTaskStoreSave(0.0);
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
