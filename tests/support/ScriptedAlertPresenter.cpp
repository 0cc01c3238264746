#include "support/ScriptedAlertPresenter.h"

#include "uikit/MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace knvt {

ScriptedAlertPresenter::ScriptedAlertPresenter()
{
    setShared(this);
}

ScriptedAlertPresenter::~ScriptedAlertPresenter()
{
    if (&shared() == this)
        setShared(nullptr);
}

void ScriptedAlertPresenter::answerWithIndex(qsizetype index, bool suppressed)
{
    Answer answer;
    answer.index = index;
    answer.suppressed = suppressed;
    m_answers.append(answer);
}

void ScriptedAlertPresenter::answerWithTitle(const QString &title, bool suppressed, std::function<void()> whileShown,
                                             Input input)
{
    Answer answer;
    answer.input = input;
    answer.title = title;
    answer.byTitle = true;
    answer.suppressed = suppressed;
    answer.whileShown = std::move(whileShown);
    m_answers.append(answer);
}

void ScriptedAlertPresenter::answerStopped()
{
    Answer answer;
    answer.stopped = true;
    m_answers.append(answer);
}

AlertPresenter::Response ScriptedAlertPresenter::runModal(const Request &request)
{
    m_requests.append(request);
    Response response;
    if (m_answers.isEmpty()) {
        ++m_unexpected;
        return response;
    }
    const Answer answer = m_answers.takeFirst();
    if (answer.input != Input::Script)
        return answerOnScreen(request, answer);
    if (answer.whileShown)
        answer.whileShown();
    response.suppressed = request.showsSuppressionButton && answer.suppressed;
    if (answer.stopped)
        return response;
    const qsizetype index = answer.byTitle ? request.buttonTitles.indexOf(answer.title) : answer.index;
    if (index >= 0 && index < request.buttonTitles.size())
        response.modalResponse = FirstButtonResponse + index;
    return response;
}

AlertPresenter::Response ScriptedAlertPresenter::answerOnScreen(const Request &request, const Answer &answer)
{
    auto *watch = new QTimer;
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, watch, [watch, answer] {
        // Modal, or waiting beside the user's typing for the user to go to it.
        QPointer<QMessageBox> box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        for (const QWidgetList windows = QApplication::topLevelWidgets(); QWidget * window : windows)
            if (box == nullptr && qobject_cast<QMessageBox *>(window) != nullptr && window->isVisible())
                box = static_cast<QMessageBox *>(window);
        if (box == nullptr || !box->isVisible() || box->windowHandle() == nullptr)
            return;
        watch->stop();
        watch->deleteLater();
        if (answer.whileShown)
            answer.whileShown();
        if (box == nullptr)
            return;
        QWindow *window = box->windowHandle();
        switch (answer.input) {
        case Input::Pointer:
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == answer.title) {
                    QTest::mouseClick(window, Qt::LeftButton, {}, button->mapTo(box, button->rect().center()));
                    return;
                }
            }
            box->close();
            return;
        case Input::Return:
        case Input::Escape:
            if (QApplication::activeModalWidget() != box) {
                ADD_FAILURE() << "no key reaches an alert waiting beside the typing: " << box->text().toStdString();
                box->reject();
            } else {
                QTest::keyClick(window, answer.input == Input::Return ? Qt::Key_Return : Qt::Key_Escape);
            }
            return;
        case Input::Script:
        case Input::Scenario: return;
        }
    });
    watch->start();
    MessageBoxAlertPresenter onScreen;
    return onScreen.runModal(request);
}

} // namespace knvt
