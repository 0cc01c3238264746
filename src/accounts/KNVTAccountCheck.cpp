#include "accounts/KNVTAccountCheck.h"

#include "accounts/AccountService.h"
#include "accounts/KNVTAccountRequest.h"

#include <utility>

KNVTAccountCheck::KNVTAccountCheck(QObject *form, bool applicationHeaders, Handler handler)
    : QObject(form),
      m_applicationHeaders(applicationHeaders),
      m_handler(std::move(handler)),
      m_request(new KNVTAccountRequest(
          this,
          [this](const std::optional<knvt::HttpResponse> &response, const QByteArray &body, const knvt::Error &error) {
              Result result;
              result.username = std::exchange(m_username, QString());
              result.password = std::exchange(m_password, QString());
              if (!response || error) {
                  result.outcome = Outcome::ConnectionFailed;
              } else if (response->statusCode() == 503) {
                  result.outcome = Outcome::Maintenance;
              } else if (const std::optional<knvt::JSONDocument> account =
                             response->statusCode() == 200 ? knvt::accountWithOwner(body) : std::nullopt) {
                  result.outcome = Outcome::Accepted;
                  result.account = *account;
              } else {
                  result.outcome = Outcome::Refused;
              }
              if (m_handler)
                  m_handler(result);
          }))
{}

KNVTAccountCheck::~KNVTAccountCheck() = default;

void KNVTAccountCheck::start(const QString &username, const QString &password)
{
    m_username = username;
    m_password = password;
    m_request->start(knvt::accountVerificationURLRequest(username, password, m_applicationHeaders));
}

void KNVTAccountCheck::cancel()
{
    m_request->cancel();
    m_username.clear();
    m_password.clear();
}

bool KNVTAccountCheck::isRunning() const
{
    return m_request->isRunning();
}
