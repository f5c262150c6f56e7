#include "shell/CallerConsole.h"

#include <windows.h>

#include <cstdio>

namespace korvex {
namespace {

bool Redirected(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

void AttachCallerConsole()
{
    const bool outRedirected = Redirected(STD_OUTPUT_HANDLE);
    const bool errRedirected = Redirected(STD_ERROR_HANDLE);
    if ((outRedirected && errRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outRedirected)
        std::freopen("CONOUT$", "w", stdout);
    if (!errRedirected)
        std::freopen("CONOUT$", "w", stderr);
}

}  // namespace korvex
