#pragma once
// The non-M firmware update as a paced exchange on the user-interface thread: the three entry
// patterns at the relay's address and speed (skipped when the relay already waits in its
// loader), the probe at the loader's address and speed, the erase of every used block, one
// 256-byte page write per page of the image in ascending order, and the exit pattern. Every step
// is announced as a row of the progress list; every ending has its final text. Once the entry
// patterns went through, the link remembers that the relay waits in its loader until an update
// completes, so every page offers the update and the next run skips the switch.
#include "configurator/firmware/firmware_file.h"
#include "configurator/firmware/firmware_update_rules.h"
#include "configurator/link/connection_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace tirv {

class SerialLink;
struct Reporter;

class RelayFirmwareUpdate : public QObject {
    Q_OBJECT
public:
    RelayFirmwareUpdate(SerialLink& link, Reporter& reporter, const ConnectionSettings& settings,
                        QObject* parent = nullptr);

    // `image` must be of the relay family. `done` is called once on every path, false returned
    // (and `done` not called) while a run or another exchange holds the line.
    bool start(const FirmwareImage& image, const RelayUpdateTiming& timing,
               std::function<void(const UpdateEnd&)> done);
    void abort();
    bool running() const { return static_cast<bool>(m_done); }

    // Attempts per loader request (probe, erase, page write): each can be sent again harmlessly.
    static constexpr int kLoaderAttempts = 3;

signals:
    // A row of the progress list; `timed` rows carry the time prefix in the protocol file.
    void stepLogged(const QString& text, bool timed);
    void frameSent(const QByteArray& frame);
    void progressed(int value, int max);
    void replyReceived(const QByteArray& bytes);

private:
    enum class Step { Enter, Probe, Erase, Write, Exit };
    void log(const QString& text, bool timed = false);
    void sendEntry(int pattern);
    void sendProbe();
    void eraseNext();
    void writeNext();
    void sendExit();
    // Sends one frame and calls `then` with the reply bytes (empty: none) unless aborted.
    void exchange(const QByteArray& frame, int waitMs, std::uint8_t function, int replyLength,
                  std::function<void(const QByteArray&)> then);
    void finish(UpdateOutcome outcome);

    SerialLink& m_link;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    RelayUpdateTiming m_timing;
    std::array<bool, kFlashBlockCount> m_blocks{};
    std::vector<std::pair<std::uint32_t, std::array<std::uint8_t, kRelayPageSize>>> m_pages;
    std::size_t m_nextBlock = 0;
    std::size_t m_nextPage = 0;
    int m_attempt = 0;
    bool m_abortRequested = false;
    bool m_switched = false;  // the relay is in its loader as far as this run knows
    std::function<void(const UpdateEnd&)> m_done;
};

}  // namespace tirv
