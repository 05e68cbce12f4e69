#pragma once
// One Modbus TCP read transfer on a worker thread: connect, read the register range in frames of
// at most 125 registers (each completed across TCP segments, each wait at most 3000 ms), store the
// data in the receive image, disconnect. The page learns the end through completed() (command 197);
// a send that timed out also raises sendTimedOut() (command 198) for the main window.
#include "gui/reporter.h"

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace tirv {

class LinkState;

struct TcpTransferRequest {
    std::array<std::uint8_t, 4> address{};  // IPv4 octets
    int port = 502;
    std::uint8_t function = 3;              // 3, 0x41 or 0x51
    int start = 0;
    int count = 0;
};

// The transfer record the page reads after completion.
struct TcpTransferRecord {
    bool success = false;       // every register arrived
    bool aborted = false;       // stopped by abort()
    bool sendTimedOut = false;
    int result = 0;             // LinkResult of the failed check, 0 otherwise
    std::uint8_t exceptionCode = 0;
    std::uint8_t lastFunction = 0;  // function code of the last reply seen
    int frameIndex = 0;         // frames received
    int remaining = 0;          // registers not received
    // Register k of the transfer is bytes 2k (low) and 2k+1 (high); frame i starts at 250·i.
    // Frames received before a failure stay here.
    std::vector<std::uint8_t> image;

    // Register k of the image (k below image.size() / 2).
    std::uint16_t registerAt(std::size_t k) const
    {
        return static_cast<std::uint16_t>(image[2 * k] | image[2 * k + 1] << 8);
    }
};

class ModbusTcpTransfer : public QObject {
    Q_OBJECT
public:
    static constexpr int kWaitMs = 3000;

    ModbusTcpTransfer(Reporter& reporter, LinkState& state, QObject* parent = nullptr);
    ~ModbusTcpTransfer() override;

    // Starts the transfer thread. False when one runs already, when the function cannot travel
    // over TCP ("Данный код функции не поддерживается" / "Протокол обмена"; completed() follows
    // with a failed record), or when the thread cannot start ("Не удалось открыть поток
    // соединения порт %i").
    // `done`, when given, is told the record at the end of this transfer only: whoever starts a
    // transfer learns its own end, whatever else listens to completed().
    using Done = std::function<void(const TcpTransferRecord&)>;
    bool start(const TcpTransferRequest& request, Done done = {});
    void abort();
    bool stop(int ms = 500);
    bool running() const;

    const TcpTransferRecord& record() const { return m_record; }

signals:
    void completed();     // command 197
    void sendTimedOut();  // command 198

private:
    void postStatus(const QString& text, StatusIcon icon);
    void postLinkState(const QString& text, StatusIcon icon);
    void onWorkerDone();

    Reporter& m_reporter;
    LinkState& m_state;
    TcpTransferRecord m_record;
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_abort;
    Done m_done;
};

}  // namespace tirv
