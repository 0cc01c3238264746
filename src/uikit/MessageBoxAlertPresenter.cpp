#include "uikit/MessageBoxAlertPresenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include <memory>

namespace knvt {

namespace {

// The box sizes itself to the width of its main text and wraps the explanation into that: a short title would leave
// a long explanation in a narrow column of many lines. The explanation asks for the width of its text, up to a
// comfortable line of about sixty characters, and never more than the screen has room for.
void widenExplanation(QMessageBox *box)
{
    auto *explanation = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    if (explanation == nullptr || explanation->text().isEmpty())
        return;
    const QFontMetrics metrics(explanation->font());
    const QScreen *screen = box->screen() != nullptr ? box->screen() : QGuiApplication::primaryScreen();
    const int room = screen != nullptr ? screen->availableGeometry().width() / 2 : 400;
    const int measure =
        std::min({metrics.horizontalAdvance(explanation->text()), 60 * metrics.averageCharWidth(), room});
    explanation->setMinimumWidth(measure);
}

} // namespace

QMessageBox *MessageBoxAlertPresenter::createMessageBox(const Request &request, QList<QAbstractButton *> *buttons)
{
    auto *box = new QMessageBox;
    box->setWindowModality(Qt::ApplicationModal);
    box->setText(request.title);
    box->setInformativeText(request.message);
    // Alerts quote titles and names the user typed or the service sent: they read as written, never as markup. The
    // box's own format reaches only the label of the title, so every label of the box is told.
    box->setTextFormat(Qt::PlainText);
    for (QLabel *label : box->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    const QIcon appIcon = QApplication::windowIcon();
    if (request.critical)
        box->setIcon(QMessageBox::Warning);
    else if (!appIcon.isNull())
        box->setIconPixmap(appIcon.pixmap(64, 64));
    const QString cancel = QApplication::translate("MessageBoxAlertPresenter", "Cancel");
    for (const QString &title : request.buttonTitles) {
        // Only a "Cancel" button answers Escape, as alerts do; every other button is an ordinary choice.
        const bool isCancel = title == cancel;
        QPushButton *button = box->addButton(title, isCancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (isCancel)
            box->setEscapeButton(button);
        buttons->append(button);
    }
    if (!buttons->isEmpty())
        box->setDefaultButton(static_cast<QPushButton *>(buttons->first()));
    if (request.showsSuppressionButton)
        box->setCheckBox(new QCheckBox(QApplication::translate("MessageBoxAlertPresenter", "Do not ask again")));
    widenExplanation(box);
    return box;
}

qsizetype MessageBoxAlertPresenter::modalResponse(const QList<QAbstractButton *> &buttons,
                                                  const QAbstractButton *clicked)
{
    const qsizetype position = clicked == nullptr ? -1 : buttons.indexOf(clicked);
    return position < 0 ? Stopped : FirstButtonResponse + position;
}

AlertPresenter::Response MessageBoxAlertPresenter::runModal(const Request &request)
{
    QList<QAbstractButton *> buttons;
    const std::unique_ptr<QMessageBox> box(createMessageBox(request, &buttons));
    // Without any button QMessageBox would add an OK button of its own, which is not one of ours.
    if (buttons.isEmpty())
        buttons.append(box->addButton(QMessageBox::Ok));
    box->exec();
    Response response;
    response.modalResponse = modalResponse(buttons, box->clickedButton());
    response.suppressed = box->checkBox() != nullptr && box->checkBox()->isChecked();
    return response;
}

} // namespace knvt
