#pragma once

class KNVTRESTFulRequest;

namespace knvt {

// What a session does with each answer of the service, by the request it answers: the one place where an answer is
// judged. The session's rules read it and carry its cells out; nothing else decides what a status means.
//
// No answer takes the user's work that has not reached the service: a reply that counts as success but cannot be read
// is no success (what it should have brought is still to fetch, and what it should have taken is still to send), an
// object the service says it no longer has keeps the user's unsent work until a read of the service settles where it
// stands, and a change the service refuses as it is stays, is sent again and is named to the user until the service
// takes it. Only a change the service does not allow is undone, and a new object it does not allow is kept unsent: the
// user made it and the service never had it. A failure puts off only what it concerns: the rest of the session is done
// as if it had not happened.
class SyncAnswerTable
{
public:
    enum class Request {
        // A list of every object of one kind: the account, friendships, invitations, the four collections of lists,
        // the Inbox, the tags.
        CollectionRead,
        // One list with its tasks.
        ListRead,
        // A user's picture.
        AvatarRead,
        Create,
        Update,
        Delete,
    };
    enum class Answer {
        // Any status below 400 or above 599 with a body that reads as the request's reply: none (a 304, or a delete
        // answered with no body), or one that reads as what was asked (the object a create, an update or a delete
        // concerns).
        Success,
        // The same with a body that does not, an update's empty one included: its answer holds the object.
        UnreadableSuccess,
        // 400, and every 4xx not named below: the service will not take the request as it is.
        BadRequest,
        Unauthorized,    // 401
        Forbidden,       // 403
        NotFound,        // 404
        RequestTimeout,  // 408
        Conflict,        // 409
        Gone,            // 410: this version of the program may no longer sync
        Unprocessable,   // 422
        TooManyRequests, // 429
        ServiceError,    // 5xx
        // No reply: the connection was refused, reset or cut short.
        ConnectionCut,
        // No reply in time.
        TimedOut,
    };
    enum class Outcome {
        // What was asked is done.
        Done,
        // The service no longer has the object, or no longer shows it to this user. It goes here too, unless it (a
        // list: one of its tasks) holds work of the user's that the service has not taken; then it stays, and the
        // reads that named it are no longer taken for current, until a read of the service settles where it stands:
        // brought back, it keeps that work and sends it again; left out, it goes as whatever the service no longer
        // lists.
        ObjectGone,
        // Nothing changes here; the next session sends (or reads) it again, and until then the sync has failed.
        KeptToSendAgain,
        // The service refuses the change as it is: kept and sent again, and the user is told which object it is and
        // the service's reason until the service takes it. The session's reads are none the worse for it.
        KeptAndNamed,
        // The service does not allow the change: it is undone, the service's copy of the object comes back, and the
        // user is told which it was, once.
        Undone,
        // The service does not allow a new object: it stays here with everything the user gave it, marked refused and
        // named to the user once, and is sent again only once the user changes or moves it, or a read shows the
        // user's role allowing it again. No later session fails for it.
        HeldRefused,
        // The service refuses the client itself: the session stops, and the user is asked to act.
        SessionRefused,
    };

    static Request requestOf(const KNVTRESTFulRequest &request);
    // The answer that `request` got by its status or its transport failure. A reply of a success status counts as
    // Success here: whoever reads its body says when it could not.
    static Answer answerOf(const KNVTRESTFulRequest &request);
    static Outcome outcome(Request request, Answer answer);
    // Whether no further request of the session goes out after this answer: the client was refused, or nothing
    // answered. A session stopped by a silent service resumes at the same request later.
    static bool stopsSession(Answer answer);
};

} // namespace knvt
