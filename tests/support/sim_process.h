#pragma once
// Runs the relay simulator (tirv-sim from TIRV_BIN_DIR) for a test: in a temporary folder of its
// own, waiting until it reports ready, with control commands on its standard input, and stopped
// (SIGTERM, then SIGKILL) when the object goes away.
//
//   tirv::test::SimProcess sim({"--model", "705", "--tcp", "0"});
//   ASSERT_TRUE(sim.ready()) << sim.error();
//   open sim.portPath() (ports/COM1 of the temporary folder), or connect to sim.tcpPort();
//   sim.control("drop 2");   // fault on request; true when the simulator answered "ok"
#include <string>
#include <sys/types.h>
#include <vector>

namespace tirv::test {

class SimProcess {
public:
    // `args` are passed as given; --ports-dir (a temporary folder) and --com `com` are added
    // unless `args` holds them already.
    explicit SimProcess(std::vector<std::string> args = {}, int com = 1, int readyTimeoutMs = 10000);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return m_ready; }
    const std::string& error() const { return m_error; }

    // The published entry (…/ports/COM<n>), its folder, and the pseudo-terminal behind it.
    const std::string& portPath() const { return m_portPath; }
    const std::string& portsDir() const { return m_portsDir; }
    std::string devicePath() const;
    // The temporary folder, removed at the end (a place for state files and the like).
    const std::string& workDir() const { return m_workDir; }
    int com() const { return m_com; }
    // The Modbus TCP port (pass "--tcp", "0" for a free one); 0 without --tcp.
    int tcpPort() const { return m_tcpPort; }

    // Sends one control command (see tirv-sim --help) and waits for its "ok" or "error" line.
    bool control(const std::string& command, int timeoutMs = 3000);
    // The last "status …" line after control("status").
    const std::string& lastStatus() const { return m_lastStatus; }

    // Stops the simulator (SIGTERM) and waits for it; returns its exit code (-1 if killed).
    int stop(int timeoutMs = 3000);
    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // Path of the simulator program: $TIRV_BIN_DIR/tirv-sim, else ../bin/tirv-sim from the test
    // program's folder (build/tests), else build/bin/tirv-sim.
    static std::string ProgramPath();

private:
    bool readLine(std::string& line, int timeoutMs);

    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_pending;
    bool m_ready = false;
    std::string m_error;
    std::string m_workDir;
    std::string m_portsDir;
    std::string m_portPath;
    std::string m_lastStatus;
    int m_com = 1;
    int m_tcpPort = 0;
};

}  // namespace tirv::test
