// The non-M update against tirv-sim's own relay loader over its pseudo-terminal: success checked
// byte for byte in the simulated flash, every failure text by a fault injected at its step, the
// relay left in its loader after a failure and a second run that skips the switch, and abort.
#include "configurator/firmware/firmware_update_relay.h"
#include "support/core_app.h"

#include "configurator/link/link_state.h"
#include "configurator/link/serial_link.h"
#include "firmware_records.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"
#include "support/texts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

namespace tirv {
namespace {

using test::U;

namespace tx = firmware_texts;
using test::RecordingReporter;
using test::SimProcess;

constexpr int kAddress = 5;
constexpr int kWorkingBaudIndex = 4;  // 19200: the loader listens at 57600 whatever this is

// Three pages in block 9 (one of them only partly given) and one in block 10.
FirmwareImage TestImage()
{
    const std::string text =
        test::S3(0xFFF80000, test::Ramp(200, 1)) + test::S3(0xFFF800C8, test::Ramp(100, 90)) +
        test::S3(0xFFF80230, test::Ramp(16, 7)) + test::S2(0x061010, test::Ramp(32, 200)) +
        test::SRecord('7', 0xFFF80000, 4, {});
    auto parsed = ParseFirmwareFile(test::ToBytes(text), FirmwareFamily::Relay);
    EXPECT_TRUE(parsed.ok());
    return parsed.ok() ? parsed.value() : FirmwareImage{};
}

// Where an address lies in the simulator's flash dump (blocks in ascending address order).
std::size_t DumpOffset(std::uint32_t address)
{
    return address < 0x00062000 ? address - 0x00060000 : 0x2000 + (address - 0xFFF80000);
}

struct Rig {
    explicit Rig(std::vector<std::string> more = {})
        : sim(Args(std::move(more))),
          settings(Settings(sim)),
          link(
              reporter, settings, [] { return false; }, nullptr,
              QString::fromStdString(sim.portsDir())),
          update(link, reporter, settings)
    {
        QObject::connect(&update, &RelayFirmwareUpdate::stepLogged,
                         [this](const QString& text, bool) { steps << text; });
    }

    static std::vector<std::string> Args(std::vector<std::string> more)
    {
        std::vector<std::string> args{"--model", "705",  "--address", std::to_string(kAddress),
                                      "--baud",  "19200"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    static ConnectionSettings Settings(const SimProcess& sim)
    {
        ConnectionSettings s;
        s.channel = Channel::Rs485;
        s.port = sim.com();
        s.address = kAddress;
        s.baudIndex = kWorkingBaudIndex;
        return s;
    }

    std::optional<UpdateEnd> run(const FirmwareImage& image,
                                 std::function<void()> onWriting = nullptr,
                                 RelayUpdateTiming timing = {200, 10, 1000})
    {
        std::optional<UpdateEnd> end;
        steps.clear();
        QObject scope;  // the abort hook lives for this run only
        if (onWriting)
            QObject::connect(&update, &RelayFirmwareUpdate::stepLogged, &scope,
                             [onWriting](const QString& text, bool) {
                                 if (text == U(tx::kWritingMemory))
                                     QTimer::singleShot(60, onWriting);
                             });
        if (!update.start(image, timing, [&end](const UpdateEnd& e) { end = e; }))
            return std::nullopt;
        QElapsedTimer clock;
        clock.start();
        while (!end && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return end;
    }

    std::vector<std::uint8_t> Dump()
    {
        const std::string path = sim.workDir() + "/flash.bin";
        EXPECT_TRUE(sim.control("flash-dump " + path));
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void ExpectFlashHolds(const FirmwareImage& image)
    {
        const std::vector<std::uint8_t> flash = Dump();
        ASSERT_EQ(flash.size(), 0x2000u + 0x60000u + 0x20000u);
        for (const auto& [base, page] : image.relay.pages.pages()) {
            const auto at = flash.begin() + std::ptrdiff_t(DumpOffset(base));
            EXPECT_TRUE(std::equal(page.bytes.begin(), page.bytes.end(), at))
                << std::hex << "page 0x" << base;
        }
        EXPECT_EQ(flash[DumpOffset(0xFFF90000)], 0xFF) << "block 8 was not touched";
    }

    SimProcess sim;
    RecordingReporter reporter;
    ConnectionSettings settings;
    SerialLink link;
    RelayFirmwareUpdate update;
    QStringList steps;
};

class RelayUpdateTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureCoreApp(); }
};

TEST_F(RelayUpdateTest, WritesTheImageThroughTheLoaderAndReturnsToTheProgram)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    const FirmwareImage image = TestImage();
    const auto end = rig.run(image);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Done) << rig.steps.join('\n').toStdString();
    EXPECT_FALSE(end->leftInLoader);
    EXPECT_FALSE(rig.link.state().bootloaderMode());
    const QStringList expected{
        U(tx::kEnteringLoader), U(tx::kEnterLoaderSent),    U(tx::kLoaderConfirmed),
        U(tx::kErasingBlocks),  U("Очищен блок памяти _9"), U("Очищен блок памяти _A"),
        U(tx::kEraseDone),      U(tx::kWritingMemory),      U(tx::kFinalUpdateDone)};
    EXPECT_EQ(rig.steps, expected);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kFinalUpdateDone));
    rig.ExpectFlashHolds(image);
    ASSERT_TRUE(rig.sim.control("loader"));
    EXPECT_NE(rig.sim.lastStatus().find("program exits 1"), std::string::npos);
}

