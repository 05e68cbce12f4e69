#pragma once
// The real COM port behind the Port interface (Qt SerialPort). COM numbers are resolved through
// the platform's PortDirectory, so a pseudo-terminal published as ports/COM<n> opens like a port.
#include "configurator/link/port.h"
#include "configurator/link/port_directory.h"

#include <QSerialPort>
#include <memory>

namespace tirv {

class SerialPort : public Port {
    Q_OBJECT
public:
    // `portsFolder` empty: the ports/ folder beside the programs.
    explicit SerialPort(QString portsFolder = {}, QObject* parent = nullptr);
    ~SerialPort() override;

    bool open(int number) override;
    void close() override;
    bool isOpen() const override;
    int number() const override { return m_number; }
    bool configure(const LineSettings& line) override;
    bool isPseudoTerminal() const override { return m_pty; }
    bool stale() const override;
    bool write(std::span<const std::uint8_t> bytes) override;
    QByteArray read(int max) override;
    qint64 bytesAvailable() const override;
    void purge() override;
    bool waitForReadyRead(int ms) override;
    bool waitForBytesWritten(int ms) override;
    QString describe() const override;
    PortError lastError() const override { return m_error; }

private:
    void onError(QSerialPort::SerialPortError error);

    QString m_folder;
    QSerialPort m_port;
    int m_number = 0;
    bool m_pty = false;
    QString m_device;  // what COM<m_number> named when it was opened
    PortError m_error = PortError::None;
};

}  // namespace tirv
