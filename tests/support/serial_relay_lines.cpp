// The two line ends of the scripted relay. They only move bytes: what arrives goes to
// SerialRelay::receive, what it answers goes back, at once or after the action's delay.
#include "serial_relay.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>

namespace tirv::test {

bool PortRelay::open(int number)
{
    m_number = number;
    return number != 0;
}

// A closed port carries nothing, as a real one would refuse the write.
bool PortRelay::write(std::span<const std::uint8_t> bytes)
{
    if (!isOpen())
        return false;
    const QByteArray chunk(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()));
    for (const RelayAction& action : receive(chunk))
        if (!action.reply.isEmpty())
            QTimer::singleShot(std::max(1, action.delayMs), this, [this, reply = action.reply] {
                m_out += reply;
                emit readyRead();
            });
    return true;
}

QByteArray PortRelay::read(int max)
{
    const QByteArray chunk = m_out.left(max);
    m_out.remove(0, chunk.size());
    return chunk;
}

PtyRelay::PtyRelay(int comNumber, RelayMemory memory)
    : SerialRelay(std::move(memory)), m_com(comNumber)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return;
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
    m_slavePath = QString::fromLocal8Bit(name);
    QFile::link(m_slavePath, portsFolder() + QStringLiteral("/COM%1").arg(comNumber));
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { onReadable(); });
}

PtyRelay::~PtyRelay()
{
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyRelay::send(const QByteArray& bytes)
{
    if (m_master < 0)
        return;
    [[maybe_unused]] const auto n = ::write(m_master, bytes.constData(), bytes.size());
}

void PtyRelay::unplug()
{
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    QFile::remove(portsFolder() + QStringLiteral("/COM%1").arg(m_com));
}

void PtyRelay::onReadable()
{
    char buffer[512];
    const auto n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return;
    for (const RelayAction& action : receive(QByteArray(buffer, static_cast<qsizetype>(n)))) {
        if (action.reply.isEmpty())
            continue;
        if (action.delayMs <= 0)
            send(action.reply);
        else
            QTimer::singleShot(action.delayMs, &m_context,
                               [this, reply = action.reply] { send(reply); });
    }
}

}  // namespace tirv::test
