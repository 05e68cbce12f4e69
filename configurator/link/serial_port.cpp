#include "configurator/link/serial_port.h"

#include "configurator/link/registers.h"
#include "configurator/link/texts.h"

#include <QFileInfo>

namespace tirv {

namespace {

constexpr QSerialPort::Parity ToQt(Parity parity)
{
    switch (parity) {
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::None: break;
    }
    return QSerialPort::NoParity;
}

bool IsPseudoTerminalDevice(const QString& device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    return target.startsWith(QLatin1String("/dev/pts/"));
}

}  // namespace

SerialPort::SerialPort(QString portsFolder, QObject* parent)
    : Port(parent), m_folder(std::move(portsFolder))
{
    connect(&m_port, &QSerialPort::readyRead, this, &Port::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPort::onError);
}

SerialPort::~SerialPort() { close(); }

bool SerialPort::open(int number)
{
    close();
    const QString device = PortDevice(*CreatePortDirectory(m_folder), number);
    if (device.isEmpty()) {
        m_error = PortError::NotFound;
        return false;
    }
    // A path, not a bare name, so Qt opens exactly this device (a link in ports/ included).
    m_port.setPortName(QFileInfo(device).absoluteFilePath());
    // A relay streaming on an idle line must not grow memory until the next purge: no reply is
    // longer than a frame buffer, so a few kilobytes are plenty (the rest waits in the driver).
    constexpr qint64 kReadBufferBytes = 4096;
    m_port.setReadBufferSize(kReadBufferBytes);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.error() == QSerialPort::DeviceNotFoundError ? PortError::NotFound
                                                                     : PortError::Busy;
        return false;
    }
    m_number = number;
    m_device = QFileInfo(device).absoluteFilePath();
    m_pty = IsPseudoTerminalDevice(device);
    m_error = PortError::None;
    return true;
}

void SerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_number = 0;
    m_pty = false;
    m_device.clear();
}

bool SerialPort::stale() const
{
    if (!m_port.isOpen())
        return false;
    const QString now = PortDevice(*CreatePortDirectory(m_folder), m_number);
    return now.isEmpty() || QFileInfo(now).absoluteFilePath() != m_device;
}

bool SerialPort::isOpen() const { return m_port.isOpen(); }

bool SerialPort::configure(const LineSettings& line)
{
    if (!m_port.isOpen()) {
        m_error = PortError::NotOpen;
        return false;
    }
    const Parity parity = line.mModel ? line.parity : Parity::None;
    const StopBits stop = line.mModel ? line.stopBits : StopBits::One;
    bool ok = m_port.setBaudRate(static_cast<qint32>(BaudRate(line.baudIndex))) &&
              m_port.setDataBits(QSerialPort::Data8) &&
              m_port.setFlowControl(QSerialPort::NoFlowControl) &&
              m_port.setStopBits(stop == StopBits::Two ? QSerialPort::TwoStop
                                                       : QSerialPort::OneStop);
    // The relay is powered from its own supply: DTR and RTS stay low. A pseudo-terminal has no
    // modem lines, and no parity either: its refusals are harmless, a real port's are not.
    const bool lines = m_port.setDataTerminalReady(false) && m_port.setRequestToSend(false);
    const bool parityOk = m_port.setParity(ToQt(parity));
    if (m_pty)
        m_port.clearError();
    else
        ok = ok && lines && parityOk;
    m_error = ok ? PortError::None : PortError::LineRefused;
    return ok;
}

bool SerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (!m_port.isOpen()) {
        m_error = PortError::NotOpen;
        return false;
    }
    const qint64 n = m_port.write(reinterpret_cast<const char*>(bytes.data()),
                                  static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) {
        m_error = PortError::Io;
        return false;
    }
    return true;
}

QByteArray SerialPort::read(int max) { return m_port.isOpen() ? m_port.read(max) : QByteArray(); }

qint64 SerialPort::bytesAvailable() const { return m_port.isOpen() ? m_port.bytesAvailable() : 0; }

void SerialPort::purge()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::AllDirections);
    // Qt's own buffer may still hold bytes read before the kernel queues were flushed.
    m_port.readAll();
}

bool SerialPort::waitForReadyRead(int ms) { return m_port.waitForReadyRead(ms); }

bool SerialPort::waitForBytesWritten(int ms)
{
    if (m_port.bytesToWrite() == 0)
        return true;
    return m_port.waitForBytesWritten(ms);
}

QString SerialPort::describe() const
{
    if (!m_port.isOpen())
        return QString();
    return link_texts::Text(link_texts::kPortName).arg(m_number) + QStringLiteral(" (") +
           m_port.portName() + QLatin1Char(')');
}

void SerialPort::onError(QSerialPort::SerialPortError error)
{
    // The device vanished under the open port (adapter pulled, the pty's other side closed).
    // A pty reports that as a read error that repeats on every wake-up, so the handle is closed
    // at once: nothing more can come through it.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        m_port.close();
        m_number = 0;
        m_error = PortError::Io;
        emit lost();
    }
}

}  // namespace tirv
