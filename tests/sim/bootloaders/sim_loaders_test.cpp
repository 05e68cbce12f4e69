// Both bootloaders inside tirv-sim, over its pseudo-terminal: the entry by the three patterns at
// the relay's own address and speed, the loader's own address and speed afterwards, the line's
// faults on loader replies, the flash dump, the loader state across runs, and the M relay's
// STM32 bootloader with its fault words.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "configurator/firmware/relay_loader_frames.h"
#include "configurator/firmware/stm32_boot_frames.h"
#include "configurator/link/frames.h"
#include "sim/pty_client.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using tirv::sim::test::PtyClient;
using tirv::test::SimProcess;

constexpr std::uint32_t kWorkingBaud = 19200;
constexpr std::uint32_t kLoaderBaud = 57600;
constexpr std::uint8_t kAddress = 9;
constexpr std::uint32_t kPage = 0x00061000;  // block 10; block 11 (0x60000) comes first in a dump
constexpr std::size_t kPageInDump = 0x1000;

template <typename Build>
Bytes Frame(Build build)
{
    std::array<std::uint8_t, tirv::kFrameBufferSize> buf{};
    const std::size_t n = build(std::span<std::uint8_t>(buf));
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

Bytes Enter(int step)
{
    return Frame(
        [&](std::span<std::uint8_t> b) { return tirv::BuildEnterLoader(b, kAddress, step); });
}

std::array<std::uint8_t, tirv::kRelayPageSize> TestPage()
{
    std::array<std::uint8_t, tirv::kRelayPageSize> page{};
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return page;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> NonMArgs(const std::string& state = {})
{
    std::vector<std::string> args{"--model",   "705",
                                  "--address", std::to_string(kAddress),
                                  "--baud",    std::to_string(kWorkingBaud)};
    if (!state.empty()) {
        args.push_back("--state");
        args.push_back(state);
    }
    return args;
}

// Switches the relay into its loader with the three patterns at its working line.
void EnterLoader(PtyClient& line)
{
    ASSERT_TRUE(line.configure(kWorkingBaud));
    for (int step = 0; step < tirv::kEnterLoaderSteps; ++step)
        ASSERT_EQ(tirv::CheckEnterLoaderReply(line.exchange(Enter(step)), kAddress),
                  tirv::LinkResult::Good)
            << "pattern " << step;
    ASSERT_TRUE(line.configure(kLoaderBaud));
}

TEST(SimNonMLoader, EntersAtItsLineAnswersAtTheLoaderLineAndKeepsTheImageAfterExit)
{
    SimProcess sim(NonMArgs());
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient line(sim.portPath(), kWorkingBaud);
    ASSERT_TRUE(line.open());
    const Bytes probe = Frame([](std::span<std::uint8_t> b) { return tirv::BuildLoaderProbe(b); });
    ASSERT_TRUE(line.configure(kLoaderBaud));
    EXPECT_TRUE(line.exchange(probe).empty()) << "the program has no loader at address 1";

    EnterLoader(line);
    ASSERT_TRUE(sim.control("loader"));
    EXPECT_NE(sim.lastStatus().find("relay loader exits 0"), std::string::npos) << sim.lastStatus();
    EXPECT_EQ(tirv::CheckLoaderProbeReply(line.exchange(probe)), tirv::LinkResult::Good);
    const Bytes erase =
        Frame([](std::span<std::uint8_t> b) { return tirv::BuildEraseBlock(b, 10); });
    EXPECT_EQ(tirv::CheckEraseBlockReply(line.exchange(erase, 60, 3000), 10),
              tirv::LinkResult::Good);
    const auto page = TestPage();
    const Bytes write =
        Frame([&](std::span<std::uint8_t> b) { return tirv::BuildPageWrite(b, kPage, page); });
    ASSERT_EQ(write.size(), tirv::kPageWriteFrameLength);
    EXPECT_EQ(tirv::CheckPageWriteReply(line.exchange(write), kPage), tirv::LinkResult::Good);

    // While in the loader, the relay's program is gone from its own line.
    ASSERT_TRUE(line.configure(kWorkingBaud));
    const Bytes identity = Frame(
        [](std::span<std::uint8_t> b) { return tirv::BuildReadRegisters(b, kAddress, 130, 5); });
    EXPECT_TRUE(line.exchange(identity).empty());
    ASSERT_TRUE(line.configure(kLoaderBaud));
    const Bytes exit = Frame([](std::span<std::uint8_t> b) { return tirv::BuildExitLoader(b); });
    EXPECT_EQ(tirv::CheckExitLoaderReply(line.exchange(exit)), tirv::LinkResult::Good);
    ASSERT_TRUE(sim.control("loader"));
    EXPECT_NE(sim.lastStatus().find("relay program exits 1"), std::string::npos)
        << sim.lastStatus();
    ASSERT_TRUE(line.configure(kWorkingBaud));
    EXPECT_FALSE(line.exchange(identity).empty()) << "the program runs again";

    const std::string dump = sim.workDir() + "/flash.bin";
    ASSERT_TRUE(sim.control("flash-dump " + dump));
    const Bytes flash = ReadFile(dump);
    ASSERT_EQ(flash.size(), 0x8000u * 4 + 0x10000u * 6 + 0x1000u * 2);
    EXPECT_TRUE(std::equal(page.begin(), page.end(), flash.begin() + kPageInDump));
    EXPECT_EQ(flash[kPageInDump + page.size()], 0xFF);
}

TEST(SimNonMLoader, LineFaultsApplyToLoaderReplies)
{
    SimProcess sim(NonMArgs({}));
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient line(sim.portPath(), kWorkingBaud);
    EnterLoader(line);
    const Bytes probe = Frame([](std::span<std::uint8_t> b) { return tirv::BuildLoaderProbe(b); });
    struct Case {
        const char* fault;
        bool replyExpected;  // a damaged reply rather than none
    };
    const Case cases[] = {{"drop 1", false}, {"bad-crc 1", true}, {"silent on", false}};
    for (const Case& c : cases) {
        ASSERT_TRUE(sim.control(c.fault)) << c.fault;
        const Bytes reply = line.exchange(probe);
        EXPECT_EQ(!reply.empty(), c.replyExpected) << c.fault;
        EXPECT_NE(tirv::CheckLoaderProbeReply(reply), tirv::LinkResult::Good) << c.fault;
        ASSERT_TRUE(sim.control("silent off"));
        EXPECT_EQ(tirv::CheckLoaderProbeReply(line.exchange(probe)), tirv::LinkResult::Good)
            << "after " << c.fault;
    }
    ASSERT_TRUE(sim.control("late 150"));
    line.exchange(probe, 400, 2000);
    EXPECT_GE(line.lastReplyMs(), 150);
}

TEST(SimNonMLoader, ModeAndFlashSurviveTheStateFile)
{
    char folder[] = "/tmp/tirv-loader-state-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string state = std::string(folder) + "/relay.state";
    const auto page = TestPage();
    {
        SimProcess sim(NonMArgs(state));
        ASSERT_TRUE(sim.ready()) << sim.error();
        PtyClient line(sim.portPath(), kWorkingBaud);
        EnterLoader(line);
        const Bytes write =
            Frame([&](std::span<std::uint8_t> b) { return tirv::BuildPageWrite(b, kPage, page); });
        ASSERT_EQ(tirv::CheckPageWriteReply(line.exchange(write), kPage), tirv::LinkResult::Good);
        EXPECT_EQ(sim.stop(), 0);
    }
    SimProcess again(NonMArgs(state));
    ASSERT_TRUE(again.ready()) << again.error();
    PtyClient line(again.portPath(), kLoaderBaud);
    const Bytes probe = Frame([](std::span<std::uint8_t> b) { return tirv::BuildLoaderProbe(b); });
    EXPECT_EQ(tirv::CheckLoaderProbeReply(line.exchange(probe)), tirv::LinkResult::Good)
        << "still waiting in its loader";
    const std::string dump = std::string(folder) + "/flash.bin";
    ASSERT_TRUE(again.control("flash-dump " + dump));
    const Bytes flash = ReadFile(dump);
    ASSERT_GT(flash.size(), kPageInDump + page.size());
    EXPECT_TRUE(std::equal(page.begin(), page.end(), flash.begin() + kPageInDump));
    again.stop();
    fs::remove_all(folder);
}

// The M relay: its program takes the same three patterns, then the STM32 bootloader waits for
// 0x7F; GET ID and GET VERSION answer what the fault words set.
TEST(SimStm32Loader, EnteredByThePatternsAnswersSyncAndIdentityWithItsFaults)
{
    SimProcess sim({"--model", "715", "--address", std::to_string(kAddress), "--baud",
                    std::to_string(kWorkingBaud)});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient line(sim.portPath(), kWorkingBaud);
    EnterLoader(line);
    ASSERT_TRUE(line.configure(115200));
    EXPECT_EQ(line.exchange(Bytes{0x7F}), Bytes{0x79});
    EXPECT_EQ(line.exchange(Bytes{0x02, 0xFD}), (Bytes{0x79, 0x01, 0x04, 0x13, 0x79}));
    ASSERT_TRUE(sim.control("stm32-pid 0x419"));
    EXPECT_EQ(line.exchange(Bytes{0x02, 0xFD}), (Bytes{0x79, 0x01, 0x04, 0x19, 0x79}));
    ASSERT_TRUE(sim.control("stm32-version 0x30"));
    const Bytes version = line.exchange(Bytes{0x01, 0xFE});
    ASSERT_EQ(version.size(), 5u);
    EXPECT_EQ(version[1], 0x30);
    ASSERT_TRUE(sim.control("stm32-nack 1"));
    EXPECT_EQ(line.exchange(Bytes{0x01, 0xFE}), Bytes{0x1F});
    ASSERT_TRUE(sim.control("drop 1"));
    EXPECT_TRUE(line.exchange(Bytes{0x01, 0xFE}).empty());
    EXPECT_FALSE(sim.control("stm32-pid 70000")) << "out of range is refused";
    ASSERT_TRUE(sim.control("loader"));
    EXPECT_NE(sim.lastStatus().find("stm32 loader"), std::string::npos) << sim.lastStatus();
    // GO leaves the bootloader: the program answers at its own line again.
    const Bytes go{0x21, 0xDE, 0x08, 0x00, 0x00, 0x00, 0x08};
    EXPECT_EQ(line.exchange(go), (Bytes{0x79, 0x79}));
    ASSERT_TRUE(line.configure(kWorkingBaud));
    const Bytes identity = Frame(
        [](std::span<std::uint8_t> b) { return tirv::BuildReadRegisters(b, kAddress, 130, 5); });
    EXPECT_FALSE(line.exchange(identity).empty());
}

TEST(SimStm32Loader, ModeFlashAndProtectionSurviveTheStateFile)
{
    char folder[] = "/tmp/tirv-stm32-state-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string state = std::string(folder) + "/relay.state";
    {
        SimProcess sim({"--model", "715", "--bootloader", "--state", state});
        ASSERT_TRUE(sim.ready()) << sim.error();
        PtyClient line(sim.portPath(), 115200);
        ASSERT_EQ(line.exchange(Bytes{0x7F}), Bytes{0x79});
        // WRITE MEMORY of 4 bytes at 0x08000000.
        ASSERT_EQ(line.exchange(Bytes{0x31, 0xCE}), Bytes{0x79});
        ASSERT_EQ(line.exchange(Bytes{0x08, 0x00, 0x00, 0x00, 0x08}), Bytes{0x79});
        ASSERT_EQ(
            line.exchange(Bytes{0x03, 0xDE, 0xAD, 0xBE, 0xEF, 0x03 ^ 0xDE ^ 0xAD ^ 0xBE ^ 0xEF}),
            Bytes{0x79});
        ASSERT_TRUE(sim.control("stm32-wrp 2"));
        EXPECT_EQ(sim.stop(), 0);
    }
    SimProcess again({"--model", "715", "--state", state});
    ASSERT_TRUE(again.ready()) << again.error();
    ASSERT_TRUE(again.control("loader"));
    EXPECT_NE(again.lastStatus().find("stm32 loader"), std::string::npos) << again.lastStatus();
    const std::string dump = std::string(folder) + "/flash.bin";
    ASSERT_TRUE(again.control("flash-dump " + dump));
    const Bytes flash = ReadFile(dump);
    ASSERT_EQ(flash.size(), 1024u * 1024u);
    EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 5), (Bytes{0xDE, 0xAD, 0xBE, 0xEF, 0xFF}));
    // The write protection of sector 1 is kept too: the option bytes read it back.
    PtyClient line(again.portPath(), 115200);
    ASSERT_EQ(line.exchange(Bytes{0x7F}), Bytes{0x79});
    ASSERT_EQ(line.exchange(Bytes{0x11, 0xEE}), Bytes{0x79});
    ASSERT_EQ(line.exchange(Bytes{0x1F, 0xFF, 0xC0, 0x00, 0x1F ^ 0xFF ^ 0xC0 ^ 0x00}), Bytes{0x79});
    const Bytes options = line.exchange(Bytes{0x0F, 0xF0});
    ASSERT_EQ(options.size(), 17u);
    EXPECT_EQ(options[1 + 8] & 0x02, 0) << "nWRP bit of sector 1 cleared";
    again.stop();
    fs::remove_all(folder);
}

