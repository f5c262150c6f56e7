#pragma once

#include "shell/CommandLine.h"

namespace korvex {

// Runs the headless logger of `--log` to its end on a QCoreApplication (no display, no widgets) and
// returns the process's exit code (see LoggerExit).
int RunHeadlessLogger(int& argc, char** argv, const CommandLine& commandLine);

}  // namespace korvex
