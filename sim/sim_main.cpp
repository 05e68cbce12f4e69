// tirv-sim: the relay simulator program. One poll() loop serves the pseudo-terminal (paced
// replies), the Modbus TCP listener and its connections, and control commands on standard input.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sim/bootloaders/relay_loaders.h"
#include "sim/control_commands.h"
#include "sim/mbap_device.h"
#include "sim/pty_line.h"
#include "sim/sim_options.h"
#include "sim/state_file.h"

using namespace tirv::sim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

// A reply still unread this long (plus twice its own line time) after it went out was sent to a
// port nobody reads: like a real line, the simulator drops it rather than hand it to the next
// peer. Every exchange of the configurator reads its reply well within this.
constexpr std::int64_t kStaleReplyUs = 2'000'000;
void OnSignal(int) { g_stop = 1; }

// Monotonic microseconds, for pacing.
std::int64_t MonoUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Local wall time in milliseconds: the relay clock starts on the computer's local time.
std::int64_t LocalNowMs()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return ms + static_cast<std::int64_t>(local.tm_gmtoff) * 1000;
}

struct Outgoing {
    Transmission t;
    std::int64_t startUs = 0;
    std::size_t sent = 0;
};

struct TcpClient {
    int fd = -1;
    std::vector<std::uint8_t> in;
    std::deque<std::pair<std::int64_t, std::vector<std::uint8_t>>> out;  // due time (µs), bytes
};

int OpenListener(int port, int& boundPort)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    boundPort = ntohs(addr.sin_port);
    return fd;
}

class Simulator {
public:
    explicit Simulator(SimOptions options) : m_options(std::move(options)), m_line(m_options.seed) {}
    int Run();

private:
    bool Start();
    void ServePty(std::int64_t nowUs);
    void PacePty(std::int64_t nowUs);
    void ServeTcp(const std::vector<pollfd>& fds, std::size_t first, std::int64_t nowUs);
    void ServeControl();
    void SaveIfDirty(bool force);
    int NextWakeMs(std::int64_t nowUs) const;

    SimOptions m_options;
    RelayLine m_line;
    PtyLine m_pty;
    std::deque<Outgoing> m_outgoing;
    std::int64_t m_lastRxUs = 0;
    std::int64_t m_staleAtUs = 0;  // when unread reply bytes are dropped (0: nothing pending)
    int m_listener = -1;
    int m_tcpPort = 0;
    std::vector<TcpClient> m_clients;
    bool m_stdinOpen = true;
    std::string m_stdinBuffer;
    std::int64_t m_lastSaveUs = 0;
    bool m_quit = false;
    std::unique_ptr<RelayLoaders> m_loaders;
};

// The loaders' flash and modes live beside the state file: a binary file of their own.
std::string LoaderStatePath(const std::string& stateFile)
{
    return stateFile + ".loaders";
}

std::string ReadLoaderState(const std::string& path, RelayLoaders& loaders)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};  // none yet
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    return loaders.LoadState(bytes);
}

void WriteLoaderState(const std::string& path, const RelayLoaders& loaders)
{
    const std::vector<std::uint8_t> bytes = loaders.SaveState();
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return;
    }
    std::rename(temp.c_str(), path.c_str());
}

bool Simulator::Start()
{
    const std::int64_t now = LocalNowMs();
    for (std::size_t k = 0; k < m_options.devices.size(); ++k) {
        const DeviceOptions& d = m_options.devices[k];
        auto relay = std::make_unique<Relay>(*FindRelayModel(d.model), d.line, now,
                                             m_options.seed + static_cast<std::uint32_t>(k));
        // Relays on one line get serial numbers of their own unless told otherwise.
        relay->holding()[tirv::regs::kSerialNumber] =
            static_cast<std::uint16_t>(d.serial.value_or(1207 + 31 * static_cast<int>(k)));
        m_line.AddRelay(std::move(relay));
    }
    if (!m_options.stateFile.empty()) {
        const std::string error = ReadStateFile(m_options.stateFile, m_line);
        if (!error.empty()) {
            std::fprintf(stderr, "tirv-sim: %s: %s\n", m_options.stateFile.c_str(), error.c_str());
            return false;
        }
    }
    for (auto& r : m_line.relays())
        r->PowerOn(now);
    m_line.faults() = m_options.faults;
    for (auto& r : m_line.relays())
        ApplyFlags(*r, m_options.flags);
    for (auto& r : m_line.relays())
        r->TakeDirty();
    m_line.setLoadersAttached(true);
    m_loaders = std::make_unique<RelayLoaders>(m_line);
    if (!m_options.stateFile.empty()) {
        const std::string path = LoaderStatePath(m_options.stateFile);
        if (const std::string error = ReadLoaderState(path, *m_loaders); !error.empty()) {
            std::fprintf(stderr, "tirv-sim: %s: %s\n", path.c_str(), error.c_str());
            return false;
        }
    }
    m_loaders->Sync(MonoUs() / 1000);
    m_loaders->TakeDirty();

    const std::string dir = m_options.portsDir.empty() ? DefaultPortsDir() : m_options.portsDir;
    if (const std::string error = m_pty.Open(dir, m_options.com); !error.empty()) {
        std::fprintf(stderr, "tirv-sim: %s\n", error.c_str());
        return false;
    }
    if (m_options.tcpPort) {
        m_listener = OpenListener(*m_options.tcpPort, m_tcpPort);
        if (m_listener < 0) {
            std::fprintf(stderr, "tirv-sim: cannot listen on 127.0.0.1:%d\n", *m_options.tcpPort);
            return false;
        }
    }
    std::printf("tirv-sim: COM%d ready %s", m_options.com, m_pty.linkPath().c_str());
    if (m_listener >= 0)
        std::printf(" tcp %d", m_tcpPort);
    std::printf("\n");
    std::fflush(stdout);
    return true;
}

