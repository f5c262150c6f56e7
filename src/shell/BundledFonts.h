#pragma once

#include <QString>

namespace korvex {

// Makes the fonts shipped in folder (every .ttf and .otf there) available to this program only, so the
// panel's seven-segment readouts look the same where the system lacks the font. Returns how many loaded;
// a folder that does not exist loads none.
int LoadBundledFonts(const QString& folder);

}  // namespace korvex
