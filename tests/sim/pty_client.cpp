#include "sim/pty_client.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tirv::sim::test {
namespace {

speed_t SpeedCode(std::uint32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    default: return B57600;
    }
}

}  // namespace

PtyClient::PtyClient(const std::string& path, std::uint32_t baud, int stopBits)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0 && !configure(baud, stopBits)) {
        ::close(m_fd);
        m_fd = -1;
    }
}

PtyClient::~PtyClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PtyClient::configure(std::uint32_t baud, int stopBits)
{
    termios t{};
    if (tcgetattr(m_fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    if (stopBits == 2)
        t.c_cflag |= CSTOPB;
    else
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    cfsetispeed(&t, SpeedCode(baud));
    cfsetospeed(&t, SpeedCode(baud));
    return tcsetattr(m_fd, TCSANOW, &t) == 0;
}

bool PtyClient::send(std::span<const std::uint8_t> request)
{
    return ::write(m_fd, request.data(), request.size()) == static_cast<ssize_t>(request.size());
}

std::vector<std::uint8_t> PtyClient::exchange(std::span<const std::uint8_t> request, int quietMs,
                                              int limitMs, bool drainFirst)
{
    using Clock = std::chrono::steady_clock;
    std::uint8_t drain[256];
    while (drainFirst && ::read(m_fd, drain, sizeof drain) > 0) {
    }
    std::vector<std::uint8_t> reply;
    if (::write(m_fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
        return reply;
    const auto sent = Clock::now();
    auto last = sent;
    m_lastReplyMs = 0;
    for (;;) {
        const auto now = Clock::now();
        const auto sinceLast = std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
        const auto total = std::chrono::duration_cast<std::chrono::milliseconds>(now - sent).count();
        // Before the first byte the peer may take its turnaround and a requested delay.
        const int wait = reply.empty() ? limitMs - static_cast<int>(total)
                                       : quietMs - static_cast<int>(sinceLast);
        if (wait <= 0)
            break;
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, wait) <= 0)
            break;
        std::uint8_t buf[512];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n <= 0)
            continue;
        reply.insert(reply.end(), buf, buf + n);
        last = Clock::now();
        m_lastReplyMs = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(last - sent).count());
    }
    return reply;
}

}  // namespace tirv::sim::test
