#pragma once

#include <QIODevice>
#include <cstdint>

#include "records/XmlPacketTable.h"

namespace korvex::xmlpacket {

enum class ScanOutcome : std::uint8_t {
    Read,     // a whole packet, now in the table
    Refused,  // not a packet of fields and rows: the general parser refuses it too
    Unsure,   // a form the scanner leaves to the general parser, which decides from the start again
};

// Reads a packet in the plain form that the writer gives it (declaration, elements, attributes, blanks
// between elements, the five named and the ASCII character references) many times faster than a general
// XML parser; anything else it leaves to ParseWithStreamReader. Where it decides, it decides as that
// parser would, to the rows.
ScanOutcome ScanPacket(QIODevice& in, PacketTable& table);

}  // namespace korvex::xmlpacket
