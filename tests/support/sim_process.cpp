#include "support/sim_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tirv::test {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

bool Has(const std::vector<std::string>& args, const char* option)
{
    return std::find(args.begin(), args.end(), option) != args.end();
}

}  // namespace

std::string SimProcess::ProgramPath()
{
    const char* dir = std::getenv("TIRV_BIN_DIR");
    if (dir != nullptr && *dir != '\0')
        return std::string(dir) + "/tirv-sim";
    // Test programs live in build/tests, the programs in build/bin.
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        const std::filesystem::path beside =
            std::filesystem::path(std::string(exe, static_cast<std::size_t>(n))).parent_path().parent_path() /
            "bin" / "tirv-sim";
        if (std::filesystem::exists(beside))
            return beside.string();
    }
    return "build/bin/tirv-sim";
}

SimProcess::SimProcess(std::vector<std::string> args, int com, int readyTimeoutMs) : m_com(com)
{
    char dirTemplate[] = "/tmp/tirv-sim-test.XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) {
        m_error = "mkdtemp failed";
        return;
    }
    m_workDir = dirTemplate;
    m_portsDir = m_workDir + "/ports";
    if (!Has(args, "--ports-dir")) {
        args.push_back("--ports-dir");
        args.push_back(m_portsDir);
    }
    if (!Has(args, "--com")) {
        args.push_back("--com");
        args.push_back(std::to_string(com));
    }
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        m_error = "pipe failed";
        return;
    }
    const std::string program = ProgramPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a crashed test
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
    if (m_pid < 0) {
        m_error = "fork failed";
        return;
    }
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readyTimeoutMs);
    while (readLine(line, RemainingMs(deadline))) {
        if (line.rfind("tirv-sim: COM", 0) != 0)
            continue;
        // "tirv-sim: COM<n> ready <path> [tcp <port>]"
        const auto ready = line.find(" ready ");
        if (ready == std::string::npos)
            continue;
        std::string rest = line.substr(ready + 7);
        const auto tcp = rest.find(" tcp ");
        if (tcp != std::string::npos) {
            m_tcpPort = std::atoi(rest.c_str() + tcp + 5);
            rest = rest.substr(0, tcp);
        }
        m_portPath = rest;
        m_ready = true;
        return;
    }
    m_error = "tirv-sim did not report ready (" + program + ")";
}

SimProcess::~SimProcess()
{
    stop();
    if (m_stdin >= 0)
        close(m_stdin);
    if (m_stdout >= 0)
        close(m_stdout);
    if (!m_workDir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_workDir, ec);
    }
}

std::string SimProcess::devicePath() const
{
    char target[PATH_MAX];
    const ssize_t n = readlink(m_portPath.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

bool SimProcess::readLine(std::string& line, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto eol = m_pending.find('\n'); eol != std::string::npos) {
            line = m_pending.substr(0, eol);
            m_pending.erase(0, eol + 1);
            return true;
        }
        if (m_stdout < 0)
            return false;
        pollfd p{m_stdout, POLLIN, 0};
        const int r = poll(&p, 1, RemainingMs(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        char buf[512];
        const ssize_t n = read(m_stdout, buf, sizeof buf);
        if (n <= 0)
            return false;
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
}

bool SimProcess::control(const std::string& command, int timeoutMs)
{
    if (m_pid <= 0 || m_stdin < 0)
        return false;
    const std::string text = command + "\n";
    if (write(m_stdin, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    while (readLine(line, RemainingMs(deadline))) {
        if (line.rfind("status ", 0) == 0)
            m_lastStatus = line;
        if (line == "ok")
            return true;
        if (line.rfind("error", 0) == 0) {
            m_error = line;
            return false;
        }
    }
    return false;
}

int SimProcess::stop(int timeoutMs)
{
    if (m_pid <= 0)
        return -1;
    kill(m_pid, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid)
            break;
        if (RemainingMs(deadline) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        usleep(10'000);
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tirv::test
