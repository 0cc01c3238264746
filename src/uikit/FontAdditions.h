#pragma once

#include <QFont>
#include <QStringView>

namespace knvt {

// The system font at `pixelSize`: painted rows measure in pixels, so their fixed heights hold at any screen density.
QFont rowFont(int pixelSize, bool bold = false);

// Looks up, on a thread of the pool, which fallback fonts lay out the scripts the rows' fonts commonly lack (Chinese,
// Japanese, Korean, Hebrew, Arabic). The first text of such a script in a session waits for that lookup, fontconfig
// sorting every font on the system by its fit, which Qt keeps for the whole process: done on the window's thread it
// held the window 40 to 120 ms with the Noto fonts. What each thread loads of the fonts themselves stays its own, so
// the pool's copies go with its thread. Once a process; on the window's thread, with `fonts` the ones rows use.
void prepareFallbackFontsInBackground(const QList<QFont> &fonts);

// Lays out, on the calling thread, the letters of the first script of `text` that this thread has not laid out in
// `font` yet, and answers whether it did: false once every script of the text has been, and for text in scripts every
// font lays out itself (Latin, and punctuation, digits and marks, which take the script of their neighbours). The first
// text of a script in a font makes each thread open the fallback font that lays it out and read its tables (the
// lookup above leaves that to each thread): done within the paint of the first rows in Chinese, Japanese, Korean,
// Hebrew and Arabic it held the window once for all of them. Called a turn of the event loop at a time until it
// answers false, each script takes a turn of its own.
bool prepareFallbackFontOnThisThread(QStringView text, const QFont &font);

} // namespace knvt
