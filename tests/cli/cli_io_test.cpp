// tirv-cli's I/O, LED and project commands against tirv-sim: files written by the cli are the
// window's files (they parse with its codecs and go back into the relay unchanged), layout
// questions of LED files, damaged and invalid files refused with their exit status.
#include "cli_run.h"

#include "common/word_file.h"
#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/shell/project_file.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>

namespace tirv::test {
namespace {

namespace it = io_texts;
namespace ot = io_operation_texts;

std::vector<std::uint8_t> Bytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

IoImage Edited()
{
    IoImage image = DefaultIoImage();
    image.input(8, IoFunction) = 40;
    image.input(12, IoFirstTime) = 1234;
    image.output(10, IoFunction) = 77;
    image.output(15, IoLevel) = 2;
    return image;
}

TEST(CliIo, TioFilesGoIntoTheRelayAndComeBackAsTheWindowWritesThem)
{
    for (const int code : {705, 715}) {
        SCOPED_TRACE(code);
        SimProcess sim({"--model", std::to_string(code)});
        ASSERT_TRUE(sim.ready()) << sim.error();
        const std::string in = sim.workDir() + "/in.tio";
        const std::string out = sim.workDir() + "/out.tio";
        const IoImage edited = Edited();
        ASSERT_TRUE(WriteWholeFile(in, BuildTioFile(0, {7, 8, 9}, edited)));

        const CliResult w = RunCli(On(sim, {"io", "write", in}));
        ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
        EXPECT_TRUE(w.err.contains(T(ot::kWriteDone))) << w.err.toStdString();
        const CliResult r = RunCli(On(sim, {"io", "read", out, "--json"}));
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_TRUE(r.jsonValid()) << r.out.toStdString();
        EXPECT_EQ(r.json()["inputs"].toArray()[8].toArray()[0].toInt(), 40);

        const TioFile file = ParseTioFile(Bytes(out));
        ASSERT_EQ(file.result, IoFileResult::Ok);
        EXPECT_EQ(file.image, edited);
        EXPECT_EQ(file.modelCode, static_cast<std::uint32_t>(code)) << "the relay's own model";
    }
}

TEST(CliIo, BrokenAndInvalidTioFilesAreRefused)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string path = sim.workDir() + "/bad.tio";

    std::vector<std::uint8_t> damaged = BuildTioFile(715, {}, Edited());
    damaged[100] ^= 0x01;
    ASSERT_TRUE(WriteWholeFile(path, damaged));
    const CliResult d = RunCli(On(sim, {"io", "write", path}));
    EXPECT_EQ(d.exitCode, 5);
    EXPECT_TRUE(d.err.contains(T(it::kTioDamaged))) << d.err.toStdString();

    IoImage invalid = DefaultIoImage();
    invalid.input(8, IoFunction) = 3;  // input 9 cannot take a fixed function
    ASSERT_TRUE(WriteWholeFile(path, BuildTioFile(715, {}, invalid)));
    const CliResult i = RunCli(On(sim, {"io", "write", path}));
    EXPECT_EQ(i.exitCode, 5);
    EXPECT_TRUE(i.err.contains(T(it::kTioInvalidMessage))) << i.err.toStdString();

