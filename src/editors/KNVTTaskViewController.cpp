#include "editors/KNVTTaskViewController.h"

#include "editors/EditorObjects.h"
#include "editors/KNVTTaskCommentEditViewController.h"
#include "editors/KNVTTaskRowLayout.h"
#include "editors/KNVTTaskTableView.h"
#include "editors/KNVTTaskViewModel.h"
#include "editors/Logging.h"
#include "editors/SaveScheduler.h"
#include "editors/TaskRowDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"

#include "uikit/AlertAdditions.h"
#include "uikit/Beeper.h"
#include "uikit/DeleteQuestion.h"
#include "uikit/Popover.h"
#include "uikit/UnsavedTyping.h"

#include "foundation/NotificationCenter.h"

#include <QVBoxLayout>

namespace {

using knvt::isGone;
using knvt::liveObject;

// The comment an editor popover edits.
constexpr char CommentProperty[] = "knvtEditedComment";

KNVTTaskStore &store()
{
    return knvt::taskStore();
}

} // namespace

KNVTTaskViewController::KNVTTaskViewController(KNVTCDTask *task, QObject *parent)
    : KNVTViewController(parent), m_task(task), m_taskURI(task ? task->uri() : QUrl())
{}

KNVTTaskViewController::~KNVTTaskViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    for (const QPointer<knvt::Popover> &popover : std::as_const(m_commentEditPopovers)) {
        // An editor that holds typing is the user's, not the detail's: like the form popovers, it stays open when
        // the window shows another task or none (a click on another row or on the empty list), and goes when it
        // closes.
        if (popover && !knvt::UnsavedTyping::holdsTyping(popover))
            popover->deleteLater();
    }
}

void KNVTTaskViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("taskView"));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(1, 0, 1, 0);
    m_tableView = new KNVTTaskTableView(view);
    m_tableView->setObjectName(QStringLiteral("tableView"));
    m_tableView->setTaskViewController(this);
    layout->addWidget(m_tableView);

    m_model = new KNVTTaskViewModel(this);
    knvt::TaskRowDelegate::Actions actions;
    actions.rowWidth = [this] { return rowWidth(); };
    actions.toggleStatus = [this] { toggleStatus(); };
    actions.editComment = [this](const QUrl &uri, const QRect &button) { editTaskComment(uri, button); };
    actions.deleteComment = [this](const QUrl &uri) { deleteTaskComment(uri); };
    m_rowDelegate = new knvt::TaskRowDelegate(std::move(actions), &m_textHeights, this);
    m_tableView->setItemDelegate(m_rowDelegate);
    m_tableView->setModel(m_model);
    setView(view);
}

void KNVTTaskViewController::viewDidLoad()
{
    m_loaded = true;
    updateCells();
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    center.addObserver(QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &store(), this,
                       [this](const knvt::Notification &) { taskStoreWillChange(); });
    center.addObserver(QString::fromLatin1(KNVTTaskStoreDidChangeNotification), &store(), this,
                       [this](const knvt::Notification &) { taskStoreDidChange(); });
}

int KNVTTaskViewController::rowWidth() const
{
    // The rows' own width: the viewport is narrower than the view by the scroll bar while one shows, and the dates
    // right-aligned in the rows would be cut by it.
    const QWidget *shown = viewIfLoaded();
    if (!shown)
        return 0;
    if (!m_tableView)
        return std::max(0, shown->width() - 2);
    const QWidget *viewport = m_tableView->viewport();
    const int bar = m_tableView->scrollBarWidthToCome();
    if (bar == 0)
        return viewport->width();
    // Rows measured at the whole width are all measured again as soon as their heights bring the scroll bar in,
    // which doubles the time a long comment thread takes to open. When even their least heights (no line of text)
    // overflow the viewport, the bar is sure to come, and they are measured at the width it leaves.
    int least = 0;
    for (int i = 0, count = m_model->rowCount(); i < count && least <= viewport->height(); ++i) {
        KNVTTaskViewModel::Row bare;
        bare.kind = m_model->row(i).kind;
        least += KNVTTaskRowLayout::layoutForRow(bare, viewport->width()).height;
    }
    return least > viewport->height() ? viewport->width() - bar : viewport->width();
}

void KNVTTaskViewController::setTask(KNVTCDTask *task)
{
    m_task = task;
    m_taskURI = task ? task->uri() : QUrl();
    if (m_loaded)
        updateCells();
}

void KNVTTaskViewController::updateCells()
{
    if (!m_model)
        return;
    m_model->setRows(KNVTTaskViewModel::rowsForTask(m_task, store().me()));
}

void KNVTTaskViewController::taskStoreWillChange()
{
    if (!m_task)
        return;
    if (isGone(m_task)) {
        // The rows stay as they are: the hosts replace the view or close the window.
        m_task = nullptr;
    }
}