TEST(SimStm32Loader, BootloaderOnEntersItDirectly)
{
    SimProcess sim({"--model", "716", "--bootloader"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient line(sim.portPath(), 115200);
    EXPECT_EQ(line.exchange(Bytes{0x7F}), Bytes{0x79});
    ASSERT_TRUE(sim.control("bootloader off"));
    EXPECT_TRUE(line.exchange(Bytes{0x01, 0xFE}).empty()) << "a plain restart runs the program";
}

std::string Shell(const std::string& command, int& status)
{
    std::string output;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) {
        status = -1;
        return output;
    }
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, p) != nullptr)
        output += chunk;
    status = pclose(p);
    return output;
}

// stm32flash, an independent AN3155 host, against the M relay's bootloader inside tirv-sim
// (8n1: a pseudo-terminal cannot carry parity).
TEST(SimStm32Loader, Stm32flashIdentifiesWritesAndVerifiesThroughTheSimulatorsLine)
{
    int status = 0;
    Shell("command -v stm32flash", status);
    if (status != 0)
        GTEST_SKIP() << "stm32flash is not installed (scripts/install-deps installs it)";
    SimProcess sim({"--model", "717", "--bootloader"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string tool = "stm32flash -m 8n1 -b 115200 ";
    const std::string id = Shell(tool + sim.portPath(), status);
    ASSERT_EQ(status, 0) << id;
    EXPECT_NE(id.find("0x0413"), std::string::npos) << id;
    Bytes image(20 * 1024 + 3);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13 + i / 512);
    const std::string file = sim.workDir() + "/image.bin";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    const std::string written = Shell(tool + "-w " + file + " -v " + sim.portPath(), status);
    ASSERT_EQ(status, 0) << written;
    const std::string dump = sim.workDir() + "/flash.bin";
    ASSERT_TRUE(sim.control("flash-dump " + dump));
    const Bytes flash = ReadFile(dump);
    ASSERT_EQ(flash.size(), 1024u * 1024u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
}

}  // namespace
