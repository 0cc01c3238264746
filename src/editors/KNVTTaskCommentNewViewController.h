#pragma once

#include "editors/CommentViewController.h"

#include <QUrl>

class KNVTCDTask;

// The comment composer: a new comment on a task, saved 0.4 s after Save (or Ctrl+Return). The task is kept by its
// reference and looked up again at Save, so that a task deleted meanwhile gets no comment.
class KNVTTaskCommentNewViewController : public knvt::CommentViewController
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.4;

    KNVTTaskCommentNewViewController(KNVTCDTask *task, const QString &commentText, QObject *parent = nullptr);

    // nullptr once the task is gone.
    KNVTCDTask *task() const;

    // Blank text beeps; a task that is gone beeps and closes without a comment; otherwise the trimmed text becomes a
    // comment of the local user and the form closes.
    Q_INVOKABLE void save(QObject *sender = nullptr) override;

protected:
    QString formTitle() const override { return tr("New Comment"); }

private:
    QUrl m_taskURI;
};
