#pragma once

#include <QSettings>

namespace korvex {

// What the program remembers between runs, in the user's own settings of the program. Suites point
// QSettings' user scope at a folder of their own, so they never touch these.
QSettings UserSettings();

}  // namespace korvex
