#include "configurator/journals/journal_requests.h"

#include <gtest/gtest.h>

#include <vector>

namespace tirv {
namespace {

template <std::size_t N>
std::vector<int> ProgressAfterEachReply(const std::array<RegisterBlock, N>& blocks, int max)
{
    int total = 0;
    for (const auto& b : blocks)
        total += b.count;
    std::vector<int> out;
    int remaining = total;
    for (const auto& b : blocks) {
        remaining -= b.count;
        out.push_back(JournalReadProgress(remaining, total, max));
    }
    return out;
}

TEST(JournalRequests, ProgressBarValuesInOrder)
{
    EXPECT_EQ(ProgressAfterEachReply(kWorkingJournalRequests, 10),
              (std::vector<int>{3, 5, 7, 9, 10}));
    EXPECT_EQ(ProgressAfterEachReply(kEmergencyJournalRequests, 10), (std::vector<int>{4, 8, 10}));
    std::vector<int> osc;
    int remaining = 11150;
    for (std::size_t k = 0; k < kOscillogramRequests; ++k) {
        remaining -= OscillogramRequest(k).count;
        osc.push_back(JournalReadProgress(remaining, 11150, 100));
    }
    EXPECT_EQ(osc.front(), 2);  // 100 − 11025 × 100 / 11150
    EXPECT_EQ(osc[44], 51);     // 100 − 5525 × 100 / 11150, truncated
    EXPECT_EQ(osc.back(), 100);
    EXPECT_TRUE(std::is_sorted(osc.begin(), osc.end()));
}

TEST(JournalRequests, OscillogramAndTextProtocolBlocks)
{
    EXPECT_EQ(OscillogramRequest(0).start, 0);
    EXPECT_EQ(OscillogramRequest(0).count, 125);
    EXPECT_EQ(OscillogramRequest(89).start, 11125);
    EXPECT_EQ(OscillogramRequest(89).count, 25);
    EXPECT_EQ(OscillogramRequest(90).count, 0);

    // 600 values at 34 per frame: 17 full frames and one of 22.
    const RegisterBlock last = TextJournalRequest(regs::kWorkingJournal, 17, 34);
    EXPECT_EQ(last.start, 2100 + 17 * 34);
    EXPECT_EQ(last.count, 22);
    EXPECT_EQ(TextJournalRequest(regs::kWorkingJournal, 18, 34).count, 0);
    EXPECT_EQ(TextJournalRequest(regs::kEmergencyJournal, 9, 34).start, 400 + 306);
    EXPECT_EQ(TextJournalRequest(regs::kEmergencyJournal, 9, 34).count, 34);

    EXPECT_EQ(EmergencyJournalFunction(true), Function::ReadJournal);
    EXPECT_EQ(EmergencyJournalFunction(false), Function::ReadRegisters);
}

}  // namespace
}  // namespace tirv
