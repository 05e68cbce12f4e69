// The I/O and LED exchanges against the relay simulator: its own register coding over Modbus,
// the ТИРВ protocol and Modbus TCP, an empty block and the minimal set, a stored value out of
// range, lost replies.
#include "configurator/iocfg/io_operation.h"
#include "support/core_app.h"

#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/led_operation.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/serial_link.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"
#include "support/texts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tirv {
namespace {

using test::U;

namespace tx = io_operation_texts;
using test::RecordingReporter;
using test::SimProcess;

enum class Wire { Modbus, Text, TextOld };

std::vector<std::string> SimArgs(int code, Wire wire, std::vector<std::string> more)
{
    std::vector<std::string> args{"--model", std::to_string(code), "--tcp", "0"};
    if (wire != Wire::Modbus)
        args.insert(args.end(),
                    {"--protocol", "tirv", "--variant", wire == Wire::Text ? "1" : "0"});
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Records like the test reporter and may act while a question stands open (the user pressing
// stop while the message box is up).
struct AskingReporter : RecordingReporter {
    Answer ask(const Message& m) override
    {
        if (duringQuestion)
            duringQuestion();
        return RecordingReporter::ask(m);
    }
    std::function<void()> duringQuestion;
};

// One simulator, the program's serial link to it, and both transfers.
struct Rig {
    Rig(int modelCode, Wire wire = Wire::Modbus, std::vector<std::string> more = {})
        : code(modelCode),
          sim(SimArgs(modelCode, wire, std::move(more))),
          settings(Settings(sim, wire)),
          link(
              reporter, settings, [this] { return code >= 715; }, nullptr,
              QString::fromStdString(sim.portsDir())),
          io(link, nullptr, reporter, settings, image),
          leds(
              link, nullptr, reporter, settings, [this] { return code; }, ledImage)
    {
    }

    static ConnectionSettings Settings(const SimProcess& sim, Wire wire)
    {
        ConnectionSettings s;
        s.port = sim.com();
        s.baudIndex = 6;
        s.repeatCount = 2;
        s.protocol = wire == Wire::Modbus ? Protocol::Modbus : Protocol::Tirv;
        s.protocolVariant = wire == Wire::TextOld ? 0 : 1;
        s.tcpAddress = {127, 0, 0, 1};
        s.tcpPort = sim.tcpPort();
        return s;
    }

    template <typename Start>
    IoTransferEnd run(Start start)
    {
        std::optional<IoTransferOutcome> outcome;
        if (!start([&outcome](const IoTransferOutcome& o) { outcome = o; }))
            return IoTransferEnd::Failed;
        QElapsedTimer clock;
        clock.start();
        while (!outcome && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_TRUE(outcome.has_value()) << "the operation did not end";
        return outcome ? outcome->end : IoTransferEnd::Failed;
    }
    IoTransferEnd read(IoMode mode = IoMode::Settings)
    {
        return run([&](IoTransfer::Done d) { return io.startRead(mode, d); });
    }
    IoTransferEnd write()
    {
        return run([&](IoTransfer::Done d) { return io.startWrite(d); });
    }
    IoTransferEnd readLeds()
    {
        return run([&](LedTransfer::Done d) { return leds.startRead(d); });
    }
    IoTransferEnd writeLeds()
    {
        return run([&](LedTransfer::Done d) { return leds.startWrite(d); });
    }

    int code;
    SimProcess sim;
    AskingReporter reporter;
    ConnectionSettings settings;
    SerialLink link;
    IoImage image = DefaultIoImage();
    LedImage ledImage = DefaultLedImage();
    IoTransfer io;
    LedTransfer leds;
};

// A commissioned-looking edit of the free channels 9..16.
IoImage Edited(IoImage image)
{
    image.input(8, IoFunction) = 44;
    image.input(9, IoLevel) = 1;
    image.input(10, IoFirstTime) = 29;
    image.input(15, IoSecondTime) = 9999;
    image.output(8, IoFunction) = 94;
    image.output(12, IoLevel) = 2;
    image.output(13, IoFirstTime) = 150;
    image.output(15, IoSecondTime) = 1;
    return image;
}

class IoOperationTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureCoreApp(); }
};

TEST_F(IoOperationTest, SettingsRoundTripOverBothSerialFormatsForBothModelClasses)
{
    for (const Wire wire : {Wire::Modbus, Wire::Text}) {
        for (const int code : {705, 715}) {
            SCOPED_TRACE(testing::Message() << code << (wire == Wire::Text ? " text" : " modbus"));
            Rig rig(code, wire);
            ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
            ASSERT_EQ(rig.read(), IoTransferEnd::Read);
            EXPECT_TRUE(ValidateIoImage(rig.image).ok());
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone[0]));

            const IoImage edited = Edited(rig.image);
            ASSERT_NE(edited, rig.image);
            rig.image = edited;
            ASSERT_EQ(rig.write(), IoTransferEnd::Written);
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kWriteDone));
            rig.image = DefaultIoImage();
            ASSERT_EQ(rig.read(), IoTransferEnd::Read);
            EXPECT_EQ(rig.image, edited);
        }
    }
}