// The erase is answered after the configurator gave up on it, so the repeat erases again while
// the first answer is taken for the repeat's. The repeat's own answer echoes the block's start
// address just as the write of the block's first page would: unless it is let go by, that page
// is sent while the loader is still erasing, is lost, and the late answer passes for its own.
TEST_F(RelayUpdateTest, ARepeatedEraseIsLetFinishBeforeTheFirstPageOfItsBlock)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    // Block 9 only, its first page at the block's start address.
    const std::string text = test::S3(0xFFF80000, test::Ramp(250, 3)) +
                             test::S3(0xFFF800FA, test::Ramp(100, 40)) +
                             test::SRecord('7', 0xFFF80000, 4, {});
    auto parsed = ParseFirmwareFile(test::ToBytes(text), FirmwareFamily::Relay);
    ASSERT_TRUE(parsed.ok());
    // The configurator waits 200 ms and a little line time for an erase; the loader erases in
    // 150 ms. Answered 150 ms late, the first erase's answer comes ~80 ms after the repeat went
    // out and ~75 ms before the repeat's own; a page write waits long enough to take the latter.
    ASSERT_TRUE(rig.sim.control("loader-erase-ms 150"));
    ASSERT_TRUE(rig.sim.control("loader-erase-late 150"));
    const auto end = rig.run(parsed.value(), nullptr, {200, 100, 1000});
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Done) << rig.steps.join('\n').toStdString();
    EXPECT_EQ(rig.steps.count(U("Очищен блок памяти _9")), 1);
    rig.ExpectFlashHolds(parsed.value());
}

TEST_F(RelayUpdateTest, LostRepliesInTheLoaderAreAskedAgain)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    rig.link.state().setBootloaderMode(true);
    ASSERT_TRUE(rig.sim.control("bootloader on"));
    ASSERT_TRUE(rig.sim.control("drop 2"));
    const FirmwareImage image = TestImage();
    const auto end = rig.run(image);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Done) << rig.steps.join('\n').toStdString();
    rig.ExpectFlashHolds(image);
}

// Every failure by a fault at its step: the texts in the list, the final text, and whether the
// relay is left waiting in its loader.
TEST_F(RelayUpdateTest, EveryFailureEndsWithItsTexts)
{
    struct Case {
        const char* what;
        bool startInLoader;
        std::vector<std::string> faults;
        QStringList lastSteps;
        bool leftInLoader;
    };
    const Case cases[] = {
        {"no acknowledgement of the entry pattern",
         false,
         {"silent on"},
         {U(tx::kEnterLoaderFailed), U(tx::kFinalUpdateFailed)},
         false},
        {"a relay without its loader's answer",
         true,
         {"silent on"},
         {U(tx::kNoLoaderReady), U(tx::kUpdateNotFinished), U(tx::kDeviceInLoader),
          U(tx::kFinalUpdateFailed)},
         true},
        {"an erase slower than allowed",
         false,
         {"loader-erase-ms 4000"},
         {U("Не удалось очистить блок памяти _9"), U(tx::kMemoryEraseFailed),
          U(tx::kUpdateNotFinished), U(tx::kDeviceInLoader), U(tx::kFinalUpdateFailed)},
         true},
        {"a page write slower than allowed",
         false,
         {"loader-page-ms 3000"},
         {U("Ошибка записи страницы памяти по адресу 0x61000"), U(tx::kMemoryWriteFailed),
          U(tx::kUpdateNotFinished), U(tx::kDeviceInLoader), U(tx::kFinalUpdateFailed)},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        if (c.startInLoader) {
            ASSERT_TRUE(rig.sim.control("bootloader on"));
            rig.link.state().setBootloaderMode(true);
        }
        for (const std::string& f : c.faults)
            ASSERT_TRUE(rig.sim.control(f)) << f;
        const auto end = rig.run(TestImage());
        ASSERT_TRUE(end);
        EXPECT_EQ(end->outcome, UpdateOutcome::Failed);
        ASSERT_GE(rig.steps.size(), c.lastSteps.size());
        EXPECT_EQ(rig.steps.mid(rig.steps.size() - c.lastSteps.size()), c.lastSteps)
            << rig.steps.join('\n').toStdString();
        EXPECT_EQ(end->leftInLoader, c.leftInLoader);
        EXPECT_EQ(rig.link.state().bootloaderMode(), c.leftInLoader);
        EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kFinalUpdateFailed));
    }
}

