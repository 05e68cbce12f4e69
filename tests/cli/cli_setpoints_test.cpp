// tirv-cli's setpoint commands against tirv-sim: a file written into the relay comes back
// unchanged and byte for byte as the window saves it; show and check read files as the window
// opens them; faults end with their exit status (lost replies, a silent relay, a refused
// write, a rejected read, missing and broken files).
#include "cli_run.h"

#include "common/word_file.h"
#include "configurator/link/texts.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/texts.h"
#include "configurator/shell/file_texts.h"
#include "configurator/shell/setpoint_file.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>
#include <QJsonArray>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tirv::test {
namespace {

namespace lt = link_texts;
namespace st = setpoint_texts;
namespace ft = file_texts;

std::vector<std::uint8_t> Bytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

// The model's default setpoints with a few values moved, so that a read cannot pass by
// returning what the relay held before.
SetpointImage Edited(const ModelProfile& p)
{
    SetpointImage image = DefaultImage(p);
    image[0] = p.numeric[0].rawMax;
    image[static_cast<std::size_t>(p.flagIndex(0))] ^= 1;
    image[static_cast<std::size_t>(p.choiceIndex(0))] = p.choices[0].max;
    EXPECT_TRUE(CheckImage(p, image));
    return image;
}

std::string Save(const SimProcess& sim, const char* name, const ModelProfile& p,
                 const SetpointImage& image)
{
    const std::string path = sim.workDir() + "/" + name;
    EXPECT_TRUE(WriteWholeFile(path, BuildSetpointFile(p, image)));
    return path;
}

TEST(CliSetpoints, WrittenFileComesBackAsTheWindowSavesIt)
{
    struct Case {
        int code;
        std::vector<std::string> sim;
        std::vector<std::string> cli;
    };
    const Case cases[] = {
        {705, {}, {}},
        {306, {}, {}},
        {716, {}, {}},
        // The ТИРВ protocol's check tells no model: the relay's is named.
        {705, {"--protocol", "tirv"}, {"--protocol", "tirv", "--model", "705"}},
        {717,
         {"--protocol", "tirv", "--values-per-frame", "25"},
         {"--protocol", "tirv", "--values-per-frame", "25", "--model", "717"}},
        // 127 words leave a last block one short of a full frame at 16 and at 8 values.
        {717,
         {"--protocol", "tirv", "--values-per-frame", "16"},
         {"--protocol", "tirv", "--values-per-frame", "16", "--model", "717"}},
        {717,
         {"--protocol", "tirv", "--values-per-frame", "8"},
         {"--protocol", "tirv", "--values-per-frame", "8", "--model", "717"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> simArgs{"--model", std::to_string(c.code)};
        simArgs.insert(simArgs.end(), c.sim.begin(), c.sim.end());
        SimProcess sim(simArgs);
        ASSERT_TRUE(sim.ready()) << sim.error();
        const ModelProfile p = ProfileForModel(c.code);
        const SetpointImage image = Edited(p);
        const std::string in = Save(sim, "in.tpr", p, image);
        auto with = [&c](std::vector<std::string> args) {
            args.insert(args.end(), c.cli.begin(), c.cli.end());
            return args;
        };

        const CliResult w = RunCli(On(sim, with({"setpoints", "write", in, "--json"})));
        ASSERT_EQ(w.exitCode, 0) << c.code << w.err.toStdString();
        EXPECT_TRUE(w.err.contains(T(st::kWriteDone))) << w.err.toStdString();
        ASSERT_TRUE(w.jsonValid());

        const std::string out = sim.workDir() + "/out.tpr";
        const CliResult r = RunCli(On(sim, with({"setpoints", "read", out, "--json"})));
        ASSERT_EQ(r.exitCode, 0) << c.code << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(T(st::kReadDone)));
        EXPECT_EQ(Bytes(out), BuildSetpointFile(p, image)) << c.code;
        ASSERT_TRUE(r.jsonValid());
        EXPECT_EQ(r.json()["model"].toInt(), c.code);

        // The window opens it without a word and gets the image back.
        const SetpointFileRead opened = ParseSetpointFile(Bytes(out), p);
        EXPECT_FALSE(opened.steps.refusal);
        EXPECT_TRUE(opened.steps.questions.empty());
        EXPECT_FALSE(opened.steps.invalid);
        EXPECT_EQ(opened.image, image) << c.code;
    }
}

TEST(CliSetpoints, ReadOverModbusTcpGivesTheSameFile)
{
    SimProcess sim({"--model", "715", "--tcp", "0"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string serial = sim.workDir() + "/serial.tpr";
    const std::string tcp = sim.workDir() + "/tcp.tpr";
    ASSERT_EQ(RunCli(On(sim, {"setpoints", "read", serial})).exitCode, 0);
    const std::string target = "127.0.0.1:" + std::to_string(sim.tcpPort());
    const CliResult r = RunCli({"setpoints", "read", tcp, "--tcp", target, "--model", "715"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Bytes(tcp), Bytes(serial));
    EXPECT_EQ(RunCli({"setpoints", "write", serial, "--tcp", target}).exitCode, 2);
}

TEST(CliSetpoints, ShowListsEverySetpoint)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    for (const int code : {705, 717}) {
        const ModelProfile p = ProfileForModel(code);
        const SetpointImage image = Edited(p);
        const std::string file = Save(sim, "show.tpr", p, image);
        const CliResult r = RunCli({"setpoints", "show", file, "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_TRUE(r.jsonValid());
        EXPECT_EQ(r.json()["model"].toInt(), code);
        const QJsonArray list = r.json()["setpoints"].toArray();
        ASSERT_EQ(list.size(), p.numericCount() + p.flagCount() + p.choiceCount());
        const QJsonObject first = list[0].toObject();
        EXPECT_EQ(first["name"].toString(), T(p.numeric[0].name));
        EXPECT_EQ(first["raw"].toInt(), image[0]);
        EXPECT_EQ(first["unit"].toString(), T(p.numeric[0].unit));
        const QJsonObject choice = list[p.choiceIndex(0)].toObject();
        EXPECT_EQ(choice["value"].toString(), T(p.choices[0].items[p.choices[0].max]));

        const CliResult text = RunCli({"setpoints", "show", file});
        ASSERT_EQ(text.exitCode, 0);
        EXPECT_EQ(text.out.count('\n'), list.size());
        EXPECT_TRUE(text.out.startsWith(T(p.numeric[0].name)));
    }
}

TEST(CliSetpoints, CheckReportsEveryProblem)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const ModelProfile p = ProfileForModel(705);
    struct Case {
        const char* what;
        int flag;    // value of flag 0
        int choice;  // value of choice 0
        int exit;
        int problems;
    };
    const Case cases[] = {
        {"valid", 1, 0, 0, 0},
        {"flag 2", 2, 0, 5, 1},
        {"choice above its list", 0, p.choices[0].max + 1, 5, 1},
    };
    for (const Case& c : cases) {
        SetpointImage image = DefaultImage(p);
        image[static_cast<std::size_t>(p.flagIndex(0))] = c.flag;
        image[static_cast<std::size_t>(p.choiceIndex(0))] = c.choice;
        const std::string file = Save(sim, "check.tpr", p, image);
        const CliResult r = RunCli({"setpoints", "check", file, "--json"});
        EXPECT_EQ(r.exitCode, c.exit) << c.what << r.err.toStdString();
        ASSERT_TRUE(r.jsonValid()) << c.what;
        EXPECT_EQ(r.json()["problems"].toArray().size(), c.problems) << c.what;
        if (c.exit != 0) {
            EXPECT_TRUE(r.err.contains(T(ft::kInvalidSetpoints))) << c.what;
            // show and write refuse the same file, as the window refuses to open it.
            EXPECT_EQ(RunCli({"setpoints", "show", file}).exitCode, 5) << c.what;
            EXPECT_EQ(RunCli(On(sim, {"setpoints", "write", file})).exitCode, 5) << c.what;
        }
    }
}

TEST(CliSetpoints, FileErrors)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const ModelProfile p = ProfileForModel(705);
    const std::string good = Save(sim, "good.tpr", p, DefaultImage(p));
    std::vector<std::uint8_t> badCrc = BuildSetpointFile(p, DefaultImage(p));
    badCrc[20] ^= 0x01;
    const std::string crc = sim.workDir() + "/crc.tpr";
    ASSERT_TRUE(WriteWholeFile(crc, badCrc));
    const std::string junk = sim.workDir() + "/junk.tpr";
    ASSERT_TRUE(WriteWholeFile(junk, std::vector<std::uint8_t>(100, 7)));
    // A file of the non-M size whose model code is none of the family.
    const std::string foreign = sim.workDir() + "/foreign.tpr";
    ASSERT_TRUE(WriteWholeFile(foreign, BuildSetpointFile(ProfileForModel(500), DefaultImage(p))));
    const std::string missing = sim.workDir() + "/missing.tpr";
    const std::string noFolder = sim.workDir() + "/no/such/folder/out.tpr";
    const std::string wrongName = sim.workDir() + "/good.txt";

    struct Case {
        std::vector<std::string> args;
        int exit;
        QString text;
    };
    const Case cases[] = {
        {{"setpoints", "show", missing}, 3, T(ft::kCannotOpen).left(20)},
        {{"setpoints", "write", missing}, 3, T(ft::kCannotOpen).left(20)},
        {{"setpoints", "check", wrongName}, 3, T(ft::kWrongSetpointsExtension)},
        {{"setpoints", "read", noFolder}, 3, T(ft::kCannotOpen).left(20)},
        {{"setpoints", "show", junk}, 5, T(ft::kSetpointsFormat).left(30)},
        {{"setpoints", "check", crc}, 5, T(ft::kSetpointsFormat).left(30)},
        {{"setpoints", "write", crc}, 5, T(ft::kSetpointsFormat).left(30)},
        {{"setpoints", "show", foreign}, 5, T("ТИРВ-705 или")},
        {{"setpoints", "show", good}, 0, QString()},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = On(sim, c.args);
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args[1] << " " << c.args[2] << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.text)) << c.args[2] << r.err.toStdString();
    }
}

// A file of another model of the class is a question, answered by --yes / --no.
TEST(CliSetpoints, OtherModelFileAsksFirst)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const ModelProfile other = ProfileForModel(706);
    const std::string file = Save(sim, "706.tpr", other, DefaultImage(other));
    const QString question = T(ft::kOtherModelQuestion).left(20);

    const CliResult declined = RunCli(On(sim, {"setpoints", "write", file}));
    EXPECT_EQ(declined.exitCode, 5);
    EXPECT_TRUE(declined.err.contains(question)) << declined.err.toStdString();
    EXPECT_FALSE(declined.err.contains(T(st::kWriteStarted)));
    const CliResult no = RunCli(On(sim, {"setpoints", "write", file, "--no"}));
    EXPECT_EQ(no.exitCode, 5);

    const CliResult accepted = RunCli(On(sim, {"setpoints", "write", file, "--yes"}));
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err.toStdString();
    EXPECT_TRUE(accepted.err.contains(question));
    EXPECT_TRUE(accepted.err.contains(T(st::kWriteDone)));
}

// A relay without setpoints: the question of the minimal set is answered by --yes / --no.
TEST(CliSetpoints, EmptyRelayAsksForTheMinimalSet)
{
    SimProcess sim({"--model", "705", "--empty-memory"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string file = sim.workDir() + "/empty.tpr";
    const CliResult declined = RunCli(On(sim, {"setpoints", "read", file}));
    EXPECT_EQ(declined.exitCode, 5) << declined.err.toStdString();
    EXPECT_TRUE(declined.err.contains(T(st::kAskMinimalSet))) << declined.err.toStdString();
    EXPECT_FALSE(std::ifstream(file).good());

    const CliResult accepted = RunCli(On(sim, {"setpoints", "read", file, "--yes"}));
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err.toStdString();
    const SetpointFileRead opened = ParseSetpointFile(Bytes(file), ProfileForModel(705));
    EXPECT_FALSE(opened.steps.refusal);
    EXPECT_FALSE(opened.steps.invalid);
}

TEST(CliSetpoints, LinkFaults)
{
    struct Case {
        const char* what;
        int model;
        const char* control;
        std::vector<std::string> cli;
        int exit;
        const char* text;
    };
    const Case cases[] = {
        {"lost replies, non-M", 705, "drop 2", {}, 0, "Проверка связи: 2"},
        {"silent non-M relay",
         705,
         "silent on",
         {"--repeats", "1", "--model", "705"},
         1,
         lt::kCannotConnect},
        {"silent M relay", 715, "silent on", {"--repeats", "1"}, 1, lt::kReadFailed},
        {"refusing relay", 715, "exception 2", {"--repeats", "1"}, 1, lt::kReadFailed},
    };
    for (const Case& c : cases) {
        SimProcess sim({"--model", std::to_string(c.model)});
        ASSERT_TRUE(sim.ready()) << sim.error();
        ASSERT_TRUE(sim.control(c.control));
        std::vector<std::string> args{"setpoints", "read", sim.workDir() + "/x.tpr"};
        args.insert(args.end(), c.cli.begin(), c.cli.end());
        const CliResult r = RunCli(On(sim, args));
        EXPECT_EQ(r.exitCode, c.exit) << c.what << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(T(c.text))) << c.what << r.err.toStdString();
        EXPECT_EQ(std::ifstream(sim.workDir() + "/x.tpr").good(), c.exit == 0) << c.what;
    }
}

// Faults set once the link check has passed hit the transfer itself. At 1200 bit/s a block of
// the M setpoints takes about two seconds to come back; a write is acknowledged in a short reply,
// which the relay here sends late, so that the fault is in place before the last block.
TEST(CliSetpoints, FaultsDuringTheTransfer)
{
    struct Case {
        const char* what;
        const char* command;
        const char* late;
        const char* fault;
        int exit;
        QString text;
    };
    const Case cases[] = {
        {"lost reply repeated", "read", "0", "drop 1", 0, T(lt::kRepeatSuffix).arg(1)},
        {"refused write", "write", "100", "exception 2", 4, T(lt::kDeviceCannotExecute)},
    };
    for (const Case& c : cases) {
        SimProcess sim(
            {"--model", "715", "--baud", "1200", "--channel", "rs485", "--late", c.late});
        ASSERT_TRUE(sim.ready()) << sim.error();
        const ModelProfile p = ProfileForModel(715);
        const std::string file = Save(sim, "t.tpr", p, DefaultImage(p));
        const CliResult r =
            RunCliWhen(On(sim, {"setpoints", c.command, file, "--baud", "1200", "--channel",
                                "rs485", "--repeats", "2"}),
                       T(lt::kLinkEstablished), [&] { ASSERT_TRUE(sim.control(c.fault)); });
        EXPECT_EQ(r.exitCode, c.exit) << c.what << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.text)) << c.what << r.err.toStdString();
    }
}