void KNVTTaskViewController::taskStoreDidChange()
{
    if (!m_task)
        return;
    // The rows change in place (KNVTTaskViewModel::setRows), so the view keeps its scroll position by itself.
    setTask(dynamic_cast<KNVTCDTask *>(store().objectForURI(m_taskURI)));
}

void KNVTTaskViewController::toggleStatus()
{
    if (!m_task || isGone(m_task))
        return;
    if (m_task->isCompletedOrCancelled())
        m_task->markAsUncompleted();
    else
        m_task->markAsCompleted();
    store().saveUserChanges();
}

void KNVTTaskViewController::toggleToday()
{
    if (!m_task || isGone(m_task))
        return;
    store().toggleToday({m_task});
}

knvt::Popover *KNVTTaskViewController::taskCommentEditPopover(const QUrl &commentURI) const
{
    if (knvt::Popover *own = m_commentEditPopovers.value(commentURI))
        return own;
    // One that an earlier detail of the window left open.
    QWidget *window = m_tableView ? m_tableView->window() : nullptr;
    if (!window)
        return nullptr;
    const QList<knvt::Popover *> popovers =
        window->findChildren<knvt::Popover *>(QStringLiteral("taskCommentEditPopover"), Qt::FindDirectChildrenOnly);
    for (knvt::Popover *popover : popovers)
        if (popover->isShown() && popover->property(CommentProperty).toUrl() == commentURI)
            return popover;
    return nullptr;
}

void KNVTTaskViewController::editTaskComment(const QUrl &commentURI, const QRect &button)
{
    if (knvt::Popover *open = taskCommentEditPopover(commentURI); open && open->closeUnlessTyping())
        return;
    KNVTCDTaskComment *comment = liveObject<KNVTCDTaskComment>(commentURI);
    if (!comment || !m_tableView) {
        qCInfo(lcEditors) << "KNVTTaskViewController:editTaskComment the comment is gone";
        knvt::Beeper::shared().beep();
        return;
    }
    auto *popover = new knvt::Popover(m_tableView->window());
    popover->setObjectName(QStringLiteral("taskCommentEditPopover"));
    popover->setProperty(CommentProperty, commentURI);
    popover->setBehavior(knvt::Popover::Behavior::SemiTransient);
    popover->setAnimates(true);
    auto *editor = new KNVTTaskCommentEditViewController(comment, QString(), popover);
    editor->setPopover(popover);
    popover->setContentWidget(editor->view());
    m_commentEditPopovers.insert(commentURI, popover);
    connect(popover, &knvt::Popover::closed, this, [this, commentURI, popover] {
        if (m_commentEditPopovers.value(commentURI) == popover)
            m_commentEditPopovers.remove(commentURI);
    });
    connect(popover, &knvt::Popover::closed, popover, &QObject::deleteLater);
    popover->showRelativeTo(button, m_tableView->viewport(), knvt::Opener::User);
}

void KNVTTaskViewController::deleteTaskComment(const QUrl &commentURI)
{
    if (knvt::runModal(knvt::deleteRequest(tr("Delete Comment?"), false, knvt::Opener::User)) != 0)
        return;
    KNVTCDTaskComment *comment = liveObject<KNVTCDTaskComment>(commentURI);
    if (!comment)
        return;
    store().removeTaskComment(comment);
    knvt::scheduleTaskStoreSave(knvt::Opener::User, 0.0);
}

bool KNVTTaskViewController::takesCommand(knvt::Command command) const
{
    if ((command != knvt::Command::Delete && command != knvt::Command::Edit) || !m_tableView || !m_model
        || m_tableView->window()->focusWidget() != m_tableView)
        return false;
    const QModelIndex current = m_tableView->currentIndex();
    if (!current.isValid())
        return false;
    const auto kind = KNVTTaskViewModel::Kind(current.data(KNVTTaskViewModel::KindRole).toInt());
    return kind == KNVTTaskViewModel::Kind::Comment || kind == KNVTTaskViewModel::Kind::MyComment;
}

void KNVTTaskViewController::validateCommand(knvt::Command command, knvt::CommandState &state)
{
    state.enabled = takesCommand(command);
}

void KNVTTaskViewController::performCommand(knvt::Command command, QWidget *)
{
    if (!takesCommand(command))
        return;
    const QModelIndex current = m_tableView->currentIndex();
    // The row's own buttons, as a click on them acts; another person's comment has none.
    const QString name =
        command == knvt::Command::Delete ? knvt::TaskRowDelegate::deleteTitle() : knvt::TaskRowDelegate::editTitle();
    for (const knvt::TaskRowDelegate::RowAction &action :
         m_rowDelegate->rowActions(current, m_tableView->visualRect(current).topLeft())) {
        if (action.name == name && action.perform) {
            action.perform();
            return;
        }
    }
    knvt::Beeper::shared().beep();
}
