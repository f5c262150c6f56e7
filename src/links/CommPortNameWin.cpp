#include "links/CommSettings.h"

namespace korvex::comm {

QString portDeviceName(const QString& commPort)
{
    // Windows opens "COMn" and any other device name as they are.
    return commPort;
}

} // namespace korvex::comm
