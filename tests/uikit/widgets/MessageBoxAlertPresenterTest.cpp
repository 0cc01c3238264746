#include "uikit/MessageBoxAlertPresenter.h"
#include "uikit/AlertAdditions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using knvt::AlertPresenter;
using knvt::MessageBoxAlertPresenter;

AlertPresenter::Request request(const QStringList &buttons, bool suppression = false)
{
    AlertPresenter::Request r{.opener = knvt::Opener::User};
    r.title = QStringLiteral("Delete Tag?");
    r.message = QStringLiteral("This action cannot be undone.");
    r.buttonTitles = buttons;
    r.showsSuppressionButton = suppression;
    return r;
}

// Waits for the modal message box and acts on it, the way a user would answer it.
void answerWhenShown(std::function<void(QMessageBox *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(box);
    });
    timer->start();
}

QAbstractButton *buttonTitled(QMessageBox *box, const QString &title)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

TEST(MessageBoxAlertPresenter, BuildsTheBoxFromTheRequest)
{
    QList<QAbstractButton *> buttons;
    const std::unique_ptr<QMessageBox> box(MessageBoxAlertPresenter::createMessageBox(
        request({QStringLiteral("Delete"), QStringLiteral("Cancel")}, true), &buttons));
    EXPECT_EQ(box->text(), QStringLiteral("Delete Tag?"));
    EXPECT_EQ(box->informativeText(), QStringLiteral("This action cannot be undone."));
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons.at(0)->text(), QStringLiteral("Delete"));
    EXPECT_EQ(buttons.at(1)->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(box->defaultButton(), buttons.at(0));
    EXPECT_EQ(box->escapeButton(), buttons.at(1));
    ASSERT_NE(box->checkBox(), nullptr);
    EXPECT_EQ(box->checkBox()->text(), QStringLiteral("Do not ask again"));

    EXPECT_EQ(MessageBoxAlertPresenter::modalResponse(buttons, buttons.at(1)), 1001);
    EXPECT_EQ(MessageBoxAlertPresenter::modalResponse(buttons, nullptr), AlertPresenter::Stopped);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);

    AlertPresenter::Request critical = request({QStringLiteral("OK")}, false);
    critical.critical = true;
    QList<QAbstractButton *> criticalButtons;
    const std::unique_ptr<QMessageBox> criticalBox(
        MessageBoxAlertPresenter::createMessageBox(critical, &criticalButtons));
    EXPECT_EQ(criticalBox->icon(), QMessageBox::Warning);
}

TEST(MessageBoxAlertPresenter, TitlesAndNamesQuotedInAnAlertReadAsWrittenInBothLines)
{
    AlertPresenter::Request quoting = request({QStringLiteral("Stop Sharing"), QStringLiteral("Cancel")});
    quoting.title = QStringLiteral("Stop sharing \"<b>Garden</b> <img src=\"file:///tmp/x.png\">\"?");
    quoting.message = QStringLiteral("<a href=\"https://example.com/\">Ann</a> will no longer see it.");
    MessageBoxAlertPresenter presenter;
    answerWhenShown([&quoting](QMessageBox *box) {
        for (const auto &[name, text] :
             {std::pair{"qt_msgbox_label", quoting.title}, std::pair{"qt_msgbox_informativelabel", quoting.message}}) {
            SCOPED_TRACE(name);
            const auto *label = box->findChild<QLabel *>(QLatin1String(name));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            EXPECT_EQ(label->text(), text);
        }
        buttonTitled(box, QStringLiteral("Cancel"))->click();
    });
    EXPECT_EQ(presenter.runModal(quoting).modalResponse, 1001);
}

TEST(MessageBoxAlertPresenter, AReallyRunBoxReportsThePositionOfTheClickedButton)
{
    AlertPresenter::setShared(nullptr);
    answerWhenShown([](QMessageBox *box) {
        EXPECT_EQ(box->text(), QStringLiteral("Archive Project?"));
        buttonTitled(box, QStringLiteral("Mark as Cancelled"))->click();
    });
    std::optional<qsizetype> chosen;
    knvt::synchronouslyRunModalWithTitle(
        QStringLiteral("Archive Project?"), QStringLiteral("It has open tasks."),
        {QStringLiteral("Mark Tasks as Completed"), QStringLiteral("Mark as Cancelled"), QStringLiteral("Cancel")},
        knvt::Opener::User, [&](qsizetype index) { chosen = index; });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, 1);
}

TEST(MessageBoxAlertPresenter, ClosingWithoutAButtonIsAStopAndTheSuppressionBoxIsRead)
{
    MessageBoxAlertPresenter presenter;
    answerWhenShown([](QMessageBox *box) { box->reject(); });
    EXPECT_EQ(presenter.runModal(request({QStringLiteral("Delete"), QStringLiteral("Keep")})).modalResponse,
              AlertPresenter::Stopped);

    answerWhenShown([](QMessageBox *box) {
        box->checkBox()->setChecked(true);
        buttonTitled(box, QStringLiteral("Cancel"))->click();
    });
    const AlertPresenter::Response response =
        presenter.runModal(request({QStringLiteral("Delete"), QStringLiteral("Cancel")}, true));
    EXPECT_EQ(response.modalResponse, 1001);
    EXPECT_TRUE(response.suppressed);
}

} // namespace
