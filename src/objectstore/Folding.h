#pragma once

#include <QAnyStringView>
#include <QString>
#include <QStringView>

namespace ostore {

// The folded form used by contains[cd] and ==[cd]: NFKD, combining marks dropped, then fully case folded.
//
// A search folds every text it reads as it reads it, rather than keeping a folded copy of the library: a copy cost
// more than the rows themselves once titles start with a capital and notes run to a few hundred characters. The form
// is a character-by-character one (decomposition and case folding map each character on its own, and the only
// characters that canonical ordering moves are marks, which are dropped), so each character's folding is looked up
// in a table built from the definition a block of 256 characters at a time, as texts first use them.
class Folding
{
public:
    static QString fold(QStringView text);
    // fold(text) written over `out`, whose storage a caller folding text after text keeps and reuses.
    static void foldInto(QAnyStringView text, QString &out);
    // Builds the table of every character of the basic plane on a thread of the application's pool, once a process
    // (later calls do nothing): the first search of a session otherwise builds it while the window waits, a block for
    // every script its texts use, after the Unicode data the blocks are built from is read in.
    static void prepareInBackground();
};

} // namespace ostore
