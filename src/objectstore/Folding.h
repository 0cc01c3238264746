#pragma once

#include <QString>
#include <QStringView>

namespace ostore {

// The folded form used by contains[cd] and ==[cd]: NFKD, combining marks dropped, then fully case folded.
class Folding
{
public:
    static QString fold(QStringView text);
    // True when fold(text) == text, so the cache can share the original.
    static bool isFolded(QStringView text);
};

} // namespace ostore
