#pragma once

#include "foundation/Error.h"

#include <QString>
#include <QStringList>

// The disk operations under the file-system model. No operation replaces an existing item unless its name says so,
// and the replacing ones leave the old destination in place until the new item stands ready, so a failure half way
// never costs the user a file.
namespace knvt::fileops {

// Something exists at the path; a dangling link counts.
bool itemExists(const QString &path);
// The path names a folder; with `followLinks` a link to a folder counts as one.
bool isDirectory(const QString &path, bool followLinks);

// Moves the item; fails with EEXIST when the destination exists. Across file systems the item is copied and the
// original removed once the copy is complete.
bool moveItem(const QString &from, const QString &to, Error *error);
// Moves the item over whatever stands at the destination, which stays untouched when the move fails.
bool moveItemReplacing(const QString &from, const QString &to, Error *error);
// Copies the item (folders with all they hold, links as links); fails with EEXIST when the destination exists. A
// failed copy leaves nothing behind at the destination.
bool copyItem(const QString &from, const QString &to, Error *error);
// Copies the item over whatever stands at the destination, which stays untouched when the copy fails.
bool copyItemReplacing(const QString &from, const QString &to, Error *error);
// Removes the item, a folder with everything in it.
bool removeItem(const QString &path, Error *error);
bool createDirectory(const QString &path, bool withIntermediateDirectories, Error *error);

// A hidden, unused name beside `path` for an item that stands there only for the length of an operation.
QString temporarySiblingPath(const QString &path);

// The path is the root folder of a mounted file system.
bool isMountPoint(const QString &path);
// The mount points of this process, in the kernel's order; without `includeHidden` only the root and the removable or
// user mounts a file browser would show.
QStringList mountPoints(bool includeHidden);

// The absolute, cleaned form of a path, relative paths taken from the working folder.
QString absoluteCleanPath(const QString &path);

} // namespace knvt::fileops
