// The simulator's control commands, each seen through the requests the configurator sends:
// what a tester sets on a relay is what the pages read.
#include <gtest/gtest.h>
#include <bit>

#include "configurator/link/registers.h"
#include "sim/control_commands.h"
#include "sim/journal_content.h"
#include "sim/setpoint_registers.h"
#include "sim/state_file.h"
#include "tests/sim/relay_master.h"

namespace tirv::sim {
namespace {

const std::int64_t kNow = ToEpochMs({2026, 3, 14, 10, 20, 30, 400});

struct Line {
    explicit Line(std::initializer_list<std::pair<int, int>> relays)  // model, address
    {
        for (const auto& [model, address] : relays)
            bus.AddRelay(
                std::make_unique<Relay>(*FindRelayModel(model), LineSettings{address}, kNow));
    }
    std::string run(const std::string& command)
    {
        return RunControlCommand(command, bus, kNow).error;
    }
    Relay& relay(std::size_t k = 0) { return *bus.relays()[k]; }
    RelayLine bus;
    RelayMaster master{bus};
};

std::uint16_t FloatLow(float v)
{
    return static_cast<std::uint16_t>(std::bit_cast<std::uint32_t>(v) & 0xFFFF);
}
std::uint16_t FloatHigh(float v)
{
    return static_cast<std::uint16_t>(std::bit_cast<std::uint32_t>(v) >> 16);
}

constexpr auto kRead = Function::ReadRegisters;
constexpr auto kJournal = Function::ReadJournal;
constexpr auto kArchive = Function::ReadArchive;

TEST(ControlCommands, EachCommandIsSeenThroughTheConfiguratorsRequests)
{
    struct Expect {
        std::uint16_t reg, value;
    };
    struct Case {
        const char* command;
        int model;
        Function function;
        std::vector<Expect> expected;
    } cases[] = {
        {"io inputs 0x8001", 705, kRead, {{298, 0x8001}}},
        {"io outputs 5", 715, kRead, {{299, 5}}},
        {"io inputs 0", 705, kRead, {{298, 0}}},
        {"measure 300 10001", 705, kRead, {{300, 10001}}},
        {"measure 314 -3600", 705, kRead, {{314, 0xF1F0}}},
        {"measure 324 3600", 306, kRead, {{324, 3600}}},
        {"measure 887 0xABCD", 715, kRead, {{887, 0xABCD}}},
        {"measure-float 1 nan", 715, kRead, {{802, 0x0000}, {803, 0x7FC0}}},
        {"measure-float 0 -inf", 716, kRead, {{800, 0x0000}, {801, 0xFF80}}},
        {"measure-float 4 3e38", 717, kRead, {{808, FloatLow(3e38f)}, {809, FloatHigh(3e38f)}}},
        {"measure-float 43 50.25", 715, kRead, {{886, FloatLow(50.25f)}, {887, FloatHigh(50.25f)}}},
        {"clock 31 4 26 24 60 60 150",
         705,
         kRead,
         {{350, 31}, {351, 4}, {352, 26}, {353, 24}, {354, 60}, {355, 60}, {356, 150}}},
        {"breaker open", 705, kRead, {{301, 0}, {302, 0}, {303, 0}}},
        {"type 9999", 705, kRead, {{131, 9999}, {130, regs::kSignatureNonM}}},
        {"type 715", 706, kRead, {{131, 715}, {130, regs::kSignatureNonM}}},
        {"signature 0x1234", 715, kRead, {{130, 0x1234}, {131, 715}}},
        {"emergency 1 day=29 month=2 year=2023 event=0x0003 opening=0x8005",
         705,
         kRead,
         {{400, 29}, {401, 2}, {402, 2023}, {407, 3}, {433, 0x8005}}},
        {"emergency 10 day=31 month=4 hour=25 event=0x8002 started=0x7FFF ia=65535 3uo-angle=3600",
         715,
         kJournal,
         {{706, 31}, {707, 4}, {709, 25}, {713, 0x8002}, {714, 0x7FFF}, {715, 65535}, {738, 3600}}},
        {"emergency 2 clear", 705, kRead, {{434, 0}, {441, 0}, {467, 0}}},
        {"working 1 year=24 month=2 day=29 hour=23 minute=59 second=59 ms=999 code=200",
         715,
         kJournal,
         {{2100, 24 << 8 | 2},
          {2101, 29 << 8 | 23},
          {2102, 59 << 8 | 59},
          {2103, 0xE703},
          {2104, 0xC800}}},
        {"working 120 code=0x8001 ms=1000", 705, kJournal, {{2699, 0x0180}, {2698, 0xE803}}},
        {"working 1 clear", 705, kJournal, {{2100, 0}, {2104, 0}}},
        {"osc-flags 0 0 0 0 0 0", 715, kArchive, {{9, 0}, {10, 0}, {14, 0}}},
        {"osc-flags 1 0 2 1 0 1", 705, kArchive, {{9, 1}, {10, 0}, {11, 2}, {12, 1}, {14, 1}}},
    };
    for (const Case& c : cases) {
        Line line{{c.model, 1}};
        ASSERT_EQ(line.run(c.command), "") << c.command;
        for (const Expect& e : c.expected) {
            const auto words = line.master.read(1, e.reg, 1, kNow, c.function);
            ASSERT_EQ(words.size(), 1u) << c.command << " register " << e.reg;
            EXPECT_EQ(words[0], e.value) << c.command << " register " << e.reg;
        }
    }
}

TEST(ControlCommands, AnAddressPicksOneRelayOfTheLine)
{
    Line line{{705, 1}, {715, 2}};
    auto type = [&](std::uint8_t address) { return line.master.read(address, 131, 1, kNow).at(0); };
    EXPECT_EQ(line.run("@2 type 1"), "");
    EXPECT_EQ(type(2), 1);
    EXPECT_EQ(type(1), 705);
    EXPECT_EQ(line.run("type 7"), "");  // no address: every relay
    EXPECT_EQ(type(1), 7);
    EXPECT_EQ(type(2), 7);
    EXPECT_EQ(line.run("@1 blocked on"), "");
    EXPECT_TRUE(line.relay(0).blocked());
    EXPECT_FALSE(line.relay(1).blocked());
    EXPECT_EQ(line.run("@2 trip"), "");
    EXPECT_TRUE(line.relay(0).breakerClosed());
    EXPECT_FALSE(line.relay(1).breakerClosed());
    const ControlOutcome status = RunControlCommand("@2 status", line.bus, kNow);
    ASSERT_EQ(status.output.size(), 1u);
    EXPECT_EQ(status.output[0], "status address 2 baud 57600 protocol 1 breaker open blocked 0");
    EXPECT_EQ(RunControlCommand("status", line.bus, kNow).output.size(), 2u);
    // Faults belong to the line: an address there is a mistake, not silently ignored.
    EXPECT_NE(line.run("@2 drop 1"), "");
    EXPECT_EQ(line.bus.faults().dropNext, 0);
    EXPECT_EQ(line.run("late 50"), "");
    EXPECT_EQ(line.bus.faults().lateMs, 50);
    // "@A clear" ends that relay's overrides only; "clear" the line's faults as well.
    ASSERT_EQ(line.run("io inputs 3"), "");
    EXPECT_EQ(line.run("@2 clear"), "");
    EXPECT_EQ(line.bus.faults().lateMs, 50);
    EXPECT_EQ(line.master.read(1, 298, 1, kNow).at(0), 3);
    EXPECT_NE(line.master.read(2, 298, 1, kNow).at(0), 3);
    EXPECT_EQ(line.run("clear"), "");
    EXPECT_EQ(line.bus.faults().lateMs, 0);
    EXPECT_NE(line.master.read(1, 298, 1, kNow).at(0), 3);
    EXPECT_TRUE(RunControlCommand("quit", line.bus, kNow).quit);
}

TEST(ControlCommands, MalformedCommandsAreRefusedAndChangeNothing)
{
    const char* bad[] = {
        "io inputs 70000",
        "io inputs",
        "io input 17 on",
        "io input 0 on",
        "io output 3 maybe",
        "io sideways",
        "measure 299 1",
        "measure 300",
        "measure 300 70000",
        "measure x 1",
        "measure-float 1 1e39",
        "measure-float 1 1e400",
        "measure-float 1 x",
        "measure-float 44 1",
        "emergency 11 day=1",
        "emergency 0 day=1",
        "emergency 1 dy=1",
        "emergency 1 day=70000",
        "emergency 1 day",
        "emergency 1",
        "working 121 code=1",
        "working 1 year=300",
        "working 1 code=x",
        "osc-flags 1 1",
        "osc-flags 1 1 1 1 1 70000",
        "clock 1 2 3",
        "clock offset soon",
        "breaker ajar",
        "type -1",
        "type 65536",
        "signature",
        "@0 status",
        "@x status",
        "@1",
        "@9 type 1",
        "trip now",
        "frobnicate",
        "@1 quit",
    };
    for (const char* command : bad) {
        Line line{{715, 1}};
        const HoldingMemory before = line.relay().holding();
        EXPECT_NE(line.run(command), "") << command;
        EXPECT_EQ(line.relay().holding(), before) << command;
        EXPECT_FALSE(line.relay().ioOverride().inputs) << command;
    }
    // The integer layout has no floats; a record keeps its fields when one of them is wrong.
    Line line{{705, 1}};
    EXPECT_NE(line.run("measure-float 1 2"), "");
    EXPECT_NE(line.run("emergency 1 day=5 bogus=1"), "");
    EXPECT_NE(line.master.read(1, 400, 1, kNow).at(0), 5);
}

TEST(ControlCommands, OverridesHoldUntilClearedAndThenFollowTheFeederAgain)
{
    Line line{{705, 1}};
    ASSERT_EQ(line.run("measure 301 12345"), "");
    ASSERT_EQ(line.run("io outputs 0xFFFF"), "");
    for (int k = 0; k < 3; ++k) {  // the live values move; the overrides do not
        EXPECT_EQ(line.master.read(1, 301, 1, kNow + 1000 * k).at(0), 12345);
        EXPECT_EQ(line.master.read(1, 299, 1, kNow + 1000 * k).at(0), 0xFFFF);
    }
    ASSERT_EQ(line.run("measure clear"), "");
    EXPECT_NEAR(line.master.read(1, 301, 1, kNow).at(0), 320, 20);
    ASSERT_EQ(line.run("io live"), "");
    EXPECT_EQ(line.master.read(1, 299, 1, kNow).at(0) & 1u, 1u);  // "Готов"
    ASSERT_EQ(line.run("measure 310 7"), "");
    ASSERT_EQ(line.run("io inputs 2"), "");
    ASSERT_EQ(line.run("clear"), "");
    EXPECT_NE(line.master.read(1, 310, 1, kNow).at(0), 7);
    EXPECT_NE(line.master.read(1, 298, 1, kNow).at(0), 2);
}

TEST(ControlCommands, OneInputOrOutputIsSwitchedOnTopOfWhatTheRelayShows)
{
    Line line{{705, 1}};
    line.relay().setBreakerClosed(true);
    const std::uint16_t live = line.master.read(1, 298, 1, kNow).at(0);
    ASSERT_EQ(line.run("io input 16 on"), "");
    EXPECT_EQ(line.master.read(1, 298, 1, kNow + 40'000).at(0), live | 0x8000);
    ASSERT_EQ(line.run("io input 4 off"), "");  // "РПВ" off although the breaker is closed
    EXPECT_EQ(line.master.read(1, 298, 1, kNow).at(0), (live | 0x8000) & ~(1u << 3));
    ASSERT_EQ(line.run("io output 2 on"), "");
    EXPECT_EQ(line.master.read(1, 299, 1, kNow).at(0) & 2u, 2u);
}

TEST(RelayIoStates, EmptyMemoryShowsNothingActiveUntilATesterSetsAnInput)
{
    for (int model : {306, 715}) {
        Line line{{model, 1}};
        ASSERT_EQ(line.run("empty-memory"), "");
        EXPECT_EQ(line.master.read(1, 298, 2, kNow), (std::vector<std::uint16_t>{0, 0})) << model;
        // No settings but an active input: the page must still see it.
        ASSERT_EQ(line.run("io input 5 on"), "");
        EXPECT_EQ(line.master.read(1, 298, 2, kNow), (std::vector<std::uint16_t>{0x10, 0}))
            << model;
    }
}

// Function 0x20 from one page stores the minimal set only where the relay holds nothing:
// answering OK on the I/O page keeps the configured setpoints.
TEST(RelayMinimalSet, Function32FillsOnlyTheBlocksThatAreAllZero)
{
    struct Case {
        bool setpoints, io, leds;  // zeroed before the request
    } cases[] = {{false, true, false},
                 {true, false, false},
                 {false, false, true},
                 {true, true, true},
                 {false, false, false}};
    for (int model : {705, 716}) {
        for (const Case& c : cases) {
            Line line{{model, 1}};
            Relay& r = line.relay();
            const RelayModel& m = r.model();
            const RegisterBlock blocks[3] = {{0, static_cast<std::uint16_t>(m.setpointWords)},
                                             regs::kIoSettings,
                                             m.m ? regs::kLedsM : regs::kLeds};
            const bool zeroed[3] = {c.setpoints, c.io, c.leds};
            std::vector<std::uint16_t> configured[3], minimal[3];
            Relay reference(m, {}, kNow);
            reference.RestoreMinimalSet();
            for (int b = 0; b < 3; ++b) {
                const auto first = static_cast<std::ptrdiff_t>(blocks[b].start);
                configured[b].assign(r.holding().begin() + first,
                                     r.holding().begin() + first + blocks[b].count);
                minimal[b].assign(reference.holding().begin() + first,
                                  reference.holding().begin() + first + blocks[b].count);
                ASSERT_NE(configured[b], minimal[b]);
                if (zeroed[b])
                    std::fill_n(r.holding().begin() + first, blocks[b].count, 0);
            }
            line.master.restoreMinimalSet(1, kNow);
            for (int b = 0; b < 3; ++b) {
                std::vector<std::uint16_t> now;
                for (std::uint16_t at = blocks[b].start; at < blocks[b].end(); at += 100) {
                    const auto n = static_cast<std::uint16_t>(std::min(100, blocks[b].end() - at));
                    const auto part = line.master.read(1, at, n, kNow);
                    now.insert(now.end(), part.begin(), part.end());
                }
                EXPECT_EQ(now, zeroed[b] ? minimal[b] : configured[b]) << model << " block " << b;
            }
        }
    }
}

TEST(ControlCommands, ClockWordsOffsetAndBreakerAsThePagesReadThem)
{
    Line line{{715, 1}};
    auto clock = [&](std::int64_t now) { return line.master.read(1, 350, 7, now); };
    ASSERT_EQ(line.run("clock offset 60000"), "");
    EXPECT_EQ(clock(kNow), (std::vector<std::uint16_t>{14, 3, 26, 10, 21, 30, 400}));
    ASSERT_EQ(line.run("clock offset -120000"), "");
    EXPECT_EQ(clock(kNow)[4], 19);
    ASSERT_EQ(line.run("clock 29 2 23 0 0 0 999"), "");
    EXPECT_EQ(clock(kNow + 5000), (std::vector<std::uint16_t>{29, 2, 23, 0, 0, 0, 999}));
    // Setting the clock (page 15) ends the raw words: the relay runs from the set time.
    EXPECT_EQ(line.master.write(1, regs::kClockSet.start, {1, 3, 24, 8, 0, 0}, kNow), 0);
    EXPECT_EQ(clock(kNow + 2000), (std::vector<std::uint16_t>{1, 3, 24, 8, 0, 2, 0}));
    ASSERT_EQ(line.run("clock 0 0 0 0 0 0 0"), "");
    ASSERT_EQ(line.run("clock live"), "");
    EXPECT_EQ(clock(kNow + 2000)[0], 1);

    // The breaker position moves the position inputs; a blocked relay still refuses commands.
    ASSERT_EQ(line.run("breaker open"), "");
    EXPECT_EQ(line.master.read(1, 298, 1, kNow).at(0) & 0b1100u, 0b0100u);
    ASSERT_EQ(line.run("breaker closed"), "");
    EXPECT_EQ(line.master.read(1, 298, 1, kNow).at(0) & 0b1100u, 0b1000u);
    ASSERT_EQ(line.run("blocked on"), "");
    EXPECT_EQ(line.master.write(1, regs::kBreakerCommand, {regs::kBreakerOpen}, kNow), kRefused);
}

TEST(ControlCommands, AForeignTypeOrSignatureIsShownButTheRelayKeepsItsModel)
{
    Line line{{716, 1}};
    ASSERT_EQ(line.run("signature 0x1111"), "");
    ASSERT_EQ(line.run("type 999"), "");
    EXPECT_EQ(line.master.read(1, 130, 2, kNow), (std::vector<std::uint16_t>{0x1111, 999}));
    EXPECT_EQ(line.relay().model().code, 716);
    // Still an M relay: float measurements, and the type write rule of its family.
    EXPECT_EQ(line.master.read(1, 800, 88, kNow).size(), 88u);
    EXPECT_EQ(line.master.write(1, regs::kModelCode, {705}, kNow), kIllegalValue);
    EXPECT_EQ(line.master.write(1, regs::kModelCode, {717}, kNow), 0);
    EXPECT_EQ(line.master.read(1, 130, 2, kNow),
              (std::vector<std::uint16_t>{regs::kSignatureM, 717}));
}

TEST(ControlCommands, ARegisterOnlyOneRelayHasChangesNoRelay)
{
    Line line{{705, 1}, {715, 2}};
    EXPECT_NE(line.run("measure 300 77"), "");  // 300 is not a measurement register of an M relay
    EXPECT_NE(line.master.read(1, 300, 1, kNow).at(0), 77);
    EXPECT_NE(line.run("measure-float 0 1.5"), "");  // nor has the 705 floats
    EXPECT_NE(line.master.read(2, 800, 1, kNow).at(0), FloatLow(1.5f));
    EXPECT_EQ(line.run("@1 measure 300 77"), "");
    EXPECT_EQ(line.master.read(1, 300, 1, kNow).at(0), 77);
}

// What belongs to the relay's memory is kept by --state; the run's overrides are not.
TEST(ControlCommands, CraftedMemorySurvivesTheStateFile)
{
    Line line{{705, 1}, {716, 2}};
    for (const char* command :
         {"@1 type 4242", "@2 signature 0x1234", "@1 osc-flags 1 0 0 1 0 0",
          "@2 clock 31 4 26 24 60 60 150", "@1 emergency 3 day=29 month=2 year=2023 event=3",
          "@2 working 7 code=0x8001", "@2 breaker open", "@1 measure 301 999", "@2 io inputs 9"})
        ASSERT_EQ(line.run(command), "") << command;
    const std::string saved = SaveState(line.bus);
    Line again{{705, 1}, {716, 2}};
    ASSERT_EQ(LoadState(saved, again.bus), "");
    EXPECT_EQ(again.relay(0).model().code, 705);
    EXPECT_EQ(again.master.read(1, 130, 2, kNow),
              (std::vector<std::uint16_t>{regs::kSignatureNonM, 4242}));
    EXPECT_EQ(again.master.read(2, 130, 2, kNow), (std::vector<std::uint16_t>{0x1234, 716}));
    EXPECT_EQ(again.master.read(1, 9, 6, kNow, kArchive),
              (std::vector<std::uint16_t>{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(again.master.read(2, 350, 7, kNow),
              (std::vector<std::uint16_t>{31, 4, 26, 24, 60, 60, 150}));
    EXPECT_EQ(again.master.read(1, 468, 3, kNow), (std::vector<std::uint16_t>{29, 2, 2023}));
    EXPECT_EQ(again.master.read(1, 475, 1, kNow).at(0), 3);
    EXPECT_EQ(again.master.read(2, 2134, 1, kNow, kJournal).at(0), 0x0180);
    EXPECT_FALSE(again.relay(1).breakerClosed());
    EXPECT_NE(again.master.read(1, 301, 1, kNow).at(0), 999);
    EXPECT_FALSE(again.relay(1).ioOverride().inputs);
    // A state file with a wrong number of flags or clock words is refused, not half read.
    for (const char* field : {" osc-flag 1", " raw-clock 1"}) {
        std::string damaged = saved;
        damaged.insert(damaged.find('\n', damaged.find("relay model 705")), field);
        Line other{{705, 1}, {716, 2}};
        EXPECT_NE(LoadState(damaged, other.bus), "") << field;
    }
}

}  // namespace
}  // namespace tirv::sim
