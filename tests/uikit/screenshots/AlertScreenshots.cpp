#include "Screenshots.h"

#include "uikit/MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <memory>

KNVT_SCREENSHOTS(Alert)
{
    knvt::test::addFixtureTexts({QStringLiteral("Archive Project?"), QStringLiteral("Mark Tasks as Completed"),
                                 QStringLiteral("Mark as Cancelled"), QStringLiteral("Cancel"),
                                 QStringLiteral("This project has open tasks. What should happen to them?"),
                                 QStringLiteral("Delete Tasks?"), QStringLiteral("Delete"),
                                 QStringLiteral("This action cannot be undone.")});
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

    // The longest text an alert is given: the sign-in's answer while the sync service is down for maintenance, as the
    // main text and as the explanation under it.
    const QString maintenance = QStringLiteral("We are unable to verify your username and password at the moment, as "
                                               "the service is currently down for maintenance. Please try again in a "
                                               "few minutes.");
    knvt::test::addFixtureTexts({maintenance, QStringLiteral("Unable to Sign In"), QStringLiteral("Dismiss")});
    request = {};
    request.title = maintenance;
    request.buttonTitles = {QStringLiteral("Dismiss")};
    request.critical = true;
    buttons.clear();
    const std::unique_ptr<QMessageBox> longTitle(knvt::MessageBoxAlertPresenter::createMessageBox(request, &buttons));
    longTitle->setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("maintenance-title"), longTitle.get(), true);

    request.title = QStringLiteral("Unable to Sign In");
    request.message = maintenance;
    buttons.clear();
    const std::unique_ptr<QMessageBox> longMessage(knvt::MessageBoxAlertPresenter::createMessageBox(request, &buttons));
    longMessage->setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("maintenance-message"), longMessage.get(), true);
}
