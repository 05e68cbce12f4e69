// tirv-sim as a program: the published port, line-setting matching, pacing, control commands,
// Modbus TCP and the state file, driven with frames from the configurator's codec.
#include <array>
#include <bit>
#include <cmath>
#include <ctime>
#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "configurator/link/frames.h"
#include "configurator/link/mbap_frames.h"
#include "configurator/link/registers.h"
#include "sim/pty_client.h"
#include "support/sim_process.h"

namespace {

using tirv::sim::test::PtyClient;
using tirv::test::SimProcess;

std::vector<std::uint8_t> ReadRequest(std::uint8_t address, std::uint16_t start, std::uint16_t count,
                                      tirv::Function f = tirv::Function::ReadRegisters)
{
    std::array<std::uint8_t, tirv::kFrameBufferSize> buf{};
    std::size_t n = 0;
    if (f == tirv::Function::ReadRegisters)
        n = tirv::BuildReadRegisters(buf, address, start, count);
    else if (f == tirv::Function::ReadArchive)
        n = tirv::BuildReadArchive(buf, address, start, count);
    else
        n = tirv::BuildReadJournal(buf, address, start, count);
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::vector<std::uint8_t> WriteRequest(std::uint8_t address, std::uint16_t start,
                                       std::vector<std::uint16_t> values)
{
    std::array<std::uint8_t, tirv::kFrameBufferSize> buf{};
    const std::size_t n = tirv::BuildWriteRegisters(buf, address, start,
                                                    static_cast<std::uint16_t>(values.size()),
                                                    std::span<const std::uint16_t>(values));
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

// Runs a command and returns its standard output.
std::string Shell(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr)
        return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p) != nullptr)
        out += buf;
    pclose(p);
    return out;
}

TEST(SimProgram, PublishesPortAnswersIdentityAndRemovesPortOnExit)
{
    std::string link;
    {
        SimProcess sim({"--model", "705", "--serial", "4321"}, 7);
        ASSERT_TRUE(sim.ready()) << sim.error();
        link = sim.portPath();
        EXPECT_EQ(link, sim.portsDir() + "/COM7");
        EXPECT_EQ(sim.devicePath().rfind("/dev/pts/", 0), 0u);

        PtyClient client(link, 57600);
        ASSERT_TRUE(client.open());
        const auto reply = client.exchange(ReadRequest(1, tirv::regs::kIdentity.start, 5));
        ASSERT_EQ(tirv::CheckReadReply(reply, 1, tirv::Function::ReadRegisters, 5), tirv::LinkResult::Good);
        EXPECT_EQ(tirv::ReadReplyRegister(reply, 0), tirv::regs::kSignatureNonM);
        EXPECT_EQ(tirv::ReadReplyRegister(reply, 1), 705);
        EXPECT_EQ(tirv::ReadReplyRegister(reply, 4), 4321);
        EXPECT_EQ(sim.stop(), 0);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    }
}

TEST(SimProgram, ReplacesAStaleEntryAndCleansUpOnInterrupt)
{
    char dirTemplate[] = "/tmp/tirv-sim-ports.XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::filesystem::path dir = dirTemplate;
    const std::filesystem::path entry = dir / "COM3";
    std::filesystem::create_symlink("/dev/pts/does-not-exist", entry);
    {
        SimProcess sim({"--ports-dir", dir.string()}, 3);
        ASSERT_TRUE(sim.ready()) << sim.error();
        EXPECT_EQ(std::filesystem::read_symlink(entry).string(), sim.devicePath());
        EXPECT_NE(sim.devicePath(), "/dev/pts/does-not-exist");
        ASSERT_EQ(kill(sim.pid(), SIGINT), 0);
        for (int i = 0; i < 200 && std::filesystem::exists(std::filesystem::symlink_status(entry)); ++i)
            usleep(10'000);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(entry)));
    }
    std::filesystem::remove_all(dir);
}

TEST(SimProgram, HelpAndRefusedCommandLines)
{
    const std::string program = SimProcess::ProgramPath();
    EXPECT_NE(Shell(program + " --help").find("--device"), std::string::npos);
    for (const char* bad : {"--model 999", "--model 705 --baud 460800", "--bogus"}) {
        const int status = std::system((program + " " + bad + " 2>/dev/null").c_str());
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2) << bad;
    }
}

