#pragma once

#include "foundation/JSONDocument.h"

#include <QObject>
#include <QString>

#include <functional>

class KNVTAccountRequest;

// The check of a user name and password that the sign-in forms and the re-authentication sheet run: one read of the
// account with the credentials as typed. It reads the answer into one of four outcomes and hands the form the
// credentials it sent, so a form only decides what to show. Made as a child of its form, like the request it runs.
class KNVTAccountCheck : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        ConnectionFailed, // no answer in time, or none at all
        Maintenance,      // 503: the service is down
        Refused,          // any other answer, a 200 without an account that can sign in included
        Accepted,         // 200 with an account that can sign in (knvt::accountWithOwner)
    };

    struct Result
    {
        Outcome outcome = Outcome::ConnectionFailed;
        knvt::JSONDocument account; // when accepted
        QString username;           // as sent
        QString password;           // as sent
    };
    using Handler = std::function<void(const Result &result)>;

    // `applicationHeaders`: whether the check identifies the application (the sign-in forms do, the sheet does not).
    KNVTAccountCheck(QObject *form, bool applicationHeaders, Handler handler);
    ~KNVTAccountCheck() override;

    void start(const QString &username, const QString &password);
    // A cancelled check's answer changes nothing.
    void cancel();
    bool isRunning() const;

private:
    bool m_applicationHeaders;
    Handler m_handler;
    KNVTAccountRequest *m_request;
    QString m_username;
    QString m_password;
};