TEST_F(IoOperationTest, LiveStatesFollowTheSimulatorsInputsAndOutputs)
{
    Rig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_TRUE(rig.sim.control("io inputs 0x8001"));
    ASSERT_TRUE(rig.sim.control("io outputs 6"));
    ASSERT_EQ(rig.read(IoMode::State), IoTransferEnd::Read);
    EXPECT_EQ(rig.io.inputStates(), 0x8001);
    EXPECT_EQ(rig.io.outputStates(), 6);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone[1]));
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kReadStarted[1])));

    ASSERT_TRUE(rig.sim.control("io input 3 on"));
    ASSERT_EQ(rig.read(IoMode::State), IoTransferEnd::Read);
    EXPECT_EQ(rig.io.inputStates(), 0x8005);
}

TEST_F(IoOperationTest, TcpReadTakesTheBlockInOneRequest)
{
    Rig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    const IoImage edited = Edited(rig.image);
    rig.image = edited;
    ASSERT_EQ(rig.write(), IoTransferEnd::Written);
    rig.image = DefaultIoImage();
    rig.settings.channel = Channel::Ethernet;
    ASSERT_TRUE(rig.sim.control("io outputs 0x0101"));
    ASSERT_EQ(rig.read(IoMode::State), IoTransferEnd::Read);
    EXPECT_EQ(rig.image, edited);
    EXPECT_EQ(rig.io.outputStates(), 0x0101);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone[1]));
}

// OK stores the minimal set through function 32, which leaves configured blocks alone; Cancel
// ends with the page's settings as they were.
TEST_F(IoOperationTest, EmptyBlockAsksForTheMinimalSet)
{
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Rig rig(715);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
        const LedImage configuredLeds = rig.ledImage;
        ASSERT_NE(configuredLeds, DefaultLedImage()) << "the simulator's LEDs are commissioned";
        ASSERT_TRUE(rig.sim.control("io settings empty"));
        // An active input on an unconfigured relay does not hide that it holds no settings.
        ASSERT_TRUE(rig.sim.control("io inputs 1"));

        IoImage before = Edited(DefaultIoImage());
        rig.image = before;
        rig.reporter.answers.push_back(ok ? Answer::Ok : Answer::Cancel);
        const IoTransferEnd end = rig.read();
        ASSERT_FALSE(rig.reporter.messages.empty());
        EXPECT_EQ(rig.reporter.messages.back().text, U(io_texts::kIoReadEmptyQuestion));
        EXPECT_EQ(rig.reporter.messages.back().caption, U(io_texts::kIoReadEmptyCaption));
        EXPECT_EQ(rig.reporter.messages.back().buttons, MsgButtons::OkCancel);
        EXPECT_TRUE(rig.reporter.statuses.contains(U(io_texts::kIoReadEmptyStatus)));
        if (!ok) {
            EXPECT_EQ(end, IoTransferEnd::Empty);
            EXPECT_EQ(rig.image, before);
            continue;
        }
        ASSERT_EQ(end, IoTransferEnd::Read);
        EXPECT_EQ(rig.image, DefaultIoImage());
        ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
        EXPECT_EQ(rig.ledImage, configuredLeds) << "function 32 must keep configured blocks";
    }
}

