#pragma once

#include <QFont>
#include <QString>

// The fonts of the suite's windows. Each asks first for a free font that the suite brings along
// (a dependency of the Debian package; files in `fonts/` beside the programs on Windows), then for
// the Windows system font the windows were first drawn with, so the layout does not depend on
// which fonts or font aliases a machine happens to have.
namespace r5 {

enum class FontRole {
    Sans,   // Latin captions and lists: DejaVu Sans, then Arial
    Korean, // Hangul captions: NanumGothic, then 굴림 (Gulim)
    Mono,   // logs with Hangul: NanumGothicCoding, then DejaVu Sans Mono, then Courier New
};

// The font of `role` at `pointSize` (a negative size leaves the size to the parent widget).
// Registers the shipped font files first, once.
QFont suiteFont(FontRole role, qreal pointSize = -1);

// Registers every font file in `folder` (by default `fonts` beside the program) with the
// application; a missing folder is not an error. Returns how many files were registered.
// Runs once per folder; suiteFont() calls it for the default folder.
int registerSuiteFonts(const QString &folder = {});

} // namespace r5
