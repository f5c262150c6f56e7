#pragma once

namespace korvex {

// Lets a window program print to the console it was started from (the logger, the listing, --help):
// on Windows such a program has no console of its own, so it joins its caller's where its output is not
// redirected already. Elsewhere the program shares its caller's terminal anyway and this does nothing.
void AttachCallerConsole();

}  // namespace korvex
