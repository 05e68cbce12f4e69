// The M update state machine against a scripted STM32 bootloader: success, then the flash holds
// the image; every refusal and fault of the loader leads to its step text and final text; repeats,
// unprotect with restart (at most once), verify-only, abort, and the waits it asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

#include "configurator/firmware/stm32_update.h"
#include "configurator/firmware/texts.h"
#include "scripted_stm32_loader.h"

namespace tirv {
namespace {

using test::ScriptedStm32Loader;
using Bytes = std::vector<std::uint8_t>;
namespace tx = firmware_texts;

// 3001 bytes from 0x08004000 (sector 1): 12 blocks, the last of 185 bytes padded to 188.
HexImage TestImage()
{
    HexImage image;
    image.start = 0x08004000;
    image.bytes.resize(3001);
    std::mt19937 gen(7);
    for (auto& b : image.bytes)
        b = static_cast<std::uint8_t>(gen());
    image.firstSector = 1;
    image.lastSector = 1;
    return image;
}

struct Recorder : StmUpdateEvents {
    std::vector<std::string> steps;
    int value = -1, max = -1;
    void step(std::string_view text) override { steps.emplace_back(text); }
    void progress(int v, int m) override
    {
        value = v;
        max = m;
    }
    long count(const char* text) const { return std::count(steps.begin(), steps.end(), text); }
};

struct UpdateRun {
    StmOutcome outcome = StmOutcome::Running;
    std::string final;
    Recorder events;
    std::vector<StmRequest> requests;
};

// Drives the machine as the worker job does: send, collect at most the expected bytes, answer.
UpdateRun Drive(const HexImage& image, StmMode mode, ScriptedStm32Loader& loader, int abortAt = -1,
                int failWrites = 0)
{
    UpdateRun run;
    StmUpdate update(image, mode, run.events);
    update.start();
    for (int i = 0; i < 100000 && update.outcome() == StmOutcome::Running; ++i) {
        run.requests.push_back(update.request());
        if (i == abortAt) {
            update.abort();
            break;
        }
        if (failWrites > 0) {
            --failWrites;
            update.writeFailed();
            continue;
        }
        Bytes answer = loader.receive(update.request().bytes);
        answer.resize(std::min(answer.size(), update.request().expect));
        update.answer(answer);
    }
    run.outcome = update.outcome();
    run.final = update.finalText();
    return run;
}

bool FlashHolds(const ScriptedStm32Loader& loader, const HexImage& image)
{
    const auto at = loader.flash.begin() + (image.start - kStmFlashStart);
    return std::equal(image.bytes.begin(), image.bytes.end(), at);
}

struct Case {
    const char* what;
    StmMode mode;
    std::function<void(ScriptedStm32Loader&, const HexImage&)> setUp;
    StmOutcome outcome;
    const char* final;
    std::vector<std::string> stepsShown;
    int abortAt = -1;
    int failWrites = 0;
};

TEST(Stm32Update, OutcomesAgainstTheScriptedLoader)
{
    const HexImage image = TestImage();
    const auto nothing = [](ScriptedStm32Loader&, const HexImage&) {};
    const auto holdsImage = [](ScriptedStm32Loader& l, const HexImage& i) {
        std::copy(i.bytes.begin(), i.bytes.end(), l.flash.begin() + (i.start - kStmFlashStart));
    };
    const StmMode U = StmMode::Update, V = StmMode::VerifyOnly;
    const std::vector<Case> cases = {
        {"update",
         U,
         nothing,
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {tx::kInitDone, tx::kPidGood, tx::kVersionGood, tx::kReadable, tx::kWritable,
          tx::kEraseStepDone, tx::kProgramWritten, tx::kProgramMatches, tx::kJumpDone,
          tx::kUpdateVerified}},
        {"sync NACKed: already synchronised",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.receive({0x7F}); },
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {tx::kInitDone}},
        {"PID 0x419",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.pid = 0x0419; },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {"Получен PID=4.25, что не соответствует требованиям", tx::kUpdateFailed}},
        {"loader version 3.0",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.version = 0x30; },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kVersionWrong, tx::kUpdateFailed}},
        {"read protection removed, then a restart",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) {
             l.readProtection = 0xBB;
             std::fill(l.flash.begin(), l.flash.end(), 0x00);
         },
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {tx::kReadProtected, tx::kReadUnprotected}},
        {"read protection that does not clear",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) {
             l.readProtection = 0xBB;
             l.ignoreUnprotect = true;
         },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kReadUnprotectFailed, tx::kUpdateFailed}},
        {"write protection of sector 1 removed",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.nWrp = 0x0FFD; },
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {tx::kWriteProtected, tx::kWriteUnprotected}},
        {"write protection of another sector is no obstacle",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.nWrp = 0x0FF7; },
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {tx::kWritable}},
        {"write protection that does not clear",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) {
             l.nWrp = 0x0FFD;
             l.ignoreUnprotect = true;
         },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kWriteUnprotectFailed}},
        {"two NACKs are repeated",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.nackCommands = 2; },
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {}},
        {"three NACKs end the update",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.nackCommands = 3; },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kUpdateFailed}},
        {"silence",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.silentParts = 1000; },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kUpdateFailed}},
        {"unanswered erase",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.silentEraseParameters = true; },
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kEraseFailed, tx::kUpdateFailed}},
        {"a flipped byte on read-back",
         U,
         [](ScriptedStm32Loader& l, const HexImage& i) {
             l.flipReadAt = static_cast<long>(i.start - kStmFlashStart) + 1000;
         },
         StmOutcome::Mismatch,
         tx::kFinalUpdateMismatch,
         {tx::kDataMismatch, tx::kDeviceDiffers}},
        {"read-back unanswered",
         U,
         [](ScriptedStm32Loader& l, const HexImage&) { l.silentFlashReads = true; },
         StmOutcome::Unverified,
         tx::kFinalUpdateUnverified,
         {tx::kReadBackFailed, tx::kUpdateDone, tx::kVerifyFailed}},
        {"two writes that do not complete",
         U,
         nothing,
         StmOutcome::Succeeded,
         tx::kFinalUpdateDone,
         {tx::kRequestNotSent},
         -1,
         2},
        {"three writes that do not complete",
         U,
         nothing,
         StmOutcome::Failed,
         tx::kFinalUpdateFailed,
         {tx::kRequestNotSent, tx::kUpdateFailed},
         -1,
         3},
        {"abort during the write",
         U,
         nothing,
         StmOutcome::Aborted,
         tx::kFinalUpdateAborted,
         {tx::kWritingProgram, tx::kUserAborted},
         40},
        {"verify equal",
         V,
         holdsImage,
         StmOutcome::Succeeded,
         tx::kFinalVerifyDone,
         {tx::kReadable, tx::kVerifyMatches}},
        {"verify different",
         V,
         nothing,
         StmOutcome::Mismatch,
         tx::kFinalVerifyMismatch,
         {tx::kDataMismatch}},
        {"verify on a read-protected device",
         V,
         [](ScriptedStm32Loader& l, const HexImage&) { l.readProtection = 0xBB; },
         StmOutcome::Failed,
         tx::kFinalVerifyFailed,
         {tx::kReadProtected, tx::kVerifyFailed}},
        {"verify, read-back unanswered",
         V,
         [](ScriptedStm32Loader& l, const HexImage&) { l.silentFlashReads = true; },
         StmOutcome::Failed,
         tx::kFinalVerifyFailed,
         {tx::kReadBackFailed, tx::kVerifyFailed}},
        {"abort during verification",
         V,
         holdsImage,
         StmOutcome::Aborted,
         tx::kFinalVerifyAborted,
         {tx::kUserAborted},
         20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedStm32Loader loader;
        c.setUp(loader, image);
        const UpdateRun run = Drive(image, c.mode, loader, c.abortAt, c.failWrites);
        EXPECT_EQ(run.outcome, c.outcome);
        EXPECT_EQ(run.final, c.final);
        for (const std::string& s : c.stepsShown)
            EXPECT_GT(run.events.count(s.c_str()), 0) << s;
        if (c.outcome == StmOutcome::Succeeded) {
            EXPECT_TRUE(FlashHolds(loader, image));
            EXPECT_EQ(run.events.value, run.events.max);
        }
    }
}