TEST(SimProgram, AnswersOnlyAtItsOwnSpeedAndStopBitsAndAddress)
{
    SimProcess sim({"--model", "715", "--baud", "19200", "--stop-bits", "2", "--address", "9"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 57600);
    ASSERT_TRUE(client.open());
    const auto request = ReadRequest(9, 130, 5);

    struct Case {
        std::uint32_t baud;
        int stopBits;
        std::uint8_t address;
        bool answers;
    } cases[] = {{57600, 2, 9, false}, {19200, 1, 9, false}, {19200, 2, 8, false}, {19200, 2, 9, true}};
    for (const Case& c : cases) {
        ASSERT_TRUE(client.configure(c.baud, c.stopBits));
        const auto reply = client.exchange(ReadRequest(c.address, 130, 5), 60, 300);
        EXPECT_EQ(!reply.empty(), c.answers) << c.baud << " " << c.stopBits << " " << int(c.address);
    }
    (void)request;
}

TEST(SimProgram, AReplyNobodyReadIsGoneWhenTheNextOneComes)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 57600);
    ASSERT_TRUE(client.send(ReadRequest(1, 0, 125)));
    usleep(2'600'000);  // the reply took 45 ms; after 2 s more nobody is going to read it
    const auto reply = client.exchange(ReadRequest(1, 130, 5), 60, 2000, /*drainFirst=*/false);
    EXPECT_EQ(tirv::CheckReadReply(reply, 1, tirv::Function::ReadRegisters, 5), tirv::LinkResult::Good)
        << reply.size() << " bytes";
}

TEST(SimProgram, SeveralRelaysOnOneLine)
{
    SimProcess sim({"--device", "model=705,address=1", "--device", "model=715,address=2,baud=19200",
                    "--device", "model=306,address=3,protocol=tirv"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 57600);
    auto model = [&](std::uint8_t address) {
        const auto reply = client.exchange(ReadRequest(address, 130, 5), 60, 300);
        return tirv::CheckReadReply(reply, address, tirv::Function::ReadRegisters, 5) == tirv::LinkResult::Good
                   ? tirv::ReadReplyRegister(reply, 1)
                   : 0;
    };
    EXPECT_EQ(model(1), 705);
    EXPECT_EQ(model(2), 0);  // listens at 19200
    EXPECT_EQ(model(3), 0);  // speaks the ТИРВ protocol
    ASSERT_TRUE(client.configure(19200));
    EXPECT_EQ(model(2), 715);
    EXPECT_EQ(model(1), 0);
}

TEST(SimProgram, PacesRepliesAtTheLineRate)
{
    // 125 registers = 255 bytes of 11 bit times (2 stop bits) at 9600 bit/s ≈ 292 ms.
    SimProcess sim({"--model", "705", "--baud", "9600", "--stop-bits", "2"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 9600, 2);
    const auto reply = client.exchange(ReadRequest(1, 0, 125), 80, 3000);
    ASSERT_EQ(tirv::CheckReadReply(reply, 1, tirv::Function::ReadRegisters, 125), tirv::LinkResult::Good);
    EXPECT_GE(client.lastReplyMs(), 280);
    EXPECT_LT(client.lastReplyMs(), 1500);
}

TEST(SimProgram, ControlCommandsInjectFaults)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 57600);
    const auto request = ReadRequest(1, 130, 5);
    auto check = [&](int limitMs = 500) {
        return tirv::CheckReadReply(client.exchange(request, 60, limitMs), 1,
                                    tirv::Function::ReadRegisters, 5);
    };
    ASSERT_EQ(check(), tirv::LinkResult::Good);

    ASSERT_TRUE(sim.control("drop 1"));
    EXPECT_EQ(client.exchange(request, 60, 300).size(), 0u);
    EXPECT_EQ(check(), tirv::LinkResult::Good);

    ASSERT_TRUE(sim.control("bad-crc 1"));
    EXPECT_EQ(check(), tirv::LinkResult::CrcMismatch);
    EXPECT_EQ(check(), tirv::LinkResult::Good);

    ASSERT_TRUE(sim.control("exception 4"));
    EXPECT_EQ(check(), tirv::LinkResult::Exception);
    ASSERT_TRUE(sim.control("exception 0"));

    ASSERT_TRUE(sim.control("late 400"));
    const auto late = client.exchange(request, 60, 2000);
    EXPECT_FALSE(late.empty());
    EXPECT_GE(client.lastReplyMs(), 390);
    ASSERT_TRUE(sim.control("late 0"));

    ASSERT_TRUE(sim.control("silent on"));
    EXPECT_EQ(client.exchange(request, 60, 300).size(), 0u);
    ASSERT_TRUE(sim.control("silent off"));
    EXPECT_EQ(check(), tirv::LinkResult::Good);

    EXPECT_FALSE(sim.control("no-such-fault 3"));
}

