#pragma once
// One scripted relay on a serial line for the tests, with two line ends over the same answering
// logic: `PortRelay` is the Port itself (in memory, answers through the event loop), `PtyRelay`
// sits on a pseudo-terminal that the configurator opens through a temporary ports/ folder. The
// relay answers Modbus RTU (3, 16, 0x20) and ТИРВ-protocol text requests (link check, "?", "L")
// from its own memory; a script may replace any answer, and usually calls `answer` for the
// requests it leaves alone, so that a fault lands on exactly one request.
#include "configurator/link/port.h"
#include "configurator/link/text_frames.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace tirv::test {

// What the relay does with one request.
struct RelayAction {
    QByteArray reply;  // empty: no answer
    int delayMs = 0;   // answer this much later
};

// What the relay's memory holds when it starts. Both sides span the whole 16-bit address range.
struct RelayMemory {
    std::vector<std::uint16_t> registers;   // Modbus RTU, as stored (setpoints with their bias)
    std::vector<std::uint16_t> textValues;  // the ТИРВ protocol's own values (no Modbus bias)

    // Register k holds CountedValue(k) on both sides, so every value read tells where it came from.
    static RelayMemory Counting();
    // Zeros (an empty relay) with the identity block of `modelCode`, as a link check reads it.
    static RelayMemory OfModel(int modelCode);
    static std::uint16_t CountedValue(int k) { return static_cast<std::uint16_t>(1000 + k); }
};

class SerialRelay {
public:
    using Script = std::function<RelayAction(const QByteArray& request, int index)>;

    explicit SerialRelay(RelayMemory memory, std::uint8_t address = 1);

    std::vector<std::uint16_t> registers;
    std::vector<std::uint16_t> textValues;
    std::vector<std::uint16_t> minimalSet;  // what function 0x20 stores from register 0
    TextFraming framing;                    // the text layout the relay expects

    // Replaces the relay's own answer; `index` counts the requests in the log.
    void setScript(Script script) { m_script = std::move(script); }
    // The relay's own answer from its memory; applies writes and 0x20 to the memory.
    RelayAction answer(const QByteArray& request);

    void loadBlock(const std::vector<std::uint16_t>& block);

    // Every request received since the start or the last clearLog, in order, with its arrival
    // time on the relay's clock.
    const std::vector<QByteArray>& requests() const { return m_requests; }
    qint64 arrivalMs(std::size_t k) const { return m_arrivalMs.at(k); }
    void clearLog();
    // Requests of one Modbus function, the link check's identity read left out.
    std::vector<QByteArray> requestsOf(std::uint8_t function) const;

    static int Word(const QByteArray& r, int at)
    {
        return (quint8(r[at]) << 8) | quint8(r[at + 1]);
    }
    static int Start(const QByteArray& r) { return Word(r, 2); }
    static int Count(const QByteArray& r) { return Word(r, 4); }
    static QByteArray WithCrc(QByteArray frame);
    static QByteArray ExceptionReply(const QByteArray& request, quint8 code);
    static bool IsIdentityRead(const QByteArray& r);

protected:
    // Bytes that came down the line: the action for each whole request among them, in order.
    // A request split over several calls is kept until it is whole.
    std::vector<RelayAction> receive(const QByteArray& bytes);

private:
    QByteArray answerModbus(const QByteArray& r);
    QByteArray answerText(const QByteArray& r);

    std::uint8_t m_address;
    Script m_script;
    std::vector<QByteArray> m_requests;
    std::vector<qint64> m_arrivalMs;
    QElapsedTimer m_clock;
    QByteArray m_pending;
    int m_textCursor = 0;  // variant 0 reads name no start: the relay walks its values
};

// The relay as the Port the configurator talks to, with no device behind it: a write is taken
// at once, every answer arrives through the event loop (at least a millisecond later), in one
// piece. Opening any COM number succeeds.
class PortRelay : public Port, public SerialRelay {
public:
    explicit PortRelay(RelayMemory memory = RelayMemory::Counting(), std::uint8_t address = 1)
        : SerialRelay(std::move(memory), address)
    {
    }

    bool open(int number) override;
    void close() override { m_number = 0; }
    bool isOpen() const override { return m_number != 0; }
    int number() const override { return m_number; }
    bool configure(const LineSettings&) override { return true; }
    bool isPseudoTerminal() const override { return false; }
    bool write(std::span<const std::uint8_t> bytes) override;
    QByteArray read(int max) override;
    qint64 bytesAvailable() const override { return m_out.size(); }
    void purge() override { m_out.clear(); }
    bool waitForReadyRead(int) override { return false; }
    bool waitForBytesWritten(int) override { return true; }
    QString describe() const override { return QStringLiteral("memory relay"); }
    PortError lastError() const override { return PortError::None; }

private:
    int m_number = 0;
    QByteArray m_out;
};

// The relay on a pseudo-terminal pair opened by the test itself: ports/COM<n> in a temporary
// folder links to the slave, the relay answers from the master. For what needs a real device:
// line speeds, a vanishing port, bytes sent on the relay's own.
class PtyRelay : public SerialRelay {
public:
    explicit PtyRelay(int comNumber = 1, RelayMemory memory = RelayMemory::Counting());
    ~PtyRelay();
    PtyRelay(const PtyRelay&) = delete;
    PtyRelay& operator=(const PtyRelay&) = delete;

    bool ok() const { return m_master >= 0 && m_dir.isValid(); }
    QString portsFolder() const { return m_dir.path(); }
    QString slavePath() const { return m_slavePath; }

    // Sends bytes on its own (a late reply, noise).
    void send(const QByteArray& bytes);
    // Closes the relay's side: the configurator sees the device vanish.
    void unplug();

private:
    void onReadable();

    QTemporaryDir m_dir;
    QObject m_context;  // owns the timers of delayed replies
    int m_com = 1;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace tirv::test