TEST_F(RelayUpdateTest, AfterAFailedWriteASecondRunSkipsTheSwitchAndSucceeds)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_TRUE(rig.sim.control("loader-page-ms 3000"));
    const FirmwareImage image = TestImage();
    auto end = rig.run(image);
    ASSERT_TRUE(end);
    ASSERT_EQ(end->outcome, UpdateOutcome::Failed);
    ASSERT_TRUE(rig.link.state().bootloaderMode());
    ASSERT_TRUE(rig.sim.control("loader-page-ms 8"));
    QElapsedTimer settle;  // the loader finishes the slow write it was busy with
    settle.start();
    while (settle.elapsed() < 3200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    end = rig.run(image);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Done) << rig.steps.join('\n').toStdString();
    ASSERT_FALSE(rig.steps.isEmpty());
    EXPECT_EQ(rig.steps.front(), U(tx::kConfirmLoaderMode));
    EXPECT_FALSE(rig.steps.contains(U(tx::kEnteringLoader)));
    rig.ExpectFlashHolds(image);
}

TEST_F(RelayUpdateTest, AbortDuringTheWriteLeavesTheRelayInItsLoader)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_TRUE(rig.sim.control("loader-page-ms 400"));
    const auto end = rig.run(TestImage(), [&rig] { rig.update.abort(); });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Aborted);
    EXPECT_TRUE(end->leftInLoader);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kFinalUpdateAborted));
    EXPECT_FALSE(rig.update.running());
}

TEST(RelayUpdateTiming, EmptyOrOutOfRangeFieldsBecomeTheMinimumWithTheirText)
{
    struct Case {
        TimingField field;
        const char* typed;
        int value;
        const char* text;
    };
    const Case cases[] = {
        {TimingField::EraseBlock, "", 200, tx::kEraseTimeEmpty},
        {TimingField::EraseBlock, "199", 200, tx::kEraseTimeRange},
        {TimingField::EraseBlock, "10001", 200, tx::kEraseTimeRange},
        {TimingField::EraseBlock, "10000", 10000, nullptr},
        {TimingField::EraseBlock, "12a", 200, tx::kEraseTimeRange},
        {TimingField::PageWrite, "  ", 10, tx::kWriteTimeEmpty},
        {TimingField::PageWrite, "9", 10, tx::kWriteTimeRange},
        {TimingField::PageWrite, "2000", 2000, nullptr},
        {TimingField::Initialise, "", 1000, tx::kInitTimeEmpty},
        {TimingField::Initialise, "999", 1000, tx::kInitTimeRange},
        {TimingField::Initialise, "1500", 1500, nullptr},
    };
    for (const Case& c : cases) {
        const TimingFieldRule& rule = kTimingFields[static_cast<std::size_t>(c.field)];
        const TimingValue v = TakeTimingField(rule, c.typed);
        EXPECT_EQ(v.value, c.value) << c.typed;
        EXPECT_EQ(v.replacedText, c.text) << c.typed;
    }
}

TEST(UpdateFinalTexts, EachEndingOfEachModeHasItsText)
{
    EXPECT_STREQ(FinalText(UpdateMode::Update, UpdateOutcome::Mismatch), tx::kFinalUpdateMismatch);
    EXPECT_STREQ(FinalText(UpdateMode::Update, UpdateOutcome::Unverified),
                 tx::kFinalUpdateUnverified);
    EXPECT_STREQ(FinalText(UpdateMode::Verify, UpdateOutcome::Done), tx::kFinalVerifyDone);
    EXPECT_STREQ(FinalText(UpdateMode::Verify, UpdateOutcome::Aborted), tx::kFinalVerifyAborted);
    EXPECT_STREQ(FinalText(UpdateMode::Verify, UpdateOutcome::Mismatch), tx::kFinalVerifyMismatch);
    EXPECT_STREQ(FinalText(UpdateMode::Verify, UpdateOutcome::Failed), tx::kFinalVerifyFailed);
}

}  // namespace
}  // namespace tirv
