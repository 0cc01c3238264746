#pragma once

#include "editors/CommentViewController.h"

#include <QUrl>

class KNVTCDTaskComment;

// The editor of one of the local user's comments: a changed text is saved at Save, and the editor stays open with it
// when the library refuses the save; Delete removes the comment without asking. The comment is kept by its reference and looked up again whenever the editor acts; when a
// sync or another window deletes it, the editor closes at the next store change, or at a Save or Delete that finds it
// gone, and tells the user so with the text typed.
class KNVTTaskCommentEditViewController : public knvt::CommentViewController
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.4;

    // An empty `commentText` starts the text view with the comment's own text.
    KNVTTaskCommentEditViewController(KNVTCDTaskComment *taskComment, const QString &commentText,
                                      QObject *parent = nullptr);
    ~KNVTTaskCommentEditViewController() override;

    // nullptr once the comment is gone.
    KNVTCDTaskComment *taskComment() const;

    Q_INVOKABLE void save(QObject *sender = nullptr) override;
    Q_INVOKABLE void remove(QObject *sender = nullptr);

protected:
    QString currentText() const override;
    QStringList typedText() const override;
    QString formTitle() const override { return tr("Edit Comment"); }
    void deleteComment() override { remove(); }

private:
    QUrl m_taskCommentURI;
};
