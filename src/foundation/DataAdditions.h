#pragma once

#include "foundation/URLAdditions.h"

#include <QByteArray>
#include <QString>

namespace knvt {

// `data` as RFC 4648 Base64 (standard alphabet, "=" padding), on one line however long.
QString base64Encoded(const QByteArray &data);

// `data` read as Base64 text. Never fails; malformed input only shortens the result:
// - bytes outside the alphabet (blanks, line breaks, "-", "_", ...) are skipped wherever they stand;
// - the first "=" ends decoding and everything after it is ignored;
// - without "=", a final incomplete group is dropped, so unpadded text loses its last one or two bytes;
// - a group ended by "=" after a single character yields nothing.
QByteArray base64Decoded(const QByteArray &data);

// The raw 16-byte MD5 digest of `data`.
QByteArray md5Digest(const QByteArray &data);
// The raw 20-byte SHA-1 digest of `data`.
QByteArray sha1Digest(const QByteArray &data);

// `data` as lower-case hexadecimal, two digits a byte, no separators.
QString hexStringValue(const QByteArray &data);

// "k1=v1&k2=v2" as UTF-8, in the order given: keys as they are, values escaped by URLEscapedString().
QByteArray HTTPBodyDataWithFormParameters(const QueryParameters &parameters);

} // namespace knvt
