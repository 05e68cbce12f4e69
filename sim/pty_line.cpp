#include "sim/pty_line.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tirv::sim {
namespace {

struct SpeedEntry {
    speed_t code;
    std::uint32_t baud;
};
constexpr SpeedEntry kSpeeds[] = {{B1200, 1200},     {B2400, 2400},     {B4800, 4800},
                                  {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
                                  {B57600, 57600},   {B115200, 115200}, {B230400, 230400},
                                  {B460800, 460800}};

std::string Errno(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

std::string DefaultPortsDir()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "ports";
    std::string exe(buf, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/')) + "/ports";
}

PtyLine::~PtyLine()
{
    Unpublish();
    if (m_slaveKeep >= 0)
        close(m_slaveKeep);
    if (m_master >= 0)
        close(m_master);
}

std::string PtyLine::Open(const std::string& dir, int com)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return Errno("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return Errno("grantpt/unlockpt");
    const char* name = ptsname(m_master);
    if (name == nullptr)
        return Errno("ptsname");
    m_slavePath = name;
    m_slaveKeep = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slaveKeep < 0)
        return Errno("open pseudo-terminal");
    termios t{};
    if (tcgetattr(m_slaveKeep, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, B57600);
        cfsetospeed(&t, B57600);
        tcsetattr(m_slaveKeep, TCSANOW, &t);
    }
    mkdir(dir.c_str(), 0755);  // may exist already
    m_linkPath = dir + "/COM" + std::to_string(com);
    const std::string temp = dir + "/.COM" + std::to_string(com) + "." + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(m_slavePath.c_str(), temp.c_str()) != 0)
        return Errno("symlink");
    if (rename(temp.c_str(), m_linkPath.c_str()) != 0) {
        unlink(temp.c_str());
        return Errno("rename");
    }
    return {};
}

void PtyLine::Unpublish()
{
    if (m_linkPath.empty())
        return;
    char target[PATH_MAX];
    const ssize_t n = readlink(m_linkPath.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
        unlink(m_linkPath.c_str());
    m_linkPath.clear();
}

void PtyLine::DiscardUnread() const
{
    if (m_slaveKeep >= 0)
        tcflush(m_slaveKeep, TCIFLUSH);
}

PeerLine PtyLine::Peer() const
{
    PeerLine peer;
    termios t{};
    if (tcgetattr(m_slaveKeep, &t) != 0)
        return peer;
    const speed_t code = cfgetospeed(&t);
    peer.baud = 0;
    for (const SpeedEntry& s : kSpeeds)
        if (s.code == code)
            peer.baud = s.baud;
    peer.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    return peer;
}

}  // namespace tirv::sim
