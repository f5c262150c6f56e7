#pragma once

#include <QIODevice>

#include "records/TableEngine.h"

namespace korvex {

// Reads an XML data packet in Windows-1252 bytes into a temporary table of the fields that the packet
// defines, then appends its rows to the target, copying the packet's field i into the target's field i
// with the value converted to the target's type; a missing value stays missing.
// Returns false, with nothing appended, when the device does not hold a complete packet; and false at
// the row whose values do not fit the target (the rows before it stay).
bool ReadXmlDataPacket(QIODevice& in, TTable& target);

}  // namespace korvex
