#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace korvex {

// Record texts and files are Windows-1252 bytes on every platform, so files move between systems.
// A character that the code page cannot hold becomes "?".
std::string ToWindows1252(const QString& text);
// Every byte maps to a character; the five bytes the code page leaves undefined map to U+0081 etc.
QString FromWindows1252(std::string_view bytes);

}  // namespace korvex
