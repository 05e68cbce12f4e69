// tirv-cli firmware update|verify against tirv-sim's bootloaders: the rows as lines, the flash
// equal to the file afterwards, the protocol file, a refused file (exit 5), a missing file
// (exit 3), a read-back mismatch (exit 5), and a non-M relay left in its loader updated again
// with --in-loader.
#include "cli_run.h"

#include "common/cp1251.h"
#include "configurator/firmware/texts.h"

#include <gtest/gtest.h>
#include <QThread>

#include <fstream>
#include <iterator>

namespace tirv::test {
namespace {

namespace tx = firmware_texts;

std::string Write(const SimProcess& sim, const std::string& name, const std::string& text)
{
    const std::string path = sim.workDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Hex(const std::string& data, std::uint16_t upper)
{
    // One extended address record and 16-byte data records, as a compiler writes them.
    auto record = [](std::uint8_t type, std::uint16_t offset, const std::string& bytes) {
        std::string body;
        body += char(bytes.size());
        body += char(offset >> 8);
        body += char(offset & 0xFF);
        body += char(type);
        body += bytes;
        unsigned sum = 0;
        for (unsigned char c : body)
            sum += c;
        body += char(0x100 - (sum & 0xFF));
        std::string line = ":";
        char two[3];
        for (unsigned char c : body) {
            std::snprintf(two, sizeof two, "%02X", c);
            line += two;
        }
        return line + "\r\n";
    };
    std::string text = record(4, 0, std::string{char(upper >> 8), char(upper & 0xFF)});
    for (std::size_t at = 0; at < data.size(); at += 16)
        text += record(0, std::uint16_t(at), data.substr(at, 16));
    return text + ":00000001FF\r\n";
}

std::string Pattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = char(i * 11 + i / 256);
    return s;
}

TEST(CliFirmware, MUpdateAndVerifyWriteTheFileIntoTheFlash)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string data = Pattern(1536);
    const std::string file = Write(sim, "new.hex", Hex(data, 0x0800));
    const std::string protocol = sim.workDir() + "/protocol.txt";
    const CliResult r =
        RunCli(On(sim, {"firmware", "update", file, "--protocol-file", protocol, "--json"}), 60000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(T(tx::kProgramMatches))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(T(tx::kFinalUpdateDone)));
    EXPECT_TRUE(r.jsonValid());
    const std::string dump = sim.workDir() + "/flash.bin";
    ASSERT_TRUE(sim.control("flash-dump " + dump));
    EXPECT_EQ(ReadAll(dump).substr(0, data.size()), data);
    const std::string text = Cp1251ToUtf8(ReadAll(protocol));
    EXPECT_NE(text.find("Устройство ТИРВ-705M"), std::string::npos) << text.substr(0, 300);
    EXPECT_NE(text.find("   W:  7F"), std::string::npos);

    const CliResult verify = RunCli(On(sim, {"firmware", "verify", file}), 60000);
    EXPECT_EQ(verify.exitCode, 0) << verify.err.toStdString();
    EXPECT_TRUE(verify.err.contains(T(tx::kFinalVerifyDone)));

    // A verification leaves the relay in its bootloader (no GO): the next run is told so.
    ASSERT_TRUE(sim.control("stm32-flip on"));
    const CliResult mismatch =
        RunCli(On(sim, {"firmware", "verify", file, "--in-loader", "--model", "715"}), 60000);
    EXPECT_EQ(mismatch.exitCode, 5) << mismatch.err.toStdString();
    EXPECT_TRUE(mismatch.err.contains(T(tx::kFinalVerifyMismatch)));
}

TEST(CliFirmware, FileErrorsAndTheNonMRelayLeftInItsLoader)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult missing = RunCli(On(sim, {"firmware", "update", "/nonexistent/x.mot"}));
    EXPECT_EQ(missing.exitCode, 3) << missing.err.toStdString();
    const std::string s1 = Write(sim, "old.mot", "S1071000000102030CE\r\n");
    const CliResult refused = RunCli(On(sim, {"firmware", "update", s1}));
    EXPECT_EQ(refused.exitCode, 5) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(T(tx::kSrecAddressing))) << refused.err.toStdString();

    // S3 record of 16 bytes at 0xFFF80000.
    std::string s3 = "S315FFF80000";
    unsigned sum = 0x15 + 0xFF + 0xF8;
    char two[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(two, sizeof two, "%02X", i * 3);
        s3 += two;
        sum += unsigned(i * 3);
    }
    std::snprintf(two, sizeof two, "%02X", (~sum) & 0xFF);
    const std::string mot = Write(sim, "new.mot", s3 + two + "\r\n");
    ASSERT_TRUE(sim.control("loader-page-ms 3000"));
    const CliResult failed = RunCli(On(sim, {"firmware", "update", mot, "--json"}), 60000);
    EXPECT_EQ(failed.exitCode, 1) << failed.err.toStdString();
    EXPECT_TRUE(failed.err.contains(T(tx::kDeviceInLoader))) << failed.err.toStdString();
    EXPECT_TRUE(failed.out.contains(QStringLiteral("\"leftInLoader\": true")))
        << failed.out.toStdString();

    ASSERT_TRUE(sim.control("loader-page-ms 8"));
    QThread::msleep(3200);  // the loader finishes the slow write it was busy with
    const CliResult again =
        RunCli(On(sim, {"firmware", "update", mot, "--in-loader", "--model", "705"}), 60000);
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains(T(tx::kConfirmLoaderMode))) << again.err.toStdString();
    const std::string dump = sim.workDir() + "/flash.bin";
    ASSERT_TRUE(sim.control("flash-dump " + dump));
    const std::string flash = ReadAll(dump);
    ASSERT_GT(flash.size(), 0x2000u + 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(static_cast<unsigned char>(flash[0x2000 + std::size_t(i)]), unsigned(i * 3));
}

}  // namespace
}  // namespace tirv::test
