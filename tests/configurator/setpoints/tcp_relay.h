#pragma once
// A Modbus TCP relay on a loopback port for the read over Ethernet: answers function-3 requests
// (MBAP header, unit 1) from its register array, one connection at a time.
#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <map>
#include <vector>

namespace tirv::test {

class TcpRelay {
public:
    TcpRelay()
    {
        registers.assign(200, 0);
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    int port() const { return m_server.serverPort(); }

    std::vector<std::uint16_t> registers;
    std::vector<std::pair<int, int>> reads;  // start and count of every request

private:
    void serve(QTcpSocket* s)
    {
        m_pending[s] += s->readAll();
        QByteArray& in = m_pending[s];
        while (in.size() >= 12) {
            const QByteArray r = in.left(12);
            in.remove(0, 12);
            const int start = (quint8(r[8]) << 8) | quint8(r[9]);
            const int count = (quint8(r[10]) << 8) | quint8(r[11]);
            reads.emplace_back(start, count);
            QByteArray reply = r.left(4);
            const int length = 3 + 2 * count;
            reply.append(static_cast<char>(length >> 8));
            reply.append(static_cast<char>(length & 0xFF));
            reply.append(r[6]);
            reply.append(r[7]);
            reply.append(static_cast<char>(2 * count));
            for (int k = 0; k < count; ++k) {
                const std::uint16_t v = registers[static_cast<std::size_t>(start + k)];
                reply.append(static_cast<char>(v >> 8));
                reply.append(static_cast<char>(v & 0xFF));
            }
            s->write(reply);
        }
    }

    QTcpServer m_server;
    std::map<QTcpSocket*, QByteArray> m_pending;
};

}  // namespace tirv::test
