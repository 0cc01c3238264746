#pragma once

#include "uikit/GoneElsewhere.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTViewController.h"
#include "uikit/Popover.h"

#include <QPointer>
#include <QPushButton>
#include <QString>

namespace knvt {

// What the comment composer and the comment editor share: a text view where Return breaks the line and Ctrl+Return
// saves, Save enabled exactly while the text has something besides white space, Cancel that only closes, and the
// host (a popover or a window) that a finished form closes. The text view takes the keyboard focus whenever the
// form is shown, wherever it was made, so that what the user types goes into it.
class CommentViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // The hosts; either may be unset. Not owned.
    // The popover named by the host, or else the one holding the view.
    Popover *popover() const;
    void setPopover(Popover *popover) { m_popover = popover; }
    QWidget *window() const { return m_window; }
    void setWindow(QWidget *window) { m_window = window; }

    // All nullptr until the view is loaded. deleteButton is the editor's only.
    KNVTTextView *commentTextView() const { return m_commentTextView; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *deleteButton() const { return m_deleteButton; }

    void updateSaveButton();

    // The text typed here, which the alert gives back when the form closes by itself: the composer's whole text (the
    // editor's when changed).
    virtual QStringList typedText() const;

    Q_INVOKABLE virtual void save(QObject *sender = nullptr) = 0;
    Q_INVOKABLE void cancel(QObject *sender = nullptr);

protected:
    CommentViewController(QString commentText, bool hasDeleteButton, QObject *parent);

    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The text the view starts with when no initial text was given.
    virtual QString currentText() const { return QString(); }
    // The form's name, which screen readers give the popover or window that shows it.
    virtual QString formTitle() const = 0;
    virtual void deleteComment() {}
    // Closes the window when there is one and the popover when there is one.
    void closeHost();
    // The comment or task of that name went away (by a change made `elsewhere`, or by the user's own command here):
    // the user is told, with the text typed here, and the form closes. Once only.
    void closeBecauseGone(EditedObject object, const QString &name, bool elsewhere);
    // The text the view was loaded with.
    const QString &loadedText() const { return m_loadedText; }

private:
    QString m_commentText;
    QString m_loadedText;
    bool m_gone = false;
    bool m_hasDeleteButton;
    QPointer<Popover> m_popover;
    QPointer<QWidget> m_window;
    QPointer<KNVTTextView> m_commentTextView;
    QPointer<QPushButton> m_saveButton;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QPushButton> m_deleteButton;
};

} // namespace knvt
