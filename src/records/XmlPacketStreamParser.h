#pragma once

#include <QIODevice>

#include "records/XmlPacketTable.h"

namespace korvex::xmlpacket {

// Reads an XML data packet in Windows-1252 bytes into the table with Qt's XML parser, which takes every
// form of XML. False when the device does not hold a complete packet of fields and rows.
bool ParseWithStreamReader(QIODevice& in, PacketTable& table);

}  // namespace korvex::xmlpacket