TEST(SimProgram, NewLinkSettingsTakeEffectAfterTheAcknowledgement)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 57600);
    const std::uint16_t baud9600 = tirv::regs::kSettingsBias + tirv::regs::kBaudCodeOffset + 3;
    const std::uint16_t modbus = tirv::regs::kSettingsBias + tirv::regs::kProtocolCodeOffset + 1;
    const auto ack = client.exchange(WriteRequest(1, tirv::regs::kCommSettings.start, {5, baud9600, modbus}));
    ASSERT_EQ(tirv::CheckWriteReply(ack, 1, tirv::Function::WriteRegisters,
                                    tirv::regs::kCommSettings.start, 3),
              tirv::LinkResult::Good);
    EXPECT_TRUE(client.exchange(ReadRequest(1, 130, 5), 60, 300).empty());
    EXPECT_TRUE(client.exchange(ReadRequest(5, 130, 5), 60, 300).empty());
    ASSERT_TRUE(client.configure(9600));
    EXPECT_EQ(tirv::CheckReadReply(client.exchange(ReadRequest(5, 130, 5)), 5,
                                   tirv::Function::ReadRegisters, 5),
              tirv::LinkResult::Good);
}

// A minimal Modbus TCP client: one connection, requests answered in order.
class TcpClient {
public:
    explicit TcpClient(int port)
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<std::uint16_t>(port));
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~TcpClient()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    bool connected() const { return m_fd >= 0; }
    std::vector<std::uint8_t> exchange(std::span<const std::uint8_t> request, std::size_t expect,
                                       int limitMs = 2000)
    {
        std::vector<std::uint8_t> reply;
        if (send(m_fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size()))
            return reply;
        while (reply.size() < expect) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, limitMs) <= 0)
                break;
            std::uint8_t buf[512];
            const ssize_t n = recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            reply.insert(reply.end(), buf, buf + n);
        }
        return reply;
    }

private:
    int m_fd = -1;
};

