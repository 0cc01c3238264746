#include "editors/KNVTTaskCommentNewViewController.h"

#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTask.h"

#include "uikit/Beeper.h"
#include "uikit/KNVTTextView.h"

#include "store/TaskStoreChanges.h"

#include "foundation/NotificationCenter.h"

KNVTTaskCommentNewViewController::KNVTTaskCommentNewViewController(KNVTCDTask *task, const QString &commentText,
                                                                   QObject *parent)
    : knvt::CommentViewController(commentText, false, parent),
      m_taskURI(task ? task->uri() : QUrl()),
      m_taskTitle(task ? task->title() : QString())
{
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(), this,
        [this](const knvt::Notification &notification) {
            if (!this->task())
                closeBecauseGone(knvt::EditedObject::Task, m_taskTitle,
                                 knvt::TaskStoreChanges::madeElsewhere(notification));
        });
}

KNVTTaskCommentNewViewController::~KNVTTaskCommentNewViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

KNVTCDTask *KNVTTaskCommentNewViewController::task() const
{
    return knvt::liveObject<KNVTCDTask>(m_taskURI);
}

void KNVTTaskCommentNewViewController::save(QObject *)
{
    const QString text = commentTextView() ? commentTextView()->trimmedString() : QString();
    if (text.isEmpty()) {
        knvt::Beeper::shared().beep();
        return;
    }
    KNVTCDTask *task = this->task();
    if (!task) {
        closeBecauseGone(knvt::EditedObject::Task, m_taskTitle, true);
        return;
    }
    knvt::taskStore().commentWithText(text, task);
    if (knvt::saveFormNow())
        closeHost();
}
