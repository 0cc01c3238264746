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
    knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
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
    request = {.opener = knvt::Opener::User};
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

    // A form that went away with 120 lines of notes typed: the text scrolls in a bounded area above the buttons.
    QStringList lines;
    for (int line = 1; line <= 120; ++line)
        lines << QStringLiteral("Coat %1 of the fence, the north side first").arg(line);
    knvt::test::addFixtureTexts({QStringLiteral("The task was deleted elsewhere."),
                                 QStringLiteral("Your changes were not saved. What you typed:"), QStringLiteral("OK"),
                                 lines.join(QLatin1Char('\n'))});
    request = {.opener = knvt::Opener::User};
    request.title = QStringLiteral("The task was deleted elsewhere.");
    request.message = QStringLiteral("Your changes were not saved. What you typed:");
    request.typed = lines.join(QLatin1Char('\n'));
    request.buttonTitles = {QStringLiteral("OK")};
    buttons.clear();
    const std::unique_ptr<QMessageBox> typed(knvt::MessageBoxAlertPresenter::createMessageBox(request, &buttons));
    typed->setWindowModality(Qt::NonModal);
    writer.save(QStringLiteral("typed-text"), typed.get(), true);
}
