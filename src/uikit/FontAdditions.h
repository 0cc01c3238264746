#pragma once

#include <QFont>

namespace knvt {

// The system font at `pixelSize`: painted rows measure in pixels, so their fixed heights hold at any screen density.
QFont rowFont(int pixelSize, bool bold = false);

// Looks up, on a thread of the pool, which fallback fonts lay out the scripts the rows' fonts commonly lack (Chinese,
// Japanese, Korean, Hebrew, Arabic). The first text of such a script in a session waits for that lookup, fontconfig
// sorting every font on the system by its fit, which Qt keeps for the whole process: done on the window's thread it
// held the window 40 to 120 ms with the Noto fonts. What each thread loads of the fonts themselves stays its own, so
// the pool's copies go with its thread. Once a process; on the window's thread, with `fonts` the ones rows use.
void prepareFallbackFontsInBackground(const QList<QFont> &fonts);

} // namespace knvt
