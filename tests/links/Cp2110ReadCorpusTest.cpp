#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "links/Cp2110ReadEntry.h"

namespace korvex::fuzz {
namespace {

// The read fuzzer's corpus replayed through its own check, so its cases run with every build.
TEST(Cp2110ReadCorpus, EveryInputReadsBackExactlyTheDataReportsBytes)
{
    const std::filesystem::path corpus = std::filesystem::path(KORVEX_SOURCE_DIR) / "fuzz/corpus/cp2110-read";
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(RunCp2110ReadInput(data.data(), data.size())) << entry.path().filename();
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

} // namespace
} // namespace korvex::fuzz
