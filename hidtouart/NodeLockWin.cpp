#include "NodeLock.h"

#include <windows.h>

#include <functional>

namespace korvex::hidtouart {

NodeLock::NodeLock(const std::string& path)
{
    // One name per device path, for every session of the machine. Device paths differ only in letter
    // case between the system's notifications and enumeration, hence the lower case.
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const std::string name = "Global\\korvex-lcr-cable-" + std::to_string(std::hash<std::string>{}(lower));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!mutex)
        return;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        busy_ = true;
        CloseHandle(mutex);
        return;
    }
    claim_ = reinterpret_cast<std::intptr_t>(mutex);
}

void NodeLock::release()
{
    // The named object goes with its last handle, which frees the name for the next program.
    if (claim_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(claim_));
    claim_ = -1;
}

} // namespace korvex::hidtouart
