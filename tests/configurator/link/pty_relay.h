#pragma once
// A scripted relay on a pseudo-terminal pair opened by the test itself: the configurator side
// opens the slave through a temporary ports/ folder (ports/COM<n> links to it), the test answers
// from the master. Used for faults the real simulator cannot be told to make at an exact moment.
#include "configurator/link/byte_views.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace tirv::test {

// What the relay does with one request.
struct RelayAction {
    QByteArray reply;   // empty: no answer
    int delayMs = 0;    // answer this much later
};

class PtyRelay {
public:
    using Script = std::function<RelayAction(const QByteArray& request, int index)>;

    explicit PtyRelay(int comNumber = 1) : m_com(comNumber)
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
    ~PtyRelay()
    {
        m_notifier.reset();
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }

    bool ok() const { return m_master >= 0 && m_dir.isValid(); }
    QString portsFolder() const { return m_dir.path(); }
    QString slavePath() const { return m_slavePath; }
    void setScript(Script script) { m_script = std::move(script); }

    // Every request received, in order.
    std::vector<QByteArray> requests;

    // Sends bytes on its own (a late reply, noise).
    void send(const QByteArray& bytes)
    {
        [[maybe_unused]] const auto n = ::write(m_master, bytes.constData(), bytes.size());
    }

    // Closes the relay's side: the configurator sees the device vanish.
    void unplug()
    {
        m_notifier.reset();
        ::close(m_master);
        ::close(m_slave);
        m_master = m_slave = -1;
        QFile::remove(portsFolder() + QStringLiteral("/COM%1").arg(m_com));
    }

    // Registers of the scripted relay: register k holds 1000 + k.
    static std::uint16_t RegisterValue(int k) { return static_cast<std::uint16_t>(1000 + k); }

    static QByteArray WithCrc(QByteArray frame) { return tirv::WithCrc(std::move(frame)); }
    static int Start(const QByteArray& r) { return (quint8(r[2]) << 8) | quint8(r[3]); }
    static int Count(const QByteArray& r) { return (quint8(r[4]) << 8) | quint8(r[5]); }

    // The normal answer of a well-behaved relay to a Modbus read or write request.
    static QByteArray NormalReply(const QByteArray& request)
    {
        QByteArray reply = request.left(2);
        const auto function = static_cast<quint8>(request[1]);
        if (function == 0x10) {
            reply += request.mid(2, 4);
            return WithCrc(reply);
        }
        const int start = Start(request);
        const int count = Count(request);
        reply.append(static_cast<char>(2 * count));
        for (int k = 0; k < count; ++k) {
            const std::uint16_t v = RegisterValue(start + k);
            reply.append(static_cast<char>(v >> 8));
            reply.append(static_cast<char>(v & 0xFF));
        }
        return WithCrc(reply);
    }
    static QByteArray ExceptionReply(const QByteArray& request, quint8 code)
    {
        QByteArray reply = request.left(1);
        reply.append(static_cast<char>(quint8(request[1]) | 0x80));
        reply.append(static_cast<char>(code));
        return WithCrc(reply);
    }
    static bool IsIdentityRead(const QByteArray& r)
    {
        return r.size() == 8 && quint8(r[1]) == 3 && Start(r) == 130 && Count(r) == 5;
    }

private:
    // Length of the Modbus request that starts `bytes`, 0 while it cannot be told yet.
    static int RequestLength(const QByteArray& bytes)
    {
        if (!bytes.isEmpty() && bytes[0] == ':') {
            const int end = bytes.indexOf('#');
            return end < 0 ? 0 : end + 1;
        }
        if (bytes.size() < 7)
            return 0;
        const auto function = static_cast<quint8>(bytes[1]);
        if (function == 0x10 || function == 0x52)
            return 9 + quint8(bytes[6]);
        return 8;
    }

    void onReadable()
    {
        char buffer[512];
        const auto n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        m_pending.append(buffer, static_cast<qsizetype>(n));
        for (int length = RequestLength(m_pending); length > 0 && m_pending.size() >= length;
             length = RequestLength(m_pending)) {
            const QByteArray request = m_pending.left(length);
            m_pending.remove(0, length);
            requests.push_back(request);
            const RelayAction action =
                m_script ? m_script(request, static_cast<int>(requests.size()) - 1)
                         : RelayAction{NormalReply(request), 0};
            if (action.reply.isEmpty())
                continue;
            if (action.delayMs <= 0)
                send(action.reply);
            else
                QTimer::singleShot(action.delayMs, &m_context, [this, reply = action.reply] {
                    if (m_master >= 0)
                        send(reply);
                });
        }
    }

    QTemporaryDir m_dir;
    QObject m_context;  // owns the timers of delayed replies
    int m_com = 1;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QByteArray m_pending;
    Script m_script;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace tirv::test
