#include "editors/KNVTTaskCommentEditViewController.h"

#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTaskComment.h"

#include "uikit/Beeper.h"
#include "uikit/KNVTTextView.h"

#include "store/TaskStoreChanges.h"

#include "foundation/NotificationCenter.h"

KNVTTaskCommentEditViewController::KNVTTaskCommentEditViewController(KNVTCDTaskComment *taskComment,
                                                                     const QString &commentText, QObject *parent)
    : knvt::CommentViewController(commentText, true, parent),
      m_taskCommentURI(taskComment ? taskComment->uri() : QUrl())
{
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(), this,
        [this](const knvt::Notification &notification) {
            if (!this->taskComment())
                closeBecauseGone(knvt::EditedObject::Comment, loadedText(),
                                 knvt::TaskStoreChanges::madeElsewhere(notification));
        });
}

KNVTTaskCommentEditViewController::~KNVTTaskCommentEditViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

KNVTCDTaskComment *KNVTTaskCommentEditViewController::taskComment() const
{
    return knvt::liveObject<KNVTCDTaskComment>(m_taskCommentURI);
}

QStringList KNVTTaskCommentEditViewController::typedText() const
{
    const QStringList typed = CommentViewController::typedText();
    return typed != QStringList{loadedText().trimmed()} ? typed : QStringList();
}

QString KNVTTaskCommentEditViewController::currentText() const
{
    const KNVTCDTaskComment *comment = taskComment();
    return comment ? comment->text() : QString();
}

void KNVTTaskCommentEditViewController::save(QObject *)
{
    const QString text = commentTextView() ? commentTextView()->trimmedString() : QString();
    if (text.isEmpty()) {
        knvt::Beeper::shared().beep();
        return;
    }
    KNVTCDTaskComment *comment = taskComment();
    if (!comment) {
        closeBecauseGone(knvt::EditedObject::Comment, loadedText(), true);
        return;
    }
    if (comment->text() != text) {
        comment->setText(text);
        if (!knvt::saveFormNow())
            return;
    }
    closeHost();
}

void KNVTTaskCommentEditViewController::remove(QObject *)
{
    KNVTCDTaskComment *comment = taskComment();
    if (!comment) {
        closeBecauseGone(knvt::EditedObject::Comment, loadedText(), true);
        return;
    }
    knvt::taskStore().removeTaskComment(comment);
    knvt::scheduleTaskStoreSave(knvt::Opener::User, SaveDelay);
    closeHost();
}