// The relay's memory holds a value the check refuses (kept in the simulator's state file): the
// read is rejected, and no file is written.
TEST(CliSetpoints, RejectedReadWritesNoFile)
{
    const ModelProfile p = ProfileForModel(705);
    const int index = p.find("ЗОФ Вкл.");
    ASSERT_GE(index, 0);
    int reg = -1;
    for (int r = 0; r < p.imageWords; ++r)
        if (p.registerOrder[static_cast<std::size_t>(r)] == index)
            reg = r;
    ASSERT_GE(reg, 0);

    char folder[] = "/tmp/cli_state_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string state = std::string(folder) + "/state.txt";
    {
        SimProcess first({"--model", "705", "--state", state});
        ASSERT_TRUE(first.ready()) << first.error();
        ASSERT_EQ(first.stop(), 0);
    }
    std::vector<std::string> lines;
    {
        std::ifstream in(state);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
    }
    ASSERT_GE(lines.size(), 3u);
    std::istringstream words(lines[2]);
    std::vector<std::string> regs;
    for (std::string w; words >> w;)
        regs.push_back(w);
    ASSERT_EQ(regs[0], "registers");
    ASSERT_GT(regs.size(), static_cast<std::size_t>(reg + 1));
    regs[static_cast<std::size_t>(reg + 1)] = "8002";  // a flag of 2
    std::string spoilt;
    for (const std::string& w : regs)
        spoilt += (spoilt.empty() ? "" : " ") + w;
    lines[2] = spoilt;
    {
        std::ofstream out(state);
        for (const std::string& line : lines)
            out << line << "\n";
    }

    SimProcess sim({"--model", "705", "--state", state});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string file = sim.workDir() + "/rejected.tpr";
    const CliResult r = RunCli(On(sim, {"setpoints", "read", file, "--json"}));
    EXPECT_EQ(r.exitCode, 5) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(T(st::kReadRejected))) << r.err.toStdString();
    EXPECT_FALSE(std::ifstream(file).good());
    ASSERT_TRUE(r.jsonValid());
    EXPECT_EQ(r.json()["exitCode"].toInt(), 5);
    sim.stop();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tirv::test