int Simulator::NextWakeMs(std::int64_t nowUs) const
{
    std::int64_t wake = nowUs + 1'000'000;
    if (!m_outgoing.empty()) {
        const Outgoing& o = m_outgoing.front();
        const std::int64_t byteUs = std::int64_t{1'000'000} * o.t.bitsPerByte / std::max<std::uint32_t>(o.t.baud, 1);
        wake = std::min(wake, o.startUs + static_cast<std::int64_t>(o.sent) * byteUs);
    }
    if (m_line.HasPartial())
        wake = std::min(wake, m_lastRxUs + 5'000);
    if (const auto loaderMs = m_loaders->NextWakeMs())
        wake = std::min(wake, *loaderMs * 1000);
    const bool midReply = !m_outgoing.empty() && m_outgoing.front().sent > 0;
    if (m_staleAtUs != 0 && !midReply)  // mid-reply, its end sets a new time anyway
        wake = std::min(wake, m_staleAtUs);
    for (const TcpClient& c : m_clients)
        if (!c.out.empty())
            wake = std::min(wake, c.out.front().first);
    const std::int64_t ms = (wake - nowUs + 999) / 1000;
    return static_cast<int>(std::clamp<std::int64_t>(ms, 0, 1000));
}

void Simulator::ServePty(std::int64_t nowUs)
{
    std::uint8_t buf[512];
    for (;;) {
        const ssize_t n = read(m_pty.fd(), buf, sizeof buf);
        if (n <= 0)
            break;
        m_lastRxUs = nowUs;
        const PeerLine peer = m_pty.Peer();
        m_loaders->Receive({buf, static_cast<std::size_t>(n)}, nowUs / 1000, peer);
        if (auto t = m_line.Receive({buf, static_cast<std::size_t>(n)}, LocalNowMs(), peer)) {
            const std::int64_t start = nowUs + static_cast<std::int64_t>(t->delayMs) * 1000;
            m_outgoing.push_back({std::move(*t), start, 0});
        }
    }
}

void Simulator::PacePty(std::int64_t nowUs)
{
    const bool midReply = !m_outgoing.empty() && m_outgoing.front().sent > 0;
    if (m_staleAtUs != 0 && nowUs >= m_staleAtUs && !midReply) {
        m_pty.DiscardUnread();
        m_staleAtUs = 0;
    }
    for (Transmission& t : m_loaders->TakeOutput(nowUs / 1000)) {
        const std::int64_t start = nowUs + t.delayMs * 1000LL;
        m_outgoing.push_back({std::move(t), start, 0});
    }
    if (m_line.HasPartial() && nowUs - m_lastRxUs >= 5'000) {
        if (auto t = m_line.Silence(LocalNowMs(), m_pty.Peer()))
            m_outgoing.push_back({std::move(*t), nowUs + t->delayMs * 1000LL, 0});
    }
    while (!m_outgoing.empty()) {
        Outgoing& o = m_outgoing.front();
        if (nowUs < o.startUs)
            return;
        const std::int64_t byteUs = std::int64_t{1'000'000} * o.t.bitsPerByte / std::max<std::uint32_t>(o.t.baud, 1);
        const std::size_t due = std::min(o.t.bytes.size(),
                                         static_cast<std::size_t>((nowUs - o.startUs) / std::max<std::int64_t>(byteUs, 1)) + 1);
        if (due > o.sent) {
            ssize_t n = write(m_pty.fd(), o.t.bytes.data() + o.sent, due - o.sent);
            if (n < 0 && errno == EAGAIN) {
                m_pty.DiscardUnread();  // the line is full of replies nobody read
                n = write(m_pty.fd(), o.t.bytes.data() + o.sent, due - o.sent);
            }
            if (n > 0)
                o.sent += static_cast<std::size_t>(n);
            else
                o.sent = o.t.bytes.size();  // the line cannot take it: the reply is lost
        }
        if (o.sent < o.t.bytes.size())
            return;
        m_staleAtUs = nowUs + kStaleReplyUs + 2 * (nowUs - o.startUs);
        if (o.t.applyAfter && o.t.relay)
            o.t.relay->setLine(*o.t.applyAfter);  // new link settings take effect after the reply
        m_outgoing.pop_front();
    }
}

void Simulator::ServeTcp(const std::vector<pollfd>& fds, std::size_t first, std::int64_t nowUs)
{
    if (m_listener >= 0 && (fds[first].revents & POLLIN)) {
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            m_clients.push_back({fd, {}, {}});
    }
    for (std::size_t k = 0; k < m_clients.size(); ++k) {
        TcpClient& c = m_clients[k];
        bool closed = false;
        const std::size_t at = first + 1 + k;
        if (at < fds.size() && fds[at].fd == c.fd && (fds[at].revents & (POLLIN | POLLHUP | POLLERR))) {
            std::uint8_t buf[1024];
            const ssize_t n = read(c.fd, buf, sizeof buf);
            if (n <= 0)
                closed = true;
            else
                c.in.insert(c.in.end(), buf, buf + n);
        }
        std::vector<std::uint8_t> request;
        for (MbapTake take; !closed && (take = TakeMbapRequest(c.in, request)) != MbapTake::NeedMore;) {
            if (take == MbapTake::Broken) {
                closed = true;
                break;
            }
            if (auto reply = AnswerMbap(request, *m_line.relays().front(), LocalNowMs(), m_line))
                c.out.emplace_back(nowUs + m_line.faults().lateMs * 1000LL, std::move(*reply));
        }
        while (!closed && !c.out.empty() && c.out.front().first <= nowUs) {
            const auto& bytes = c.out.front().second;
            if (send(c.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0)
                closed = true;
            c.out.pop_front();
        }
        if (closed) {
            close(c.fd);
            c.fd = -1;
        }
    }
    std::erase_if(m_clients, [](const TcpClient& c) { return c.fd < 0; });
}

void Simulator::ServeControl()
{
    char buf[256];
    const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        m_stdinOpen = false;
        return;
    }
    m_stdinBuffer.append(buf, static_cast<std::size_t>(n));
    for (std::size_t eol; (eol = m_stdinBuffer.find('\n')) != std::string::npos;) {
        const std::string line = m_stdinBuffer.substr(0, eol);
        m_stdinBuffer.erase(0, eol + 1);
        std::istringstream split(line);
        std::vector<std::string> words{std::istream_iterator<std::string>(split),
                                       std::istream_iterator<std::string>()};
        ControlOutcome outcome;
        if (auto loader = m_loaders->Control(words, MonoUs() / 1000)) {
            outcome.error = loader->error;
            outcome.output = loader->output;
        } else {
            outcome = RunControlCommand(line, m_line, LocalNowMs());
            m_loaders->Sync(MonoUs() / 1000);  // "bootloader on|off" moves a relay to or from its loader
        }
        if (!outcome.error.empty()) {
            std::printf("error: %s\n", outcome.error.c_str());
        } else {
            for (const std::string& text : outcome.output)
                std::printf("%s\n", text.c_str());
            m_quit = outcome.quit;
            std::printf("ok\n");
        }
        std::fflush(stdout);
    }
}

void Simulator::SaveIfDirty(bool force)
{
    if (m_options.stateFile.empty())
        return;
    bool dirty = false;
    for (auto& r : m_line.relays())
        dirty = r->TakeDirty() || dirty;
    if (dirty || force)
        WriteStateFile(m_options.stateFile, m_line);
    if (m_loaders->TakeDirty() || force)
        WriteLoaderState(LoaderStatePath(m_options.stateFile), *m_loaders);
}

int Simulator::Run()
{
    if (!Start())
        return 1;
    while (!g_stop && !m_quit) {
        std::vector<pollfd> fds;
        fds.push_back({m_pty.fd(), POLLIN, 0});
        fds.push_back({m_stdinOpen ? STDIN_FILENO : -1, POLLIN, 0});
        const std::size_t tcpFirst = fds.size();
        fds.push_back({m_listener, POLLIN, 0});
        for (const TcpClient& c : m_clients)
            fds.push_back({c.fd, POLLIN, 0});
        const int timeout = NextWakeMs(MonoUs());
        const int ready = poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR)
            break;
        const std::int64_t now = MonoUs();
        if (ready > 0 && (fds[0].revents & POLLIN))
            ServePty(now);
        PacePty(now);
        if (ready > 0 && (fds[1].revents & (POLLIN | POLLHUP)))
            ServeControl();
        ServeTcp(fds, tcpFirst, now);
        if (now - m_lastSaveUs > 1'000'000) {
            SaveIfDirty(false);
            m_lastSaveUs = now;
        }
    }
    SaveIfDirty(true);
    m_pty.Unpublish();
    for (TcpClient& c : m_clients)
        close(c.fd);
    if (m_listener >= 0)
        close(m_listener);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const ParseResult parsed = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "tirv-sim: %s\nTry 'tirv-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(SimUsage(), stdout);
        std::fputs(LoaderUsage(), stdout);
        return 0;
    }
    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of an interactive shell: reading the terminal must not stop the
    // simulator (the read then fails and control commands are simply off).
    std::signal(SIGTTIN, SIG_IGN);
    Simulator sim(parsed.options);
    return sim.Run();
}
