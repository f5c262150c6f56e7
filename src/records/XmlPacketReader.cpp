#include "records/XmlPacketReader.h"

#include "records/XmlPacketScanner.h"
#include "records/XmlPacketStreamParser.h"
#include "records/XmlPacketTable.h"

namespace korvex {

bool ReadXmlDataPacket(QIODevice& in, TTable& target)
{
    using namespace xmlpacket;
    PacketTable packet;
    // The scanner takes the writer's own form; whatever it leaves is read again from the start by the
    // general parser, which a device that cannot go back gets straight away.
    ScanOutcome scanned = ScanOutcome::Unsure;
    if (!in.isSequential()) {
        const qint64 start = in.pos();
        scanned = ScanPacket(in, packet);
        if (scanned == ScanOutcome::Unsure) {
            packet = PacketTable();
            if (!in.seek(start))
                return false;
        }
    }
    if (scanned == ScanOutcome::Refused || (scanned == ScanOutcome::Unsure && !ParseWithStreamReader(in, packet)))
        return false;
    return CopyByPosition(packet, target);
}

}  // namespace korvex
