#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "meter/MeterFuzzEntry.h"

namespace korvex::test {
namespace {

// The fuzzer's seed corpus replayed through the same entry function, so its cases run with every build.
TEST(MeterFuzzCorpus, EveryInputKeepsTheReceiveTextSound)
{
    const std::filesystem::path corpus = std::filesystem::path(KORVEX_SOURCE_DIR) / "fuzz/corpus/meter";
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(fuzz::RunMeterFuzzInput(data.data(), data.size())) << entry.path().filename();
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace korvex::test
