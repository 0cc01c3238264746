#pragma once

#include "uikit/AlertPresenter.h"

#include <QList>

#include <functional>

namespace knvt {

// Answers alerts from a script instead of showing them, and records what was asked. Installs itself as the shared
// presenter for its lifetime. An alert with no scripted answer left is answered Stopped (as if it had been closed),
// and counted in unexpectedCount().
class ScriptedAlertPresenter : public AlertPresenter
{
public:
    ScriptedAlertPresenter();
    ~ScriptedAlertPresenter() override;
    ScriptedAlertPresenter(const ScriptedAlertPresenter &) = delete;
    ScriptedAlertPresenter &operator=(const ScriptedAlertPresenter &) = delete;

    // How a scripted answer is given: from the script, with nothing shown; or on the real alert shown on screen (the
    // application's own presenter, modal as it runs it), by a click of the pointer on the button, by Return (the
    // default button) or by Escape (Cancel), each through the window system as the user's input arrives; or on the
    // real alert, by the keys or clicks the scenario itself sends on the X server (in `whileShown` or after it), so that
    // it may go to each of several alerts waiting at once by the roads a user takes.
    enum class Input { Script, Pointer, Return, Escape, Scenario };

    // Queues an answer: choose the button at `index`.
    void answerWithIndex(qsizetype index, bool suppressed = false);
    // Queues an answer: choose the button titled `title`; an alert without such a button is answered Stopped.
    // `whileShown` runs while the alert is up, before the answer is given: a person takes a moment to read, and the
    // event loop runs under a real modal alert meanwhile (work queued before the alert, a save, runs first).
    void answerWithTitle(const QString &title, bool suppressed = false, std::function<void()> whileShown = {},
                         Input input = Input::Script);
    // Queues an answer: close the alert without a button.
    void answerStopped();

    Response runModal(const Request &request) override;

    const QList<Request> &requests() const { return m_requests; }
    qsizetype pendingAnswerCount() const { return m_answers.size(); }
    int unexpectedCount() const { return m_unexpected; }

private:
    struct Answer
    {
        qsizetype index = -1;
        QString title;
        bool byTitle = false;
        bool stopped = false;
        bool suppressed = false;
        std::function<void()> whileShown;
        Input input = Input::Script;
    };

    // Shows the alert with the application's presenter and gives the answer on it as the user would.
    Response answerOnScreen(const Request &request, const Answer &answer);

    QList<Answer> m_answers;
    QList<Request> m_requests;
    int m_unexpected = 0;
};

} // namespace knvt
