// The scan's probe order, repeats and progress, worked out by hand for small ranges.
#include "configurator/link/scan_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace tirv {
namespace {

using Probe = std::pair<int, int>;  // baud index, address

// Runs the cursor with relays answering at the given (baud, address) pairs and records every
// probe in order; also checks that the progress never goes back and ends at its maximum.
std::vector<Probe> Probes(ScanCursor& c, const std::set<Probe>& answering)
{
    std::vector<Probe> probes;
    int progress = 0;
    while (!c.done() && probes.size() < 10000) {
        EXPECT_GE(c.progress(), progress);
        EXPECT_LE(c.progress(), c.progressMax());
        progress = c.progress();
        probes.push_back({c.baudIndex(), c.address()});
        c.probed(answering.count(probes.back()) != 0);
    }
    EXPECT_EQ(c.progress(), c.progressMax());
    EXPECT_EQ(c.probes(), int(probes.size()));
    return probes;
}

TEST(ScanCursor, OneAddressAtOneSpeedWithoutRepeatsIsOneProbe)
{
    ScanCursor c(NormalizedScanRange(1, 1, 6, 6), 0);
    EXPECT_EQ(c.progressMax(), 1);
    EXPECT_EQ(Probes(c, {}), (std::vector<Probe>{{6, 1}}));
}

TEST(ScanCursor, HighestSpeedFirstAndFoundAddressesAreSkippedBelow)
{
    // Speeds 5–6, addresses 2–4; address 3 answers at 6 (and would at 5), address 4 only at 5.
    ScanCursor c(NormalizedScanRange(4, 2, 6, 5), 0);
    EXPECT_EQ(c.progressMax(), 6);
    const auto probes = Probes(c, {{6, 3}, {5, 3}, {5, 4}});
    EXPECT_EQ(probes, (std::vector<Probe>{{6, 2}, {6, 3}, {6, 4}, {5, 2}, {5, 4}}));
    EXPECT_TRUE(c.found(3));
    EXPECT_TRUE(c.found(4));
    EXPECT_FALSE(c.found(2));
}

TEST(ScanCursor, SilentAddressesAreProbedOncePlusTheirRepeats)
{
    ScanCursor c(NormalizedScanRange(1, 2, 3, 3), 2);
    // Address 1 silent: 1 + 2 repeats; address 2 answers at once.
    EXPECT_EQ(Probes(c, {{3, 2}}), (std::vector<Probe>{{3, 1}, {3, 1}, {3, 1}, {3, 2}}));
}

TEST(ScanCursor, EveryAddressFoundAtTheTopEndsWithoutProbingLowerSpeeds)
{
    ScanCursor c(NormalizedScanRange(7, 8, 0, 9), 5);
    EXPECT_EQ(c.progressMax(), 20);
    EXPECT_EQ(Probes(c, {{9, 7}, {9, 8}}), (std::vector<Probe>{{9, 7}, {9, 8}}));
}

TEST(ScanRange, EitherOrderAndOutOfRangeValuesAreClamped)
{
    const ScanRange r = NormalizedScanRange(10, 5, 9, 2);
    EXPECT_EQ(r.lowAddress, 5);
    EXPECT_EQ(r.highAddress, 10);
    EXPECT_EQ(r.lowBaud, 2);
    EXPECT_EQ(r.highBaud, 9);
    const ScanRange wild = NormalizedScanRange(0, 999, -3, 42);
    EXPECT_EQ(wild.lowAddress, 1);
    EXPECT_EQ(wild.highAddress, 255);
    EXPECT_EQ(wild.lowBaud, 0);
    EXPECT_EQ(wild.highBaud, 9);
}

TEST(ScanTexts, ModelColumnAndWaits)
{
    const std::pair<int, const char*> cases[] = {
        {306, " ТИРВ - 306"}, {705, " ТИРВ - 705"},  {707, " ТИРВ - 707"},
        {715, " ТИРВ - 705М"}, {716, " ТИРВ - 706М"}, {717, " ТИРВ - 707М"},
        {999, " ТИРВ"},       {0, " ТИРВ"},         {708, " ТИРВ"}};
    for (auto [code, text] : cases)
        EXPECT_EQ(ScanModelText(code), text) << code;
    // 13 bits × 8 bytes at 9600 bit/s = 10.8 ms + 20; 13 × 15 at 1200 = 162.5 ms + 20.
    EXPECT_EQ(ScanWriteWaitMs(3), 30);
    EXPECT_EQ(ScanReplyWaitMs(0), 182);
}

}  // namespace
}  // namespace tirv
