#pragma once

#include "uikit/AlertPresenter.h"

#include <QList>

class QAbstractButton;
class QMessageBox;

namespace knvt {

// The real presenter: a QMessageBox, application-modal, opened through KeyboardOwner as the request's opener says: one
// the application raised by itself waits beside the user's work without the keyboard, and becomes modal once the user
// goes to it.
class MessageBoxAlertPresenter : public AlertPresenter
{
public:
    Response runModal(const Request &request) override;

    // The box for `request`, not shown, with its buttons in request order in `buttons` (Qt lays buttons out by
    // role, so the position in this list, not on screen, is the answer). The caller owns the box.
    static QMessageBox *createMessageBox(const Request &request, QList<QAbstractButton *> *buttons);

    // The response for a box that ended with `clicked` (nullptr when closed without a button).
    static qsizetype modalResponse(const QList<QAbstractButton *> &buttons, const QAbstractButton *clicked);
};

} // namespace knvt
