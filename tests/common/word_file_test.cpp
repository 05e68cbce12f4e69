#include "common/word_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace tirv {
namespace {

TEST(WordFile, RoundTripThroughDisk)
{
    const auto path = (std::filesystem::temp_directory_path() / "tirv_word_file_test.bin").string();
    const std::vector<std::uint32_t> words{706, 1, 2, 0xDEADBEEF};
    ASSERT_EQ(SaveWordFile(path, words), WordFileResult::Ok);

    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes[0], 0xC2);  // 706 low byte first
    EXPECT_EQ(bytes[1], 0x02);

    std::vector<std::uint32_t> back;
    EXPECT_EQ(LoadWordFile(path, 4, back), WordFileResult::Ok);
    EXPECT_EQ(back, words);
    std::remove(path.c_str());
}

TEST(WordFile, RefusesWrongSizeBadCrcAndMissingFile)
{
    std::vector<std::uint32_t> words{1, 2, 3, 0};
    const auto good = WordsToBytes(words);
    std::vector<std::uint32_t> out{99};

    EXPECT_EQ(ParseWordFile(good, 4, out), WordFileResult::WrongSize);
    EXPECT_EQ(ParseWordFile(std::span(good).first(15), 3, out), WordFileResult::WrongSize);
    EXPECT_EQ(ParseWordFile(good, 3, out), WordFileResult::BadCrc);  // last word is not the CRC
    EXPECT_EQ(out, std::vector<std::uint32_t>{99}) << "a refused file leaves the caller's data";

    EXPECT_EQ(LoadWordFile("/nonexistent/dir/file.tpr", 3, out), WordFileResult::CannotOpen);
    EXPECT_EQ(SaveWordFile("/nonexistent/dir/file.tpr", words), WordFileResult::CannotWrite);
}

}  // namespace
}  // namespace tirv
