#pragma once

#include "editors/CommentViewController.h"

#include <QUrl>

class KNVTCDTask;

// The comment composer: a new comment on a task, saved at Save (or Ctrl+Return); a save the library refuses leaves
// the composer open with the text. The task is kept by its
// reference and looked up again at Save and at every store change, so that a task deleted meanwhile gets no comment:
// the composer closes and tells the user so, with the text typed.
class KNVTTaskCommentNewViewController : public knvt::CommentViewController
{
    Q_OBJECT

public:
    KNVTTaskCommentNewViewController(KNVTCDTask *task, const QString &commentText, QObject *parent = nullptr);
    ~KNVTTaskCommentNewViewController() override;

    // nullptr once the task is gone.
    KNVTCDTask *task() const;

    // Blank text beeps; a task that is gone closes without a comment and says so; otherwise the trimmed text becomes a
    // comment of the local user and the form closes.
    Q_INVOKABLE void save(QObject *sender = nullptr) override;

protected:
    QString formTitle() const override { return tr("New Comment"); }

private:
    QUrl m_taskURI;
    // What the alert calls the task once it has gone.
    QString m_taskTitle;
};
