#include "configurator/firmware/stm32_update.h"

#include "configurator/firmware/stm32_boot_frames.h"
#include "configurator/firmware/texts.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tirv {

namespace {

namespace tx = firmware_texts;

// A missing or negative answer repeats the step from its command byte this many times; a write
// that does not complete is repeated as often.
constexpr int kRepeats = 2;
constexpr int kSettleMs = 20;
constexpr int kReadSettleMs = 30;
constexpr int kGoSettleMs = 100;
// The loader's own timing (STM32F4 datasheet): a 128 KiB sector erases in up to ~4 s, a mass
// erase in up to ~32 s, option bytes program within ~2 s.
constexpr int kEraseMsPerSector = 5000;
constexpr int kUnprotectMs = 2000;
constexpr int kWriteBlockMs = 1000;
// After an unprotect the loader resets; give it time before the next sync byte.
constexpr int kRestartPauseMs = 100;

// The step's own failure text; nullptr where only the overall text is shown.
constexpr std::array<const char*, 11> kStepFailure{
    nullptr,
    nullptr,
    nullptr,
    tx::kReadCheckFailed,
    tx::kWriteCheckFailed,
    tx::kReadUnprotectFailed,
    tx::kWriteUnprotectFailed,
    tx::kEraseFailed,
    tx::kWriteFailed,
    tx::kReadBackFailed,
    tx::kJumpFailed,
};

// The time the line needs for n bytes at 13 bit times each, plus 20 ms.
int TransferMs(std::size_t n, int baud)
{
    return static_cast<int>(13LL * static_cast<long long>(n) * 1000 / std::max(baud, 1)) + 20;
}

}  // namespace

StmUpdate::StmUpdate(const HexImage& image, StmMode mode, StmUpdateEvents& events, int baud,
                     std::size_t blockSize)
    : m_image(image),
      m_mode(mode),
      m_events(events),
      m_baud(baud),
      m_blockSize(std::clamp<std::size_t>(blockSize / 4 * 4, 4, kStmMaxBlock))
{
}

const StmRequest& StmUpdate::start()
{
    enter(StmState::Init);
    return m_request;
}

std::size_t StmUpdate::blockCount() const
{
    return (m_image.length() + m_blockSize - 1) / m_blockSize;
}

std::uint32_t StmUpdate::blockAddress() const
{
    return m_image.start + static_cast<std::uint32_t>(m_block * m_blockSize);
}

std::size_t StmUpdate::blockLength() const
{
    return std::min(m_blockSize, m_image.length() - m_block * m_blockSize);
}

void StmUpdate::reportProgress()
{
    const int blocks = static_cast<int>(blockCount());
    const bool both = m_mode == StmMode::Update;
    const int done =
        static_cast<int>(m_block) + (both && m_state == StmState::ReadBack ? blocks : 0);
    m_events.progress(done, both ? 2 * blocks : blocks);
}

StmOutcome StmUpdate::enter(StmState state)
{
    m_state = state;
    m_part = 0;
    m_answerRepeats = 0;
    m_writeRepeats = 0;
    if (state == StmState::Write || state == StmState::ReadBack) {
        m_block = 0;
        reportProgress();
    }
    return nextPart();
}

StmOutcome StmUpdate::send(std::vector<std::uint8_t> bytes, std::size_t expect)
{
    m_request.writeTimeoutMs = TransferMs(bytes.size(), m_baud);
    m_request.answerTimeoutMs = TransferMs(expect, m_baud);
    m_request.settleMs = kSettleMs;
    const bool lastPart = m_part == 2 || (m_state == StmState::Erase && m_part == 1);
    if (m_state == StmState::Erase && lastPart) {
        const int sectors = static_cast<int>(m_image.lastSector - m_image.firstSector + 1);
        m_request.answerTimeoutMs =
            std::max(m_request.answerTimeoutMs, kEraseMsPerSector * sectors);
    } else if (m_state == StmState::ReadoutUnprotect || m_state == StmState::WriteUnprotect) {
        // The first ACK comes at once; the second only once the option bytes are programmed.
        m_request.answerTimeoutMs = std::max(m_request.answerTimeoutMs, kUnprotectMs);
        m_request.settleMs = kUnprotectMs;
    } else if (m_state == StmState::Write && lastPart) {
        m_request.answerTimeoutMs = std::max(m_request.answerTimeoutMs, kWriteBlockMs);
    } else if (m_state == StmState::ReadBack && lastPart) {
        m_request.settleMs = kReadSettleMs;
    } else if (m_state == StmState::Go) {
        m_request.settleMs = kGoSettleMs;
    }
    m_request.bytes = std::move(bytes);
    m_request.expect = expect;
    m_request.pauseMs = m_pauseNext;
    m_pauseNext = 0;
    return StmOutcome::Running;
}

