#pragma once

namespace korvex {

// The bridge library's status of an open refused because this user may not open the bridge's device
// node. Another library may never answer it; then such a refusal looks like any other failed open.
inline constexpr int BridgeStatusPermissionDenied = 0x17;

} // namespace korvex
