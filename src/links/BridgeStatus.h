#pragma once

namespace korvex {

// Statuses of an open that only our own bridge library answers (it exports KorvexHidUart_Statuses), beyond
// the range of the chip maker's: from any other library they mean nothing, and such a refusal looks like
// any other failed open.
inline constexpr int BridgeStatusPermissionDenied = 0x100; // this user may not open the device node
inline constexpr int BridgeStatusInUse = 0x101;            // another program has the cable open

} // namespace korvex
