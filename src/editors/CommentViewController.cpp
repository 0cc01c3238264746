#include "editors/CommentViewController.h"

#include "editors/CancelAndSaveButtons.h"
#include "editors/HostPopover.h"

#include "uikit/KNVTTextView.h"
#include "uikit/Popover.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace knvt {

CommentViewController::CommentViewController(QString commentText, bool hasDeleteButton, QObject *parent)
    : KNVTViewController(parent), m_commentText(std::move(commentText)), m_hasDeleteButton(hasDeleteButton)
{}

void CommentViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QString::fromLatin1(metaObject()->className()));
    view->setAccessibleName(formTitle());
    view->setFixedWidth(340);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);

    m_commentTextView = new KNVTTextView(view);
    m_commentTextView->setObjectName(QStringLiteral("commentTextView"));
    m_commentTextView->setMinimumHeight(96);
    m_commentTextView->setTabChangesFocus(true);
    m_commentTextView->setAccessibleName(tr("Comment"));
    layout->addWidget(m_commentTextView);

    if (m_hasDeleteButton) {
        m_deleteButton = new QPushButton(tr("Delete"), view);
        m_deleteButton->setObjectName(QStringLiteral("deleteButton"));
        m_deleteButton->setAutoDefault(false);
        connect(m_deleteButton, &QPushButton::clicked, this, [this] { deleteComment(); });
    }
    const CancelAndSaveButtons buttons = CancelAndSaveButtons::add(layout, view, nullptr, m_deleteButton);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });
    setView(view);
}

void CommentViewController::viewDidLoad()
{
    m_loadedText = m_commentText.isEmpty() ? currentText() : m_commentText;
    m_commentTextView->setPlainText(m_loadedText);
    m_commentTextView->moveCursor(QTextCursor::End);
    updateSaveButton();
    m_commentTextView->setReturnBehaviour(1);
    m_commentTextView->setReturnTarget(this);
    m_commentTextView->setReturnAction(QByteArrayLiteral("save"));
    connect(m_commentTextView, &KNVTTextView::textChanged, this, &CommentViewController::updateSaveButton);
    m_commentTextView->setFocus(Qt::OtherFocusReason);
    // A view made before its host is shown, or moved into a popover afterwards, loses that focus on the way: the
    // text view takes it again when the form appears.
    view()->installEventFilter(this);
}

bool CommentViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewIfLoaded() && event->type() == QEvent::Show && m_commentTextView)
        m_commentTextView->setFocus(Qt::OtherFocusReason);
    return KNVTViewController::eventFilter(watched, event);
}

void CommentViewController::updateSaveButton()
{
    if (m_saveButton && m_commentTextView)
        m_saveButton->setEnabled(!m_commentTextView->trimmedString().isEmpty());
}

Popover *CommentViewController::popover() const
{
    return hostPopover(m_popover, viewIfLoaded());
}

void CommentViewController::cancel(QObject *)
{
    closeHost();
}

QStringList CommentViewController::typedText() const
{
    const QString typed = m_commentTextView ? m_commentTextView->trimmedString() : QString();
    return typed.isEmpty() ? QStringList() : QStringList{typed};
}

void CommentViewController::closeBecauseGone(EditedObject object, const QString &name, bool elsewhere)
{
    if (m_gone)
        return;
    m_gone = true;
    tellObjectWentAway(object, name, viewIfLoaded(), whoseChange(elsewhere), true, typedText());
    closeHost();
}

void CommentViewController::closeHost()
{
    if (m_window)
        m_window->close();
    if (Popover *shown = popover())
        shown->performClose();
}

} // namespace knvt