// A stop given while the question stands open ends the transfer there, even when the question
// is then answered OK: no function 32, no read again, the settings as they were.
TEST_F(IoOperationTest, StopDuringTheEmptyBlockQuestionEndsTheTransfer)
{
    struct Case {
        const char* what;
        bool leds;
        Wire wire;
    };
    for (const Case& c :
         {Case{"I/O, Modbus", false, Wire::Modbus}, Case{"I/O, ТИРВ protocol", false, Wire::Text},
          Case{"LEDs, Modbus", true, Wire::Modbus}}) {
        SCOPED_TRACE(c.what);
        Rig rig(715, c.wire);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        ASSERT_TRUE(rig.sim.control(c.leds ? "io leds empty" : "io settings empty"));
        const IoImage ioBefore = Edited(DefaultIoImage());
        const LedImage ledsBefore{};
        rig.image = ioBefore;
        rig.ledImage = ledsBefore;
        rig.reporter.answers.push_back(Answer::Ok);
        rig.reporter.duringQuestion = [&rig, &c] {
            if (c.leds)
                rig.leds.abort();
            else
                rig.io.abort();
        };
        const IoTransferEnd end = c.leds ? rig.readLeds() : rig.read();
        EXPECT_EQ(end, IoTransferEnd::Aborted);
        ASSERT_EQ(rig.reporter.messages.size(), 1u);
        if (!c.leds) {
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadAborted[0]));
        }
        EXPECT_EQ(rig.image, ioBefore);
        EXPECT_EQ(rig.ledImage, ledsBefore);

        // Nothing was stored: the relay still holds no records and asks again.
        rig.reporter.duringQuestion = nullptr;
        rig.reporter.answers.push_back(Answer::Cancel);
        EXPECT_EQ(c.leds ? rig.readLeds() : rig.read(), IoTransferEnd::Empty);
        EXPECT_EQ(rig.reporter.messages.size(), 2u);
    }
}

TEST_F(IoOperationTest, InvalidStoredValueLeavesSettingsAndStatesUnchanged)
{
    Rig rig(705);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_TRUE(rig.sim.control("io outputs 3"));
    ASSERT_EQ(rig.read(IoMode::State), IoTransferEnd::Read);
    const IoImage good = rig.image;
    // Output 1's signal register holds 95, one above the last signal.
    ASSERT_TRUE(rig.sim.control("io register 234 " + std::to_string(0x8064 + 95)));
    ASSERT_TRUE(rig.sim.control("io outputs 0"));
    EXPECT_EQ(rig.read(IoMode::State), IoTransferEnd::Rejected);
    EXPECT_EQ(rig.reporter.lastStatus(), U(io_texts::kIoReadInvalid));
    EXPECT_EQ(rig.image, good);
    EXPECT_EQ(rig.io.outputStates(), 3);
}

TEST_F(IoOperationTest, LostRepliesAreRepeatedOnReadsOnly)
{
    Rig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    // Each drop follows a good read, so that it hits a block rather than the link check.
    ASSERT_EQ(rig.read(), IoTransferEnd::Read);
    ASSERT_TRUE(rig.sim.control("drop 1"));
    ASSERT_EQ(rig.read(), IoTransferEnd::Read);
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kReadRepeat[0]).arg(1).arg(1)));

    // The last of the two blocks: its own words.
    rig.reporter.statuses.clear();
    ASSERT_TRUE(rig.sim.control("drop-share 0"));
    ASSERT_TRUE(rig.sim.control("silent"));
    EXPECT_EQ(rig.read(IoMode::State), IoTransferEnd::Failed);
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kReadRepeat[1]).arg(1).arg(1)));
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kReadFailed[1])));
    ASSERT_TRUE(rig.sim.control("silent off"));
    ASSERT_EQ(rig.read(), IoTransferEnd::Read);

    rig.reporter.statuses.clear();
    const IoImage edited = Edited(rig.image);
    rig.image = edited;
    ASSERT_TRUE(rig.sim.control("drop 1"));
    EXPECT_EQ(rig.write(), IoTransferEnd::Failed);
    for (const QString& s : rig.reporter.statuses)
        EXPECT_FALSE(s.contains(QStringLiteral("повтор"))) << s.toStdString();
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kWriteNoLink)));
}

