#pragma once

#include "foundation/Error.h"

#include <QStringList>

namespace knvt {

// Why a sync session failed, in the terms the user is told.
enum class SyncFailureCause {
    // The transfer never reached the service: its name could not be looked up, nothing answered, or it took too long.
    Offline,
    // The service refused the password.
    PasswordRefused,
    // The service answered with a failure, or the connection broke off under way.
    ServiceFailed,
    // What the session brought could not be written to the library.
    CouldNotSaveLocally,
    // The service no longer serves this version of the program.
    NewerVersionNeeded,
    // The service answered a read, or a create, with a body that does not read as what was asked.
    UnreadableReply,
    // The service refused a change as it is: the error names the object (syncRefusedObjectName) and carries the
    // service's reason (syncRefusalMessages, syncRefusalStatus).
    ChangeRefused,
};

// What became of a change the service refused, so that the user is told.
enum class SyncRefusal {
    // Refused as it is (400, 409, 422): kept, and sent again until the service takes it.
    Kept,
    // Not allowed (403): undone, and the service's copy is back.
    Undone,
    // A new object not allowed (403): kept here unsent until the user changes or moves it.
    Held,
    // A new object of which the service may already hold more than one copy: kept here unsent, as nothing tells which
    // copy is the user's.
    Unsettled,
    // The same, deleted here meanwhile: nothing is sent, and the copies the service holds are shown.
    UnsettledDeleted,
};

// What a read that failed was reading, so that the user is told which.
enum class SyncRead {
    // Not a read.
    None,
    Account,
    // The user's friends, and the invitations the user was sent.
    People,
    Invitations,
    // The collections of projects and areas.
    Lists,
    // One project or area: the error carries its title (syncFailedReadName).
    List,
    Inbox,
    Tags,
    // A user's picture: the error carries the user's name.
    Picture,
};

// The error a session ends with when its last save failed: a failure of this machine, not of the service, however the
// storage engine words it.
Error syncLocalSaveError(const Error &saveError);
// The error of a reply that counts as success but does not read as what `what` (a resource, for the log) answers.
Error syncUnreadableReplyError(const QString &what);
// The error of a change the service refused with `requestError`, naming the object that carries it (its title, or
// whatever names it to the user; empty when nothing does), what became of it, and where it was to go (the title of the
// list a new task was made in, of the task a comment was written on; empty when it names nothing).
Error syncRefusedChangeError(const Error &requestError, const QString &objectName,
                             SyncRefusal refusal = SyncRefusal::Kept, const QString &placeName = {});

// `cause` (whatever failed the read) with what the read was reading and the name of that (a title, a user's name),
// for the user to be told; its cause stays that of `cause`.
Error syncFailedReadError(const Error &cause, SyncRead read, const QString &name = {});
// `firstRefusal` (an error of syncRefusedChangeError()) with the number of other changes the service refused in the
// same session.
Error syncRefusedChangesError(const Error &firstRefusal, int otherRefusals);

SyncFailureCause syncFailureCause(const Error &error);

// Of an error of syncFailedReadError(): what the read was reading, and its name; SyncRead::None and no name for any
// other error.
SyncRead syncFailedRead(const Error &error);
QString syncFailedReadName(const Error &error);
// Of an error of syncRefusedChangesError(): how many other changes the service refused besides the one named.
int syncOtherRefusedChanges(const Error &error);

// Of an error of syncRefusedChangeError(): the object's name, the status the service answered, and the service's own
// words for why, as it wrote them ("title is invalid"); no words when its answer had none.
QString syncRefusedObjectName(const Error &error);
qint64 syncRefusalStatus(const Error &error);
SyncRefusal syncRefusal(const Error &error);
QString syncRefusedPlaceName(const Error &error);
QStringList syncRefusalMessages(const Error &error);

} // namespace knvt
