#include <algorithm>

#include "links/CommSettings.h"

namespace korvex::comm {

QString portDeviceName(const QString& commPort)
{
    if (commPort.size() > 3 && commPort.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        bool number = false;
        const uint n = QStringView(commPort).mid(3).toUInt(&number, 10);
        // Plain digits only: toUInt alone would also take a sign or blanks.
        const bool digitsOnly = std::all_of(commPort.begin() + 3, commPort.end(),
                                            [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
        if (number && digitsOnly && n >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
    return commPort;
}

} // namespace korvex::comm
