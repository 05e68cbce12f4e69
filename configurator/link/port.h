#pragma once
// The one narrow port interface of the link: every exchange style talks to a COM port through it
// and never names a concrete port class, so tests and a later Windows build can put another port
// behind it. A Port belongs to the thread that opened it.
#include "configurator/link/connection_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <span>

namespace tirv {

// What the line must carry; parity and stop bits apply to M models only.
struct LineSettings {
    int baudIndex = 6;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool mModel = false;
};

enum class PortError {
    None,
    NotFound,       // no such COM number on this machine
    Busy,           // present but cannot be opened (in use, no permission)
    LineRefused,    // the device refused the line settings
    NotOpen,
    Io,             // write failed, device vanished
};

class Port : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Port() override = default;

    // Opens "COM<number>" for reading and writing, exclusively.
    virtual bool open(int number) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int number() const = 0;  // 0 when closed
    // Rate, 8 data bits, parity and stop bits, no flow control.
    virtual bool configure(const LineSettings& line) = 0;
    // Whether the device is a pseudo-terminal (those refuse parity; see ConfigurePort).
    virtual bool isPseudoTerminal() const = 0;
    // The open handle no longer is what its COM number names (the device went away, or the
    // number now stands for another one, as when a ports/ entry vanishes): reopen before use.
    virtual bool stale() const { return false; }

    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Up to `max` bytes already received; never blocks.
    virtual QByteArray read(int max) = 0;
    virtual qint64 bytesAvailable() const = 0;
    // Drops everything queued in both directions.
    virtual void purge() = 0;

    // Blocking waits, for worker threads only (the paced style listens to readyRead instead).
    virtual bool waitForReadyRead(int ms) = 0;
    virtual bool waitForBytesWritten(int ms) = 0;

    virtual QString describe() const = 0;  // "COM<n>" and the device behind it
    virtual PortError lastError() const = 0;

    // The character gap that ends a reply, chosen by SetProtocolTimeouts.
    int characterGapMs() const { return m_gapMs; }
    void setCharacterGapMs(int ms) { m_gapMs = ms; }

signals:
    void readyRead();
    // The device went away under an open port (unplugged adapter, peer closed the pty).
    void lost();

private:
    int m_gapMs = 1;
};

}  // namespace tirv
