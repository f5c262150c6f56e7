#pragma once

#include <QIODevice>

#include "records/TableEngine.h"

namespace korvex {

// Writes the whole table as the one-line XML data packet (Windows-1252 bytes, no encoding declaration):
// field definitions, the list of pending changes as CHANGE_LOG, and one ROW element per row.
// False when the device refused a write.
bool WriteXmlDataPacket(const TTable& table, QIODevice& out);

}  // namespace korvex
