#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "hidtouart/Cp2110Reports.h"

using namespace korvex::hidtouart;

namespace {

std::string hex(std::span<const std::uint8_t> bytes)
{
    std::string out;
    char cell[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, out.empty() ? "%02X" : " %02X", b);
        out += cell;
    }
    return out;
}

struct ConfigCase {
    UartConfig config;
    std::string reportHex;
};

std::vector<ConfigCase> loadConfigCases()
{
    std::ifstream file(KORVEX_SOURCE_DIR "/tests/links/data/cp2110_uart_config_reports.txt");
    std::vector<ConfigCase> cases;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        unsigned baud, data, parity, stop, flow;
        char colon;
        in >> baud >> data >> parity >> stop >> flow >> colon;
        std::string rest;
        std::getline(in, rest);
        cases.push_back({UartConfig{baud, static_cast<std::uint8_t>(data), static_cast<std::uint8_t>(parity),
                                    static_cast<std::uint8_t>(stop), static_cast<std::uint8_t>(flow)},
                         rest.substr(rest.find_first_not_of(' '))});
    }
    return cases;
}

} // namespace

TEST(Cp2110Reports, UartConfigReportsMatchTheVectorsAndParseBack)
{
    const auto cases = loadConfigCases();
    ASSERT_EQ(cases.size(), 5u);
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.reportHex);
        const Report report = reportForUartConfig(c.config);
        EXPECT_EQ(hex(report), c.reportHex);
        EXPECT_TRUE(isValidUartConfig(c.config));
        const auto parsed = parseUartConfig(report);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, c.config);
    }
}

TEST(Cp2110Reports, ConfigOutsideTheChipsLimitsIsInvalid)
{
    const UartConfig good{9600, 3, 0, 0, 0};
    EXPECT_TRUE(isValidUartConfig(good));
    for (UartConfig bad : {UartConfig{110, 3, 0, 0, 0}, UartConfig{1000001, 3, 0, 0, 0}, UartConfig{9600, 4, 0, 0, 0},
                           UartConfig{9600, 3, 5, 0, 0}, UartConfig{9600, 3, 0, 2, 0}, UartConfig{9600, 3, 0, 0, 2}})
        EXPECT_FALSE(isValidUartConfig(bad)) << bad.baudRate << " " << int(bad.dataBits) << " " << int(bad.parity);
}

TEST(Cp2110Reports, SmallFeatureReports)
{
    EXPECT_EQ(hex(reportForUartEnable(true)), "41 01");
    EXPECT_EQ(hex(reportForUartEnable(false)), "41 00");
    EXPECT_EQ(hex(reportForPurge(PurgeTarget::Both)), "43 03");
    EXPECT_EQ(hex(reportForPurge(PurgeTarget::Receive)), "43 02");

    const std::uint8_t version[] = {0x46, 0x0A, 0x01};
    ASSERT_TRUE(parseVersion(version));
    EXPECT_EQ(parseVersion(version)->partNumber, Cp2110PartNumber);
    EXPECT_EQ(parseVersion(version)->version, 1);
    const std::uint8_t latch[] = {0x44, 0x12, 0x34};
    EXPECT_EQ(parseLatch(latch), 0x1234);
    // Wrong id or cut short: nothing.
    const std::uint8_t wrongId[] = {0x47, 0x0A, 0x01};
    EXPECT_FALSE(parseVersion(wrongId));
    const std::uint8_t shortConfig[] = {0x50, 0x00, 0x00, 0x25};
    EXPECT_FALSE(parseUartConfig(shortConfig));
}

TEST(Cp2110Reports, DataIsSplitIntoReportsOfAtMost63Bytes)
{
    std::vector<std::uint8_t> bytes(130);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    const auto reports = reportsForUartData(bytes);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].size(), 64u);
    EXPECT_EQ(reports[0][0], 63);
    EXPECT_EQ(reports[2][0], 4);
    std::vector<std::uint8_t> joined;
    for (const Report& r : reports)
        joined.insert(joined.end(), r.begin() + 1, r.end());
    EXPECT_EQ(joined, bytes);
    EXPECT_TRUE(reportsForUartData({}).empty());
}

TEST(Cp2110Reports, InputReportsYieldTheirUartBytesOnly)
{
    struct Case {
        std::vector<std::uint8_t> report;
        std::string bytes;
    };
    const Case cases[] = {
        {{0x03, 0xAA, 0xBB, 0xCC}, "AA BB CC"},
        {{0x02, 0xAA, 0xBB, 0xCC, 0xDD}, "AA BB"}, // padding after the count is ignored
        {{0x03, 0xAA, 0xBB}, ""},                  // cut short
        {{0x00, 0xAA}, ""},                        // no bytes
        {{0x41, 0x01}, ""},                        // not a data report
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hex(uartBytesOfInputReport(c.report)), c.bytes) << hex(c.report);
}