    const CliResult ext = RunCli(On(sim, {"io", "read", sim.workDir() + "/x.tld"}));
    EXPECT_EQ(ext.exitCode, 3);
    EXPECT_TRUE(ext.err.contains(T(it::kTioWrongExtension))) << ext.err.toStdString();
}

TEST(CliIo, StatePrintsTheLiveBits)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("io inputs 5"));
    ASSERT_TRUE(sim.control("io outputs 0x8000"));
    const CliResult r = RunCli(On(sim, {"io", "state"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1010000000000000"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("0000000000000001"))) << r.out.toStdString();
    const CliResult j = RunCli(On(sim, {"io", "state", "--json"}));
    ASSERT_TRUE(j.jsonValid());
    EXPECT_TRUE(j.json()["inputs"].toArray()[2].toBool());
    EXPECT_FALSE(j.json()["inputs"].toArray()[1].toBool());
}

// The old ТИРВ-protocol variant cannot name where a read starts: the cli refuses the I/O and LED
// reads with the window's words (and writes no file), while a write, which names its start,
// lands in the I/O block (read back over Modbus TCP).
TEST(CliIo, OldTextVariantRefusesTheReadsAndWritesByAddress)
{
    SimProcess sim({"--model", "715", "--protocol", "tirv", "--variant", "0", "--tcp", "0"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::vector<std::string> old{"--protocol", "tirv", "--variant", "0"};
    const auto withOld = [&](std::vector<std::string> args) {
        args.insert(args.end(), old.begin(), old.end());
        return On(sim, args);
    };
    const std::string out = sim.workDir() + "/out.tio";
    const CliResult io = RunCli(withOld({"io", "read", out}));
    EXPECT_NE(io.exitCode, 0);
    EXPECT_TRUE(io.err.contains(T(ot::kReadNeedsStart[0]))) << io.err.toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    const CliResult leds = RunCli(withOld({"leds", "read", sim.workDir() + "/out.tld"}));
    EXPECT_NE(leds.exitCode, 0);
    EXPECT_TRUE(leds.err.contains(T(ot::kLedReadNeedsStart))) << leds.err.toStdString();

    const std::string in = sim.workDir() + "/in.tio";
    ASSERT_TRUE(WriteWholeFile(in, BuildTioFile(0, {}, Edited())));
    const CliResult w = RunCli(withOld({"io", "write", in}));
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    const CliResult r =
        RunCli({"io", "read", out, "--tcp", "127.0.0.1:" + std::to_string(sim.tcpPort())});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(ParseTioFile(Bytes(out)).image, Edited());
}

TEST(CliIo, LedFilesRoundTripAndAnOlderLayoutAsksFirst)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string five = sim.workDir() + "/five.tld";
    const std::string back = sim.workDir() + "/back.tld";
    LedImage leds{};
    leds.at(0, LedSignal) = 94;
    leds.at(1, LedMode) = 1;
    leds.at(4, LedTime) = 250;
    ASSERT_TRUE(WriteWholeFile(five, BuildTldFile(705, {}, leds)));
    ASSERT_EQ(Bytes(five).size(), kTldBytesNonM);

    const CliResult no = RunCli(On(sim, {"leds", "write", five, "--no"}));
    EXPECT_EQ(no.exitCode, 5);
    EXPECT_TRUE(no.err.contains(T(it::kTldOlderLayout))) << no.err.toStdString();

    const CliResult yes = RunCli(On(sim, {"leds", "write", five, "--yes"}));
    ASSERT_EQ(yes.exitCode, 0) << yes.err.toStdString();
    const CliResult r = RunCli(On(sim, {"leds", "read", back, "--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(Bytes(back).size(), kTldBytesM);
    const TldFile file = ParseTldFile(Bytes(back), 715);
    ASSERT_EQ(file.result, IoFileResult::Ok);
    EXPECT_EQ(file.image, leds) << "LEDs 6-8 cleared by the five-LED file";
    EXPECT_EQ(r.json()["leds"].toArray().size(), 8);

    std::vector<std::uint8_t> hundred(100, 0);
    ASSERT_TRUE(WriteWholeFile(five, hundred));
    const CliResult d = RunCli(On(sim, {"leds", "write", five}));
    EXPECT_EQ(d.exitCode, 5);
    EXPECT_TRUE(d.err.contains(T(it::kTldDamaged))) << d.err.toStdString();
}

TEST(CliIo, ProjectCarriesAllThreeBlocks)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string tio = sim.workDir() + "/in.tio";
    const std::string project = sim.workDir() + "/all.tirv";
    const std::string again = sim.workDir() + "/again.tirv";
    ASSERT_TRUE(WriteWholeFile(tio, BuildTioFile(715, {}, Edited())));
    ASSERT_EQ(RunCli(On(sim, {"io", "write", tio})).exitCode, 0);

    const CliResult r = RunCli(On(sim, {"project", "read", project}), 60000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<std::uint8_t> first = Bytes(project);
    ASSERT_EQ(first.size(), ProjectFileBytes(true));
    const ProjectFileRead parsed = ParseProjectFile(first, ProfileForModel(715));
    EXPECT_EQ(parsed.content.io, Edited());

    // Another I/O set in the relay, then the project back: the read-out equals the first one.
    ASSERT_TRUE(WriteWholeFile(tio, BuildTioFile(715, {}, DefaultIoImage())));
    ASSERT_EQ(RunCli(On(sim, {"io", "write", tio})).exitCode, 0);
    const CliResult w = RunCli(On(sim, {"project", "write", project}), 60000);
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    ASSERT_EQ(RunCli(On(sim, {"project", "read", again}), 60000).exitCode, 0);
    EXPECT_EQ(Bytes(again), first);
}

}  // namespace
}  // namespace tirv::test