TEST(Stm32Update, UpdateLeavesExactlyTheImageAndPadding)
{
    const HexImage image = TestImage();
    ScriptedStm32Loader loader;
    const UpdateRun run = Drive(image, StmMode::Update, loader);
    ASSERT_EQ(run.outcome, StmOutcome::Succeeded);
    EXPECT_TRUE(FlashHolds(loader, image));
    // The padding of the last block is erased flash, and nothing was written elsewhere.
    const std::size_t end = image.start - kStmFlashStart + image.length();
    EXPECT_TRUE(std::all_of(loader.flash.begin() + static_cast<long>(end), loader.flash.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(run.events.max, 2 * 12);
    EXPECT_EQ(loader.eraseParameterParts, 1);
    EXPECT_EQ(loader.unprotects, 0);
}

TEST(Stm32Update, ProtectionIsRemovedOnceAndNeverWhileVerifying)
{
    const HexImage image = TestImage();
    ScriptedStm32Loader stubborn;
    stubborn.readProtection = 0xBB;
    stubborn.ignoreUnprotect = true;
    Drive(image, StmMode::Update, stubborn);
    EXPECT_EQ(stubborn.unprotects, 1);

    ScriptedStm32Loader verified;
    verified.readProtection = 0xBB;
    Drive(image, StmMode::VerifyOnly, verified);
    EXPECT_EQ(verified.unprotects, 0);
    EXPECT_EQ(verified.readProtection, 0xBB);

    // After an unprotect the loader restarts: the sequence syncs again after a pause.
    ScriptedStm32Loader protectedOnce;
    protectedOnce.readProtection = 0xBB;
    const UpdateRun run = Drive(image, StmMode::Update, protectedOnce);
    EXPECT_EQ(run.events.count(tx::kInitDone), 2);
    const auto sync = std::find_if(run.requests.begin() + 1, run.requests.end(),
                                   [](const StmRequest& r) { return r.bytes == Bytes{0x7F}; });
    ASSERT_NE(sync, run.requests.end());
    EXPECT_GT(sync->pauseMs, 0);
}

TEST(Stm32Update, WaitsFollowTheLoadersTiming)
{
    const HexImage image = TestImage();
    ScriptedStm32Loader loader;
    loader.nWrp = 0x0FFD;
    const UpdateRun run = Drive(image, StmMode::Update, loader);
    ASSERT_EQ(run.outcome, StmOutcome::Succeeded);
    const auto find = [&](const Bytes& start, std::size_t size) {
        return std::find_if(run.requests.begin(), run.requests.end(), [&](const StmRequest& r) {
            return r.bytes.size() == size &&
                   std::equal(start.begin(), start.end(), r.bytes.begin());
        });
    };
    // Erase of sector 1 only: count − 1 = 0, sector 1, checksum 1.
    const auto erase = find({0x00, 0x00, 0x00, 0x01, 0x01}, 5);
    ASSERT_NE(erase, run.requests.end());
    EXPECT_GE(erase->answerTimeoutMs, 5000);
    const auto unprotect = find({0x73, 0x8C}, 2);
    ASSERT_NE(unprotect, run.requests.end());
    EXPECT_GE(unprotect->answerTimeoutMs, 2000);
    EXPECT_GE(unprotect->settleMs, 2000) << "the second ACK follows the option-byte change";
    EXPECT_EQ(unprotect->expect, 2u);
    const auto block = find({0xFF}, 258);
    ASSERT_NE(block, run.requests.end());
    EXPECT_GE(block->answerTimeoutMs, 1000);
    // 258 bytes at 115200 bit/s, 13 bit times each: 29 ms + 20.
    EXPECT_EQ(block->writeTimeoutMs, 49);
    // The padded last block: N − 1 = 187.
    EXPECT_NE(find({187}, 190), run.requests.end());
    // GO's address part is the last request; its answer is given 100 ms to settle.
    const StmRequest& go = run.requests.back();
    EXPECT_EQ(go.bytes, (Bytes{0x08, 0x00, 0x40, 0x00, 0x48}));
    EXPECT_EQ(go.settleMs, 100);
}

}  // namespace
}  // namespace tirv