TEST_F(IoOperationTest, AbortEndsTheReadWithItsOwnWordsAndKeepsTheSettings)
{
    Rig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_EQ(rig.read(), IoTransferEnd::Read);
    const IoImage before = Edited(rig.image);
    rig.image = before;
    ASSERT_TRUE(rig.sim.control("late 300"));
    const IoTransferEnd end = rig.run([&](IoTransfer::Done d) {
        const bool started = rig.io.startRead(IoMode::State, d);
        QTimer::singleShot(50, &rig.io, [&rig] { rig.io.abort(); });
        return started;
    });
    EXPECT_EQ(end, IoTransferEnd::Aborted);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadAborted[1]));
    EXPECT_EQ(rig.image, before);
}

TEST_F(IoOperationTest, LedsRoundTripWithTheirCodingForBothPanels)
{
    for (const Wire wire : {Wire::Modbus, Wire::Text}) {
        for (const int code : {705, 715}) {
            SCOPED_TRACE(testing::Message() << code << (wire == Wire::Text ? " text" : " modbus"));
            Rig rig(code, wire);
            ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
            ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
            LedImage leds{};
            leds.at(0, LedSignal) = 1;
            leds.at(0, LedMode) = 1;
            leds.at(0, LedTime) = 50;
            leds.at(4, LedSignal) = 94;
            leds.at(4, LedTime) = 9999;
            if (code >= 715)
                leds.at(7, LedSignal) = 46;
            rig.ledImage = leds;
            ASSERT_EQ(rig.writeLeds(), IoTransferEnd::Written);
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kLedWriteDone));
            rig.ledImage = {};
            ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
            EXPECT_EQ(rig.ledImage, leds);
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kLedReadDone));
        }
    }
}

// The old variant's read starts at register 0 whatever is asked: the I/O and LED reads are
// refused before anything is sent (the settings untouched), while the writes, which name their
// start, store both blocks (read back over Modbus TCP).
TEST_F(IoOperationTest, OldTextVariantRefusesBlockReadsAndWritesByAddress)
{
    for (const int code : {705, 715}) {
        SCOPED_TRACE(code);
        Rig rig(code, Wire::TextOld);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        const IoImage edited = Edited(DefaultIoImage());
        rig.image = edited;
        for (const IoMode mode : {IoMode::Settings, IoMode::State}) {
            EXPECT_EQ(rig.read(mode), IoTransferEnd::Failed);
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadNeedsStart[int(mode)]));
            EXPECT_EQ(rig.reporter.lastStatusIcon, StatusIcon::Error);
        }
        EXPECT_EQ(rig.image, edited);
        LedImage leds{};
        leds.at(0, LedSignal) = 1;
        leds.at(0, LedMode) = 1;
        leds.at(0, LedTime) = 50;
        leds.at(LedCountForModel(code) - 1, LedSignal) = 94;
        rig.ledImage = leds;
        EXPECT_EQ(rig.readLeds(), IoTransferEnd::Failed);
        EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kLedReadNeedsStart));
        EXPECT_EQ(rig.ledImage, leds);
        EXPECT_TRUE(rig.reporter.messages.empty());

        ASSERT_EQ(rig.write(), IoTransferEnd::Written);
        ASSERT_EQ(rig.writeLeds(), IoTransferEnd::Written);
        rig.settings.channel = Channel::Ethernet;
        rig.image = DefaultIoImage();
        rig.ledImage = {};
        ASSERT_EQ(rig.read(), IoTransferEnd::Read);
        EXPECT_EQ(rig.image, edited);
        ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
        EXPECT_EQ(rig.ledImage, leds);
    }
}

TEST_F(IoOperationTest, LedsEmptyBlockAndTcpRead)
{
    Rig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_TRUE(rig.sim.control("io leds empty"));
    rig.reporter.answers.push_back(Answer::Ok);
    ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
    EXPECT_EQ(rig.reporter.messages.back().text, U(io_texts::kLedReadEmptyQuestion));
    EXPECT_EQ(rig.ledImage, DefaultLedImage());

    rig.settings.channel = Channel::Ethernet;
    rig.ledImage = {};
    ASSERT_EQ(rig.readLeds(), IoTransferEnd::Read);
    EXPECT_EQ(rig.ledImage, DefaultLedImage());
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kLedTcpReadDone));
}

}  // namespace
}  // namespace tirv
