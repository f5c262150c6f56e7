#pragma once

#include <QStringList>

namespace korvex {

// The first of the families that is installed, or all of them when none is. A font asked for by a missing
// family first has the system sort all its fonts for a substitute, even when a stand-in that follows it
// in the list is installed. One family alone is also cheaper to load than a list: the system's
// substitutes for characters the family lacks are then looked up only once such a character is drawn,
// not when the font is first used (the stand-ins that would follow it cover the same Windows-1252
// characters).
QStringList FirstInstalled(const QStringList& families);

}  // namespace korvex
