#pragma once
// The M relay's firmware update through the STM32 USART bootloader as a pure state machine:
// states 0 (sync) … 10 (go), each made of the parts of one AN3155 command. It owns no port and no
// clock: every step returns the next request (bytes to send, answer length, waits), and the
// driver reports back what came in time, a write that did not complete, or the user's abort.
// Step texts and progress go to StmUpdateEvents; the final text names the outcome.
#include "configurator/firmware/intel_hex_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tirv {

enum class StmMode { Update, VerifyOnly };

enum class StmState : int {
    Init = 0,
    GetId = 1,
    GetVersion = 2,
    ReadProtection = 3,
    WriteProtection = 4,
    ReadoutUnprotect = 5,
    WriteUnprotect = 6,
    Erase = 7,
    Write = 8,
    ReadBack = 9,
    Go = 10,
};

enum class StmOutcome {
    Running,
    Succeeded,   // written, verified and started; or verified equal
    Mismatch,    // the read-back differs from the image
    Unverified,  // written, but the read-back failed (update mode)
    Failed,
    Aborted,
};

// One part of a command exchange for the driver to carry out.
struct StmRequest {
    std::vector<std::uint8_t> bytes;
    std::size_t expect = 0;   // answer bytes to collect
    int pauseMs = 0;          // wait before sending (the loader restarting after an unprotect)
    int writeTimeoutMs = 0;   // the write must complete within this
    int answerTimeoutMs = 0;  // for the first answer byte
    int settleMs = 0;         // after the first byte, before the answer is taken
};

struct StmUpdateEvents {
    virtual ~StmUpdateEvents() = default;
    virtual void step(std::string_view text) = 0;  // a row of the progress list (UTF-8)
    virtual void progress(int value, int max) = 0;
};

class StmUpdate {
public:
    // `image` must outlive the update. Blocks of `blockSize` bytes (4 … 256, a multiple of 4).
    StmUpdate(const HexImage& image, StmMode mode, StmUpdateEvents& events, int baud = 115200,
              std::size_t blockSize = 256);

    // The first request (state 0).
    const StmRequest& start();
    // The bytes that arrived for the last request (empty: none in time). Returns the outcome;
    // while Running, request() is the next thing to do.
    StmOutcome answer(std::span<const std::uint8_t> received);
    // The last request's write did not complete.
    StmOutcome writeFailed();
    // The user stopped the update during a wait.
    StmOutcome abort();

    const StmRequest& request() const { return m_request; }
    StmOutcome outcome() const { return m_outcome; }
    StmState state() const { return m_state; }
    // " Загрузка ПО успешно завершена" and the like; empty while running.
    const char* finalText() const { return m_final; }

private:
    StmOutcome enter(StmState state);
    StmOutcome send(std::vector<std::uint8_t> bytes, std::size_t expect);
    StmOutcome nextPart();
    StmOutcome repeatOrFail();
    StmOutcome fail(const char* stepText);
    StmOutcome finish(StmOutcome outcome, const char* finalText);
    StmOutcome afterOptionBytes(std::span<const std::uint8_t> bytes);
    StmOutcome afterReadBlock(std::span<const std::uint8_t> data);
    StmOutcome afterUnprotect(std::span<const std::uint8_t> received);
    StmOutcome partAcknowledged();
    StmOutcome readProtected();
    std::size_t blockCount() const;
    std::uint32_t blockAddress() const;
    std::size_t blockLength() const;
    void reportProgress();

    const HexImage& m_image;
    StmMode m_mode;
    StmUpdateEvents& m_events;
    int m_baud;
    std::size_t m_blockSize;

    StmState m_state = StmState::Init;
    int m_part = 0;
    std::size_t m_block = 0;
    int m_answerRepeats = 0;
    int m_writeRepeats = 0;
    bool m_readUnprotected = false;
    bool m_writeUnprotected = false;
    int m_pauseNext = 0;
    StmRequest m_request;
    StmOutcome m_outcome = StmOutcome::Running;
    const char* m_final = "";
};

}  // namespace tirv
