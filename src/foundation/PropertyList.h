#pragma once

#include "foundation/Error.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace knvt {

// Property-list failures keep the codes of the platform the files were designed for.
inline constexpr char NSCocoaErrorDomain[] = "NSCocoaErrorDomain";
inline constexpr qint64 NSFileReadUnknownError = 256;
inline constexpr qint64 NSFileReadNoSuchFileError = 260;
inline constexpr qint64 NSFileWriteUnknownError = 512;
inline constexpr qint64 NSPropertyListReadCorruptError = 3840;
inline constexpr qint64 NSPropertyListWriteInvalidError = 3852;

// XML property lists as QVariant trees.
//
//   dict    <-> QVariantMap (a QVariantHash is also written)
//   array   <-> QVariantList (a QStringList is also written)
//   string  <-> QString
//   integer <-> qlonglong (qulonglong above its range); any integral number is written
//   real    <-> double (a float is also written); "nan", "+infinity" and "-infinity" included
//   true, false <-> bool
//   date    <-> QDateTime in UTC; written in UTC, with milliseconds only when there are any
//   data    <-> QByteArray, base64
//
// Reading never trusts the file: anything but a well-formed plist element holding exactly one value of these types
// is an error, and nesting deeper than `kMaximumDepth` is refused rather than risking the stack. Within a dict a later
// duplicate key wins. Writing refuses what could not be read back: other variant types, invalid dates and strings
// with characters XML cannot carry (most control characters, unpaired surrogates).
class PropertyList
{
public:
    static constexpr int kMaximumDepth = 512;

    // The root value, or an invalid QVariant with the error (NSPropertyListReadCorruptError) in the slot.
    static QVariant fromData(const QByteArray &data, Error *error = nullptr);
    // The document with the XML declaration, the plist DOCTYPE and version "1.0", or an empty array with the error
    // (NSPropertyListWriteInvalidError) in the slot.
    static QByteArray toData(const QVariant &root, Error *error = nullptr);

    // Reads the file at `path`; a missing file is NSFileReadNoSuchFileError, an unreadable one NSFileReadUnknownError.
    static QVariant readFile(const QString &path, Error *error = nullptr);
    // Replaces the file at `path` atomically (a reader sees either the old or the new document, never a part of one).
    // The folder must exist. A failure leaves any previous file untouched.
    static bool writeFile(const QString &path, const QVariant &root, Error *error = nullptr);
};

} // namespace knvt