StmOutcome StmUpdate::nextPart()
{
    std::array<std::uint8_t, 2 * kStmMaxBlock> b{};
    const auto part = [&](std::size_t n, std::size_t expect) {
        return send(std::vector<std::uint8_t>(b.begin(), b.begin() + static_cast<long>(n)), expect);
    };
    const auto command = [&](StmCommand c, std::size_t expect) {
        return part(BuildStmCommand(b, c), expect);
    };
    switch (m_state) {
        case StmState::Init:
            return part(BuildStmSync(b), 1);
        case StmState::GetId:
            return command(StmCommand::GetId, 5);
        case StmState::GetVersion:
            return command(StmCommand::GetVersion, 5);
        case StmState::ReadProtection:
        case StmState::WriteProtection:
            if (m_part == 0)
                return command(StmCommand::ReadMemory, 1);
            if (m_part == 1)
                return part(BuildStmAddress(b, kStmOptionBytesAddress), 1);
            return part(BuildStmReadLength(b, kStmOptionBytesLength), 1 + kStmOptionBytesLength);
        case StmState::ReadoutUnprotect:
            return command(StmCommand::ReadoutUnprotect, 2);
        case StmState::WriteUnprotect:
            return command(StmCommand::WriteUnprotect, 2);
        case StmState::Erase:
            if (m_part == 0)
                return command(StmCommand::ExtendedErase, 1);
            return part(BuildStmEraseSectorRange(b, static_cast<std::uint16_t>(m_image.firstSector),
                                                 static_cast<std::uint16_t>(m_image.lastSector)),
                        1);
        case StmState::Write: {
            if (m_part == 0)
                return command(StmCommand::WriteMemory, 1);
            if (m_part == 1)
                return part(BuildStmAddress(b, blockAddress()), 1);
            // The last block is padded with erased bytes to whole words.
            std::array<std::uint8_t, kStmMaxBlock> data;
            data.fill(0xFF);
            const std::size_t n = blockLength();
            std::copy_n(m_image.bytes.begin() + static_cast<long>(m_block * m_blockSize), n,
                        data.begin());
            return part(BuildStmWriteData(b, std::span(data).first((n + 3) / 4 * 4)), 1);
        }
        case StmState::ReadBack:
            if (m_part == 0)
                return command(StmCommand::ReadMemory, 1);
            if (m_part == 1)
                return part(BuildStmAddress(b, blockAddress()), 1);
            return part(BuildStmReadLength(b, blockLength()), 1 + blockLength());
        case StmState::Go:
            if (m_part == 0)
                return command(StmCommand::Go, 1);
            return part(BuildStmAddress(b, m_image.start), 1);
    }
    return fail(nullptr);
}

StmOutcome StmUpdate::finish(StmOutcome outcome, const char* finalText)
{
    m_outcome = outcome;
    m_final = finalText;
    m_request = {};
    return outcome;
}

StmOutcome StmUpdate::fail(const char* stepText)
{
    const bool verify = m_mode == StmMode::VerifyOnly;
    if (stepText)
        m_events.step(stepText);
    if (m_state == StmState::ReadBack) {
        if (!verify)
            m_events.step(tx::kUpdateDone);
        m_events.step(tx::kVerifyFailed);
        return verify ? finish(StmOutcome::Failed, tx::kFinalVerifyFailed)
                      : finish(StmOutcome::Unverified, tx::kFinalUpdateUnverified);
    }
    m_events.step(verify ? tx::kVerifyFailed : tx::kUpdateFailed);
    return finish(StmOutcome::Failed, verify ? tx::kFinalVerifyFailed : tx::kFinalUpdateFailed);
}

