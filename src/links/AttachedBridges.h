#pragma once

#include <vector>

#include <QString>

#include "links/BridgeLibrary.h"
#include "links/BridgeStatus.h"

namespace korvex {

// One attached bridge and the status of opening it now (0: it opened, and was closed again).
struct AttachedBridge {
    QString serial;
    QString path;
    int openStatus = 0;
};

// The attached meter cables' bridges (vendor 10C4, product EA80, in any letter case), sorted by serial
// number without regard to case as the link sorts them, each tried by opening and closing it. A bridge
// whose serial number or path cannot be read is left out; nothing is listed when counting fails.
std::vector<AttachedBridge> ListAttachedBridges(const BridgeEntryPoints& api);

} // namespace korvex
