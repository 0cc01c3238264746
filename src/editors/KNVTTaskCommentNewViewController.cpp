#include "editors/KNVTTaskCommentNewViewController.h"

#include "editors/EditorObjects.h"
#include "editors/Logging.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTask.h"

#include "uikit/Beeper.h"
#include "uikit/KNVTTextView.h"

KNVTTaskCommentNewViewController::KNVTTaskCommentNewViewController(KNVTCDTask *task, const QString &commentText,
                                                                   QObject *parent)
    : knvt::CommentViewController(commentText, false, parent), m_taskURI(task ? task->uri() : QUrl())
{}

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
        qCInfo(lcEditors) << "KNVTTaskCommentNewViewController:save the task is gone; no comment is made";
        knvt::Beeper::shared().beep();
        closeHost();
        return;
    }
    knvt::taskStore().commentWithText(text, task);
    knvt::scheduleTaskStoreSave(SaveDelay);
    closeHost();
}