StmOutcome StmUpdate::repeatOrFail()
{
    if (m_answerRepeats >= kRepeats)
        return fail(kStepFailure[static_cast<std::size_t>(m_state)]);
    ++m_answerRepeats;
    m_part = 0;
    m_writeRepeats = 0;
    return nextPart();
}

StmOutcome StmUpdate::writeFailed()
{
    if (m_outcome != StmOutcome::Running)
        return m_outcome;
    m_events.step(tx::kRequestNotSent);
    if (m_writeRepeats >= kRepeats)
        return fail(kStepFailure[static_cast<std::size_t>(m_state)]);
    ++m_writeRepeats;
    return StmOutcome::Running;  // the same request again
}

StmOutcome StmUpdate::abort()
{
    if (m_outcome != StmOutcome::Running)
        return m_outcome;
    m_events.step(tx::kUserAborted);
    return finish(StmOutcome::Aborted, m_mode == StmMode::VerifyOnly ? tx::kFinalVerifyAborted
                                                                     : tx::kFinalUpdateAborted);
}

StmOutcome StmUpdate::partAcknowledged()
{
    ++m_part;
    m_writeRepeats = 0;
    return nextPart();
}

StmOutcome StmUpdate::answer(std::span<const std::uint8_t> received)
{
    if (m_outcome != StmOutcome::Running)
        return m_outcome;
    const StmReply ack = CheckStmAck(received);
    switch (m_state) {
        case StmState::Init:
            // A NACK to the sync byte: the loader has been synchronised before.
            if (ack != StmReply::Good && ack != StmReply::Nack)
                return repeatOrFail();
            m_events.step(tx::kInitDone);
            m_events.step(tx::kConfirmPid);
            return enter(StmState::GetId);
        case StmState::GetId: {
            std::uint16_t pid = 0;
            if (ParseStmGetId(received, pid) != StmReply::Good)
                return repeatOrFail();
            if (pid != kStmExpectedPid) {
                std::array<char, 128> text{};
                std::snprintf(text.data(), text.size(), tx::kPidWrong, pid >> 8, pid & 0xFF);
                return fail(text.data());
            }
            m_events.step(tx::kPidGood);
            return enter(StmState::GetVersion);
        }
        case StmState::GetVersion: {
            std::uint8_t version = 0;
            if (ParseStmGetVersion(received, version) != StmReply::Good)
                return repeatOrFail();
            if (version != kStmExpectedVersion)
                return fail(tx::kVersionWrong);
            m_events.step(tx::kVersionGood);
            return enter(StmState::ReadProtection);
        }
        case StmState::ReadProtection:
        case StmState::WriteProtection:
            if (m_part < 2) {
                // The loader refuses READ MEMORY while the flash is read protected.
                if (ack == StmReply::Nack && m_part == 0 && m_state == StmState::ReadProtection)
                    return readProtected();
                return ack == StmReply::Good ? partAcknowledged() : repeatOrFail();
            }
            if (received.size() != 1 + kStmOptionBytesLength || received[0] != kStmAck)
                return repeatOrFail();
            return afterOptionBytes(received.subspan(1));
        case StmState::ReadoutUnprotect:
        case StmState::WriteUnprotect:
            return afterUnprotect(received);
        case StmState::Erase:
            if (m_part == 0)
                return ack == StmReply::Good ? partAcknowledged() : repeatOrFail();
            // The sector list went out: an erase is never sent twice.
            if (ack != StmReply::Good)
                return fail(tx::kEraseFailed);
            m_events.step(tx::kEraseStepDone);
            m_events.step(tx::kWritingProgram);
            return enter(StmState::Write);
        case StmState::Write:
            if (ack != StmReply::Good)
                return repeatOrFail();
            if (m_part < 2)
                return partAcknowledged();
            ++m_block;
            reportProgress();
            if (m_block == blockCount()) {
                m_events.step(tx::kProgramWritten);
                m_events.step(tx::kCheckingProgram);
                return enter(StmState::ReadBack);
            }
            m_part = 0;
            m_answerRepeats = 0;
            m_writeRepeats = 0;
            return nextPart();
        case StmState::ReadBack:
            if (m_part < 2)
                return ack == StmReply::Good ? partAcknowledged() : repeatOrFail();
            if (received.size() != 1 + blockLength() || received[0] != kStmAck)
                return repeatOrFail();
            return afterReadBlock(received.subspan(1));
        case StmState::Go:
            if (ack != StmReply::Good)
                return repeatOrFail();
            if (m_part == 0)
                return partAcknowledged();
            m_events.step(tx::kJumpDone);
            m_events.step(tx::kUpdateVerified);
            return finish(StmOutcome::Succeeded, tx::kFinalUpdateDone);
    }
    return fail(nullptr);
}

