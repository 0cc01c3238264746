#include "sync/SyncAnswerTable.h"

#include "service/KNVTRESTFulRequest.h"

namespace knvt {

namespace {

using Request = SyncAnswerTable::Request;
using Answer = SyncAnswerTable::Answer;
using Outcome = SyncAnswerTable::Outcome;

constexpr Outcome Done = Outcome::Done;
constexpr Outcome Gone = Outcome::ObjectGone;
constexpr Outcome Kept = Outcome::KeptToSendAgain;
constexpr Outcome Named = Outcome::KeptAndNamed;
constexpr Outcome Undone = Outcome::Undone;
constexpr Outcome Held = Outcome::HeldRefused;
constexpr Outcome Refused = Outcome::SessionRefused;

constexpr int kRequests = int(Request::Delete) + 1;
constexpr int kAnswers = int(Answer::TimedOut) + 1;

// A row per answer, a column per request, in the order of the enums. A read that failed is read again by the next
// session, and meanwhile nothing it would have named is judged gone. A change refused as it is (400, 409, 422) is named
// to the user rather than dropped; one the user may not make (403) is undone, as sending it again would only be
// refused again, except a new object, which is all the user's and is held until something changes. A 404 to a create,
// whose address stays what it was, would be answered so in every session: it is held as a 403 is. 403 and 404 to one
// list mean the user lost it; to a picture, that there is none to show. A 5xx to a create says nothing of whether the
// service made it first: the session asks where it lands before it is sent again.
constexpr Outcome kOutcomes[kAnswers][kRequests] = {
    // collection, list, avatar, create, update, delete
    {Done, Done, Done, Done, Done, Done},                   // Success
    {Kept, Kept, Kept, Kept, Kept, Kept},                   // UnreadableSuccess
    {Kept, Kept, Kept, Named, Named, Named},                // BadRequest
    {Refused, Refused, Refused, Refused, Refused, Refused}, // Unauthorized
    {Kept, Gone, Done, Held, Undone, Undone},               // Forbidden
    {Kept, Gone, Done, Held, Gone, Gone},                   // NotFound
    {Kept, Kept, Kept, Kept, Kept, Kept},                   // RequestTimeout
    {Kept, Kept, Kept, Named, Named, Named},                // Conflict
    {Refused, Refused, Refused, Refused, Refused, Refused}, // Gone
    {Kept, Kept, Kept, Named, Named, Named},                // Unprocessable
    {Kept, Kept, Kept, Kept, Kept, Kept},                   // TooManyRequests
    {Kept, Kept, Kept, Kept, Kept, Kept},                   // ServiceError
    {Kept, Kept, Kept, Kept, Kept, Kept},                   // ConnectionCut
    {Kept, Kept, Kept, Kept, Kept, Kept},                   // TimedOut
};

} // namespace

SyncAnswerTable::Request SyncAnswerTable::requestOf(const KNVTRESTFulRequest &request)
{
    switch (request.requestMethod()) {
    case KNVTRequestMethodPOST: return Request::Create;
    case KNVTRequestMethodPUT: return Request::Update;
    case KNVTRequestMethodDELETE: return Request::Delete;
    case KNVTRequestMethodGET: break;
    }
    if (request.resources().size() > 1)
        return Request::AvatarRead;
    return KNVTRESTFulRequest::isNoIdentifier(request.identifier()) ? Request::CollectionRead : Request::ListRead;
}

SyncAnswerTable::Answer SyncAnswerTable::answerOf(const KNVTRESTFulRequest &request)
{
    if (const Error requestError = request.requestError()) {
        const qint64 status = requestError.code();
        switch (status) {
        case 401: return Answer::Unauthorized;
        case 403: return Answer::Forbidden;
        case 404: return Answer::NotFound;
        case 408: return Answer::RequestTimeout;
        case 409: return Answer::Conflict;
        case 410: return Answer::Gone;
        case 422: return Answer::Unprocessable;
        case 429: return Answer::TooManyRequests;
        default: return status >= 500 ? Answer::ServiceError : Answer::BadRequest;
        }
    }
    if (const Error error = request.error()) {
        constexpr qint64 kOperationTimedOut = 28; // CURLE_OPERATION_TIMEDOUT
        return error.domain() == QLatin1String(CURLErrorDomain) && error.code() == kOperationTimedOut
            ? Answer::TimedOut
            : Answer::ConnectionCut;
    }
    return Answer::Success;
}

SyncAnswerTable::Outcome SyncAnswerTable::outcome(Request request, Answer answer)
{
    return kOutcomes[int(answer)][int(request)];
}

bool SyncAnswerTable::stopsSession(Answer answer)
{
    return answer == Answer::Unauthorized || answer == Answer::Gone || answer == Answer::ConnectionCut
        || answer == Answer::TimedOut;
}

} // namespace knvt
