// Cross-check with an independent AN3155 host: stm32flash (Debian) must identify the simulated
// bootloader on a pseudo-terminal, write and verify a file on it, and read it back unchanged.
// The pseudo-terminal cannot carry parity, hence "-m 8n1" instead of the bootloader's 8E1.
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

fs::path ProgramDir()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? fs::path(std::string(buf, static_cast<std::size_t>(n))).parent_path()
                 : fs::path(".");
}

struct ShellRun {
    int status = -1;
    std::string output;
};

ShellRun Shell(const std::string& command)
{
    ShellRun r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr)
        return r;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, p) != nullptr)
        r.output += chunk;
    r.status = pclose(p);
    return r;
}

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Stm32flashPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Shell("command -v stm32flash").status != 0)
            GTEST_SKIP() << "stm32flash is not installed";
        m_dir = fs::temp_directory_path() / ("stm32flash-peer-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        m_port = m_dir / "ports" / "COM9";
        const std::string host = (ProgramDir() / "stm32_pty_host").string();
        const std::string ports = (m_dir / "ports").string();
        const std::string dump = (m_dir / "dump.bin").string();
        m_host = fork();
        if (m_host == 0) {
            execl(host.c_str(), host.c_str(), ports.c_str(), "9", dump.c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 100 && !fs::exists(m_port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(fs::exists(m_port)) << "the host did not publish its port";
    }
    void TearDown() override
    {
        if (m_host > 0) {
            kill(m_host, SIGTERM);
            waitpid(m_host, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    // Stops the host, which writes its flash to dump.bin.
    Bytes StopAndDump()
    {
        kill(m_host, SIGTERM);
        int status = 0;
        waitpid(m_host, &status, 0);
        m_host = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return ReadAll(m_dir / "dump.bin");
    }
    std::string Stm32flash(const std::string& arguments) const
    {
        return "stm32flash -m 8n1 -b 115200 " + arguments + " " + m_port.string();
    }

    fs::path m_dir;
    fs::path m_port;
    pid_t m_host = -1;
};

TEST_F(Stm32flashPeer, IdentifiesWritesVerifiesAndReadsBack)
{
    const ShellRun id = Shell(Stm32flash(""));
    ASSERT_EQ(id.status, 0) << id.output;
    EXPECT_NE(id.output.find("0x0413"), std::string::npos) << id.output;
    EXPECT_NE(id.output.find("Version      : 0x31"), std::string::npos) << id.output;

    // 40 KiB: three 16 KiB sectors, the last one partly.
    Bytes image(40 * 1024);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>((i * 31 + i / 256) & 0xFF);
    const fs::path file = m_dir / "image.bin";
    std::ofstream(file, std::ios::binary)
        .write(image.data(), static_cast<std::streamsize>(image.size()));

    const ShellRun written = Shell(Stm32flash("-w " + file.string() + " -v"));
    ASSERT_EQ(written.status, 0) << written.output;
    EXPECT_NE(written.output.find("Wrote and verified"), std::string::npos) << written.output;

    const fs::path back = m_dir / "back.bin";
    const ShellRun read =
        Shell(Stm32flash("-r " + back.string() + " -S 0x08000000:" + std::to_string(image.size())));
    ASSERT_EQ(read.status, 0) << read.output;
    EXPECT_EQ(ReadAll(back), image);

    const Bytes dump = StopAndDump();
    ASSERT_EQ(dump.size(), 1024u * 1024u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dump.begin()));
    EXPECT_EQ(static_cast<unsigned char>(dump[image.size()]), 0xFF);
}

TEST_F(Stm32flashPeer, ProtectionsSetAndRemovedWithTheirRestart)
{
    const fs::path back = m_dir / "back.bin";
    const std::string read = Stm32flash("-r " + back.string() + " -S 0x08000000:256");
    ASSERT_EQ(Shell(Stm32flash("-w /proc/self/cmdline")).status, 0) << "a few bytes to protect";
    ASSERT_EQ(Shell(Stm32flash("-j")).status, 0);
    EXPECT_NE(Shell(read).status, 0) << "a read-protected flash is not readable";
    const ShellRun unprotect = Shell(Stm32flash("-k"));
    ASSERT_EQ(unprotect.status, 0) << unprotect.output;
    ASSERT_EQ(Shell(read).status, 0) << "readable again after the restart";
    EXPECT_EQ(ReadAll(back), Bytes(256, static_cast<char>(0xFF))) << "and mass-erased";
    const ShellRun writeUnprotect = Shell(Stm32flash("-u"));
    EXPECT_EQ(writeUnprotect.status, 0) << writeUnprotect.output;
}

}  // namespace
