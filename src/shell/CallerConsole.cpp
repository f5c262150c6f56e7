#include "shell/CallerConsole.h"

namespace korvex {

void AttachCallerConsole() {}

}  // namespace korvex