StmOutcome StmUpdate::readProtected()
{
    m_events.step(tx::kReadProtected);
    // Removing read protection mass-erases the flash: never while only verifying, and only once.
    if (m_mode == StmMode::VerifyOnly)
        return fail(nullptr);
    if (m_readUnprotected)
        return fail(tx::kReadUnprotectFailed);
    return enter(StmState::ReadoutUnprotect);
}

StmOutcome StmUpdate::afterOptionBytes(std::span<const std::uint8_t> bytes)
{
    const auto options = DecodeStmOptionBytes(bytes);
    if (!options)
        return repeatOrFail();
    if (m_state == StmState::ReadProtection) {
        if (!options->readable())
            return readProtected();
        m_events.step(tx::kReadable);
        return enter(m_mode == StmMode::VerifyOnly ? StmState::ReadBack
                                                   : StmState::WriteProtection);
    }
    if (!options->writeProtected(m_image.firstSector, m_image.lastSector)) {
        m_events.step(tx::kWritable);
        return enter(StmState::Erase);
    }
    m_events.step(tx::kWriteProtected);
    if (m_writeUnprotected)
        return fail(tx::kWriteUnprotectFailed);
    return enter(StmState::WriteUnprotect);
}

StmOutcome StmUpdate::afterUnprotect(std::span<const std::uint8_t> received)
{
    // Refused or unanswered command: it may be sent again. Once accepted, never.
    if (received.empty() || received[0] != kStmAck)
        return repeatOrFail();
    if (CheckStmDoubleAck(received) != StmReply::Good)
        return fail(kStepFailure[static_cast<std::size_t>(m_state)]);
    const bool read = m_state == StmState::ReadoutUnprotect;
    m_events.step(read ? tx::kReadUnprotected : tx::kWriteUnprotected);
    (read ? m_readUnprotected : m_writeUnprotected) = true;
    m_pauseNext = kRestartPauseMs;
    return enter(StmState::Init);
}

StmOutcome StmUpdate::afterReadBlock(std::span<const std::uint8_t> data)
{
    const auto expected = std::span(m_image.bytes).subspan(m_block * m_blockSize, blockLength());
    if (!std::equal(data.begin(), data.end(), expected.begin(), expected.end())) {
        m_events.step(tx::kDataMismatch);
        m_events.step(tx::kDeviceDiffers);
        return finish(StmOutcome::Mismatch, m_mode == StmMode::VerifyOnly
                                                ? tx::kFinalVerifyMismatch
                                                : tx::kFinalUpdateMismatch);
    }
    ++m_block;
    reportProgress();
    if (m_block < blockCount()) {
        m_part = 0;
        m_answerRepeats = 0;
        m_writeRepeats = 0;
        return nextPart();
    }
    if (m_mode == StmMode::VerifyOnly) {
        m_events.step(tx::kVerifyMatches);
        return finish(StmOutcome::Succeeded, tx::kFinalVerifyDone);
    }
    m_events.step(tx::kProgramMatches);
    return enter(StmState::Go);
}

}  // namespace tirv
