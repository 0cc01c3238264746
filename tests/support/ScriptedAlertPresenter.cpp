#include "support/ScriptedAlertPresenter.h"

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

void ScriptedAlertPresenter::answerWithTitle(const QString &title, bool suppressed, std::function<void()> whileShown)
{
    Answer answer;
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

} // namespace knvt
