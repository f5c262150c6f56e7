#include "links/CommSettings.h"

#include <algorithm>
#include <array>

namespace korvex::comm {

std::uint32_t baudRateValue(TBaudrate rate)
{
    static constexpr std::array<std::uint32_t, 15> rates = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                            19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const auto index = static_cast<std::size_t>(rate);
    return index < rates.size() ? rates[index] : 0;
}

LineSettings lineSettings(TBaudrate rate, TByteSize byteSize, TParity parity, TStopBits stopBits)
{
    static constexpr std::array<QSerialPort::Parity, 5> parities = {
        QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity, QSerialPort::MarkParity,
        QSerialPort::SpaceParity};
    static constexpr std::array<QSerialPort::StopBits, 3> stops = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                                                   QSerialPort::TwoStop};
    LineSettings settings;
    settings.baudRate = static_cast<qint32>(baudRateValue(rate));
    settings.dataBits = static_cast<QSerialPort::DataBits>(static_cast<int>(byteSize) + 5);
    settings.parity = parities.at(static_cast<std::size_t>(parity));
    settings.stopBits = stops.at(static_cast<std::size_t>(stopBits));
    return settings;
}

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
