#include "Screenshots.h"

#include "uikit/MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <memory>

KNVT_SCREENSHOTS(Alert)
{
    knvt::AlertPresenter::Request request;
    request.title = QStringLiteral("Archive Project?");
    request.message = QStringLiteral("This project has open tasks. What should happen to them?");
    request.buttonTitles = {QStringLiteral("Mark Tasks as Completed"), QStringLiteral("Mark as Cancelled"),
                            QStringLiteral("Cancel")};
    QList<QAbstractButton *> buttons;
    const std::unique_ptr<QMessageBox> box(knvt::MessageBoxAlertPresenter::createMessageBox(request, &buttons));
    box->setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("three-buttons"), box.get());

    request.title = QStringLiteral("Delete Tasks?");
    request.message = QStringLiteral("This action cannot be undone.");
    request.buttonTitles = {QStringLiteral("Delete"), QStringLiteral("Cancel")};
    request.showsSuppressionButton = true;
    buttons.clear();
    const std::unique_ptr<QMessageBox> suppressible(
        knvt::MessageBoxAlertPresenter::createMessageBox(request, &buttons));
    suppressible->setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("suppression"), suppressible.get());
}