TEST(SimProgram, ServesModbusTcpReadsOfHoldingJournalAndArchive)
{
    SimProcess sim({"--model", "716", "--tcp", "0"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_GT(sim.tcpPort(), 0);
    TcpClient tcp(sim.tcpPort());
    ASSERT_TRUE(tcp.connected());

    const auto identity = tcp.exchange(tirv::BuildMbapRead(0x03, 130, 5), tirv::MbapReplyLength(5));
    ASSERT_EQ(tirv::CheckMbapReply(identity, 0x03, 5).result, 0);
    EXPECT_EQ(identity[9] << 8 | identity[10], tirv::regs::kSignatureM);
    EXPECT_EQ(identity[11] << 8 | identity[12], 716);

    // The working journal in frames of 125 over the same connection.
    for (std::uint16_t start = 2100; start < 2600; start += 125) {
        const auto r = tcp.exchange(tirv::BuildMbapRead(0x51, start, 125), tirv::MbapReplyLength(125));
        EXPECT_EQ(tirv::CheckMbapReply(r, 0x51, 125).result, 0) << start;
    }
    const auto osc = tcp.exchange(tirv::BuildMbapRead(0x41, 9, 8), tirv::MbapReplyLength(8));
    EXPECT_EQ(tirv::CheckMbapReply(osc, 0x41, 8).result, 0);

    ASSERT_TRUE(sim.control("archive-busy on"));
    const auto busy = tcp.exchange(tirv::BuildMbapRead(0x41, 0, 125), tirv::kMbapExceptionLength);
    const auto check = tirv::CheckMbapReply(busy, 0x41, 125);
    EXPECT_EQ(check.result, static_cast<int>(tirv::LinkResult::ArchiveBusy));
    EXPECT_EQ(check.exceptionCode, 5);
}

// Live values decoded the way the pages decode them: the relay clock runs on the computer's local
// time, and the float measurements of an M relay describe a loaded feeder.
TEST(SimProgram, ClockAndFloatMeasurementsOverTheLineAndTcp)
{
    SimProcess sim({"--model", "717", "--tcp", "0"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    PtyClient client(sim.portPath(), 57600);
    const std::time_t before = std::time(nullptr);
    const auto clock = client.exchange(ReadRequest(1, tirv::regs::kClockRead.start, 7));
    ASSERT_EQ(tirv::CheckReadReply(clock, 1, tirv::Function::ReadRegisters, 7), tirv::LinkResult::Good);
    std::tm local{};
    localtime_r(&before, &local);
    local.tm_mday = tirv::ReadReplyRegister(clock, 0);
    local.tm_mon = tirv::ReadReplyRegister(clock, 1) - 1;
    local.tm_year = tirv::ReadReplyRegister(clock, 2) + 100;
    local.tm_hour = tirv::ReadReplyRegister(clock, 3);
    local.tm_min = tirv::ReadReplyRegister(clock, 4);
    local.tm_sec = tirv::ReadReplyRegister(clock, 5);
    EXPECT_LE(std::abs(std::difftime(std::mktime(&local), before)), 2.0);
    EXPECT_LE(tirv::ReadReplyRegister(clock, 6), 999);  // milliseconds on M relays

    TcpClient tcp(sim.tcpPort());
    const auto m = tcp.exchange(tirv::BuildMbapRead(0x03, tirv::regs::kMeasurementsM.start, 88),
                                tirv::MbapReplyLength(88));
    ASSERT_EQ(tirv::CheckMbapReply(m, 0x03, 88).result, 0);
    auto value = [&](int k) {  // low half first, each half high byte first
        const std::size_t at = 9 + 4 * static_cast<std::size_t>(k);
        const std::uint32_t bits = static_cast<std::uint32_t>(m[at] << 8 | m[at + 1]) |
                                   static_cast<std::uint32_t>(m[at + 2] << 8 | m[at + 3]) << 16;
        return std::bit_cast<float>(bits);
    };
    EXPECT_NEAR(value(1), 3.2, 0.2);   // Ia
    EXPECT_NEAR(value(4), 57.7, 1.0);  // Ua
    EXPECT_NEAR(value(7), 100.0, 2.0); // Uab
    EXPECT_NEAR(value(43), 50.0, 0.05);  // frequency
}

TEST(SimProgram, StateFileKeepsWrittenMemoryAcrossRuns)
{
    char dirTemplate[] = "/tmp/tirv-sim-state.XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string state = std::string(dirTemplate) + "/relay.state";
    {
        SimProcess sim({"--model", "707", "--state", state});
        ASSERT_TRUE(sim.ready()) << sim.error();
        PtyClient client(sim.portPath(), 57600);
        const auto ack = client.exchange(WriteRequest(1, tirv::regs::kSerialNumber, {31337}));
        ASSERT_EQ(tirv::CheckWriteReply(ack, 1, tirv::Function::WriteRegisters,
                                        tirv::regs::kSerialNumber, 1),
                  tirv::LinkResult::Good);
        const auto open = client.exchange(WriteRequest(1, tirv::regs::kBreakerCommand, {tirv::regs::kBreakerOpen}));
        ASSERT_EQ(tirv::CheckWriteReply(open, 1, tirv::Function::WriteRegisters,
                                        tirv::regs::kBreakerCommand, 1),
                  tirv::LinkResult::Good);
        EXPECT_EQ(sim.stop(), 0);
    }
    {
        SimProcess again({"--model", "707", "--state", state});
        ASSERT_TRUE(again.ready()) << again.error();
        PtyClient client(again.portPath(), 57600);
        const auto reply = client.exchange(ReadRequest(1, 131, 4));
        ASSERT_EQ(tirv::CheckReadReply(reply, 1, tirv::Function::ReadRegisters, 4), tirv::LinkResult::Good);
        EXPECT_EQ(tirv::ReadReplyRegister(reply, 3), 31337);
        ASSERT_TRUE(again.control("status"));
        EXPECT_NE(again.lastStatus().find("breaker open"), std::string::npos) << again.lastStatus();
    }
    std::filesystem::remove_all(dirTemplate);
}

// An independent Modbus master from Debian reads the identity over the line and over TCP, and
// writes a register and reads it back.
TEST(SimProgram, InteroperatesWithMbpoll)
{
    if (Shell("command -v mbpoll").empty())
        GTEST_SKIP() << "mbpoll is not installed (apt-get install mbpoll)";
    SimProcess sim({"--model", "715", "--serial", "2718", "--tcp", "0"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::string rtu = "mbpoll -m rtu -b 57600 -P none -s 1 -a 1 -t 4 -0 -1 -o 2 ";
    const std::string expected =
        "[130]: \t43707 (-21829)\n[131]: \t715\n[132]: \t123\n[133]: \t212\n[134]: \t2718\n";
    const std::string overLine = Shell(rtu + "-r 130 -c 5 " + sim.portPath() + " 2>&1");
    EXPECT_NE(overLine.find(expected), std::string::npos) << overLine;
    const std::string overTcp = Shell("mbpoll -m tcp -p " + std::to_string(sim.tcpPort()) +
                                    " -a 1 -t 4 -0 -1 -o 2 -r 130 -c 5 127.0.0.1 2>&1");
    EXPECT_NE(overTcp.find(expected), std::string::npos) << overTcp;
    const std::string write = Shell(rtu + "-r 134 " + sim.portPath() + " 4242 2>&1");
    EXPECT_NE(write.find("Written 1 references"), std::string::npos) << write;
    const std::string back = Shell(rtu + "-r 134 -c 1 " + sim.portPath() + " 2>&1");
    EXPECT_NE(back.find("[134]: \t4242"), std::string::npos) << back;
}

}  // namespace
