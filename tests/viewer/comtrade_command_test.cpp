// The viewer program's command-line export, run as a separate process.
#include "viewer/comtrade_export.h"

#include "viewer/oscillogram_builder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tirv {
namespace {

using test::OscillogramBuilder;
namespace fs = std::filesystem;

struct ProcessRun {
    int exitCode = -1;
    std::string err;
};

std::string Quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ComtradeCommand : public testing::Test {
protected:
    void SetUp() override
    {
        // TIRV_BIN_DIR names the folder of the built programs; the build's own is the fallback.
        const char* bin = std::getenv("TIRV_BIN_DIR");
        if (!bin || !*bin)
            bin = TIRV_DEFAULT_BIN_DIR;
        program = fs::path(bin) / "Осциллограф";
        ASSERT_TRUE(fs::exists(program)) << program;
        dir = fs::temp_directory_path() / ("tirv_comtrade_cli_" + std::string(
                  testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }

    ProcessRun run(const std::string& args)
    {
        const fs::path errFile = dir / "stderr.txt";
        const std::string cmd = Quoted(program.string()) + " " + args + " 2>" + Quoted(errFile.string()) +
                                " </dev/null >/dev/null";
        const int status = std::system(cmd.c_str());
        ProcessRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = ReadAll(errFile);
        return r;
    }

    fs::path writeImage(const std::string& name, std::vector<std::uint8_t> bytes)
    {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    fs::path program, dir;
};

TEST_F(ComtradeCommand, WritesTheThreeFilesAndExitsZero)
{
    const auto bytes = OscillogramBuilder::Current()
                           .channels({OscChannel::Ia, OscChannel::Uc})
                           .stopIndex(4000)
                           .sine(OscChannel::Ia, 2000)
                           .sine(OscChannel::Uc, 9000, 120)
                           .digital({{0, 1, 0}, {100, 5, 0x0100}}, 1)
                           .build();
    const auto in = writeImage("in.tao", bytes);
    const ProcessRun r = run("--comtrade " + Quoted(in.string()) + " " + Quoted((dir / "out.cfg").string()));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");

    OscillogramImage image;
    CollectingSink sink;
    ASSERT_EQ(image.parse(bytes, sink), LoadStatus::Loaded);
    EXPECT_EQ(ReadAll(dir / "out.CFG"), ComtradeConfiguration(image));
    EXPECT_EQ(ReadAll(dir / "out.DAT"), ComtradeData(image));
    EXPECT_TRUE(fs::is_regular_file(dir / "out.HDR"));
}

TEST_F(ComtradeCommand, NonBlockingLoadMessagesArePrintedAndTheExportStillRuns)
{
    const auto in = writeImage("warn.tao", OscillogramBuilder::Legacy()
                                               .channels({OscChannel::Ia, OscChannel::Ub})
                                               .k(OscChannel::Ia, 12000)
                                               .build());
    const ProcessRun r = run("--comtrade " + Quoted(in.string()) + " " + Quoted((dir / "w.CFG").string()));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "Ошибка: Выходящий из установленного диапазона калибровочный коэффициент тока Ia: 12000\n");
    EXPECT_TRUE(fs::is_regular_file(dir / "w.DAT"));
}

TEST_F(ComtradeCommand, PrintsTheMessageAndExitsNonZeroOnFailure)
{
    const auto good = writeImage("good.tao", OscillogramBuilder::Current().channels({OscChannel::Ia}).build());
    auto shortBytes = OscillogramBuilder::Current().channels({OscChannel::Ia}).build();
    shortBytes.resize(kOscImageBytes - 1);
    const auto shortFile = writeImage("short.tao", shortBytes);
    const auto refused = writeImage("refused.tao", OscillogramBuilder::Current()
                                                        .channels({OscChannel::Ia})
                                                        .event({30, 2, 24, 0, 0, 0, 0})
                                                        .build());
    const auto empty = writeImage("empty.tao", OscillogramBuilder::Current().build());
    const std::string out = Quoted((dir / "o.cfg").string());

    const struct { const char* name; std::string args; int code; std::string err; } cases[] = {
        {"short file", "--comtrade " + Quoted(shortFile.string()) + " " + out, 1,
         "Ошибка чтения: Файл записей осциллограмм испорчен либо формат записей не соответствует версии "
         "программы\n"},
        {"missing file", "--comtrade " + Quoted((dir / "absent.tao").string()) + " " + out, 1,
         "Ошибка: Невозможно открыть файл аварийных осциллограмм. Код ошибки " + std::to_string(ENOENT) + "\n"},
        {"refused file", "--comtrade " + Quoted(refused.string()) + " " + out, 1,
         "Ошибка: Недопустимое значение даты\\времени\n"},
        {"no channels", "--comtrade " + Quoted(empty.string()) + " " + out, 1,
         "Информация: Уставок записи аналоговых сигналов не обнаружено\n"},
        {"unwritable output", "--comtrade " + Quoted(good.string()) + " " + Quoted((dir / "no" / "o.cfg").string()),
         3, "Ошибка: Невозможно сохранить файл .CFG . Код ошибки " + std::to_string(ENOENT) + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(fs::exists(dir / "o.CFG"));
}

TEST_F(ComtradeCommand, WrongArgumentsGiveTheUsage)
{
    for (const std::string args : {"--comtrade", "--comtrade a.tao", "--comtrade a.tao b.cfg c"}) {
        SCOPED_TRACE(args);
        const ProcessRun r = run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("--comtrade"), std::string::npos);
    }
}

}  // namespace
}  // namespace tirv
