#pragma once
// The M firmware update as a worker job: the relay's program is switched into the STM32 system
// bootloader by the three entry patterns at its own line (a relay that does not answer them is
// taken to wait in the bootloader already), then the line is set to 115200 bit/s, 8 data bits,
// even parity, and the state machine of StmUpdate runs states 0–10 (or 3 to 9 for verify-only)
// through the worker's abortable waits. Step rows and frame dumps are posted to this object's
// thread as signals; the completion is the final text of the run's ending.
#include "configurator/firmware/firmware_file.h"
#include "configurator/firmware/firmware_update_rules.h"
#include "configurator/link/connection_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tirv {

class SerialLink;
struct Reporter;
enum class WorkerEnd;

// The line of the STM32 bootloader.
inline constexpr int kStm32BootBaudIndex = 7;  // 115200
// Bytes per WRITE MEMORY and READ MEMORY block: the loader's largest, as every round trip costs
// a turnaround on the line (the 257-byte read answer is taken in as many reads as it needs).
inline constexpr std::size_t kStm32UpdateBlock = 256;

class Stm32FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    Stm32FirmwareUpdate(SerialLink& link, Reporter& reporter, const ConnectionSettings& settings,
                        QObject* parent = nullptr);
    ~Stm32FirmwareUpdate() override;

    // `image` must be of the STM32 family; `modelCode` names the relay in the rows (715 →
    // "ТИРВ-705M"). `done` is called once on every path; false (and no call) while the line is
    // held by another exchange.
    bool start(const FirmwareImage& image, UpdateMode mode, int modelCode,
               std::function<void(const UpdateEnd&)> done);
    void abort();
    bool running() const { return static_cast<bool>(m_done); }
    // Whether the next run posts frameLogged for every frame (on by default). Without a protocol
    // file nobody reads them, and each post wakes this object's thread once per round trip.
    void setFrameLogging(bool on) { m_logFrames = on; }

    // What the worker job and this object share (defined with the job).
    struct Shared;

signals:
    void stepLogged(const QString& text, bool timed);
    // A frame of the bootloader exchange: `sent` for "W:", else "R:".
    void frameLogged(bool sent, const QByteArray& bytes);
    void progressed(int value, int max);

private:
    void onFinished(WorkerEnd end);

    SerialLink& m_link;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    UpdateMode m_mode = UpdateMode::Update;
    bool m_logFrames = true;
    std::shared_ptr<Shared> m_shared;
    std::function<void(const UpdateEnd&)> m_done;
    QMetaObject::Connection m_finished;
};

}  // namespace tirv
