// The measurement reading against tirv-sim, in the program's own composition: values of both
// layouts over Modbus RTU, the ТИРВ protocol and Modbus TCP, checked against the registers the
// simulator was told to hold; the range test of the integer layout; a lost reply repeated with
// its text; cyclic polling with its period raised to the speed's minimum and its end.
#include "configurator/journals/measurement_operation.h"
#include "configurator/journals/measurement_texts.h"
#include "configurator/shell/gui_test_support.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QRadioButton>

#include <memory>
#include <string>
#include <vector>

namespace tirv {
namespace {

using test::U;

namespace tx = measurement_texts;
using test::WaitUntil;

class MeasurementOperationTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(simArgs, model));
        op = std::make_unique<MeasurementOperation>(rig.pages->link(), rig.session(), rig.rep,
                                                    rig.settings(), [model] { return model; });
    }
    void TearDown() override
    {
        op.reset();
        rig.reset();
    }
    // Over Ethernet a read takes the address and port as typed into the link page.
    void useTcp()
    {
        ASSERT_GT(sim->tcpPort(), 0);
        rig.win->command(CmdShowLinkSettings);
        ConnectionPanel& panel = rig.panel();
        panel.control<QRadioButton>(CtlChannelEthernet)->click();
        const char* ip[] = {"127", "0", "0", "1"};
        for (int k = 0; k < 4; ++k)
            panel.octet(CtlTcpAddress, k)->setText(ip[k]);
        panel.control<QLineEdit>(CtlTcpPort)->setText(QString::number(sim->tcpPort()));
    }
    void set(const std::string& command) { ASSERT_TRUE(sim->control(command)) << command; }

    // One reading, to its end.
    MeasurementReading read(int periodMs = 0)
    {
        readings.clear();
        EXPECT_TRUE(op->start(
            [this](const MeasurementReading& r, bool last) {
                readings.push_back(r);
                ended = last;
            },
            periodMs));
        ended = false;
        EXPECT_TRUE(WaitUntil([this] { return ended; }, 20000));
        return readings.empty() ? MeasurementReading{} : readings.back();
    }

    std::unique_ptr<MeasurementOperation> op;
    std::vector<MeasurementReading> readings;
    bool ended = false;
};

// Register overrides and the texts they must give, field by field.
struct Shown {
    const char* command;
    std::size_t index;
    const char* text;
};

TEST_F(MeasurementOperationTest, IntegerLayoutShowsTheRegistersWithTheirFormats)
{
    start({"--model", "705"}, 705);
    const Shown rows[] = {
        {"measure 300 10000", 0, "10000.00"},  // the warmest temperature accepted
        {"measure 301 1234", 1, "12.34"},      // Ia × 0.01
        {"measure 304 -2301", 4, "-230.1"},    // Ua × 0.1, signed
        {"measure 310 65535", 10, "-0.001"},   // 3Io × 0.001, the register read as signed
        {"measure 312 500", 12, "5.00"},       // I1
        {"measure 314 3599", 14, "359.9"},     // the largest angle accepted
        {"measure 324 -3599", 24, "-359.9"},
    };
    for (const Shown& r : rows)
        set(r.command);
    const MeasurementReading reading = read();
    ASSERT_EQ(reading.end, MeasurementEnd::Read);
    for (const Shown& r : rows)
        EXPECT_EQ(FormatMeasurement(reading.table, r.index), r.text) << r.command;
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kStatusRead));
    EXPECT_TRUE(rig.rep.messages.empty());
}

TEST_F(MeasurementOperationTest, OutOfRangeValuesAreRejectedWithTheirMessages)
{
    start({"--model", "705"}, 705);
    struct Row {
        const char* command;
        const char* caption;
        std::string text;
    };
    const Row rows[] = {
        {"measure 300 10001", tx::kCaptionError, "Недопустимое значение температуры: T*10=10001"},
        {"measure 314 3600", tx::kCaptionDataError, "Недопустимое значение фазы[1]=3600"},
        {"measure 324 -3600", tx::kCaptionDataError, "Недопустимое значение фазы[11]=-3600"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        set("measure clear");
        set(row.command);
        rig.rep.messages.clear();
        const MeasurementReading reading = read();
        EXPECT_EQ(reading.end, MeasurementEnd::Invalid);
        ASSERT_EQ(rig.rep.messages.size(), 1u);
        EXPECT_EQ(rig.rep.messages[0].caption, U(row.caption));
        EXPECT_EQ(rig.rep.messages[0].text, QString::fromStdString(row.text));
        EXPECT_EQ(rig.rep.lastStatus(), U(tx::kStatusInvalidValues));
    }
}

TEST_F(MeasurementOperationTest, FloatLayoutKeepsNonFiniteValuesAsText)
{
    start({"--model", "715"}, 715);
    const Shown rows[] = {
        {"measure-float 1 3.25", 1, "3.25"},      {"measure-float 4 nan", 4, "NaN"},
        {"measure-float 5 inf", 5, "+Inf"},       {"measure-float 0 41.6", 0, "42"},
        {"measure-float 10 0.1234", 10, "0.123"}, {"measure-float 43 50.01", 43, "50.01"},
        {"measure-float 41 1234", 41, "1234"},    {"measure-float 17 -120.5", 17, "-120.5"},
    };
    for (const Shown& r : rows)
        set(r.command);
    const MeasurementReading reading = read();
    ASSERT_EQ(reading.end, MeasurementEnd::Read);
    for (const Shown& r : rows)
        EXPECT_EQ(FormatMeasurement(reading.table, r.index), r.text) << r.command;
}

TEST_F(MeasurementOperationTest, TirvProtocolReadsBothLayoutsInChunks)
{
    for (const int model : {705, 715}) {
        SCOPED_TRACE(model);
        // Variant 1 names the start of each chunk (variant 0 reads walk the setpoint block).
        start({"--model", std::to_string(model), "--protocol", "tirv", "--variant", "1",
               "--values-per-frame", "8"},
              model);
        rig.settings().protocol = Protocol::Tirv;
        rig.settings().protocolVariant = 1;
        rig.settings().valuesPerFrame = 8;
        if (model == 705) {
            set("measure 301 777");
            set("measure 324 -900");
        } else {
            set("measure-float 1 7.77");
            set("measure-float 43 49.5");
        }
        const MeasurementReading reading = read();
        ASSERT_EQ(reading.end, MeasurementEnd::Read);
        EXPECT_EQ(FormatMeasurement(reading.table, 1), "7.77");
        EXPECT_EQ(FormatMeasurement(reading.table, model == 705 ? 24 : 43),
                  model == 705 ? "-90.0" : "49.50");
        TearDown();
    }
}

TEST_F(MeasurementOperationTest, ALostReplyIsRepeatedWithItsText)
{
    start({"--model", "715"}, 715);
    set("measure-float 2 1.5");
    ASSERT_EQ(read().end, MeasurementEnd::Read);  // the link is up
    set("drop 1");
    rig.rep.statuses.clear();
    const MeasurementReading reading = read();
    ASSERT_EQ(reading.end, MeasurementEnd::Read);
    EXPECT_EQ(FormatMeasurement(reading.table, 2), "1.50");
    EXPECT_TRUE(
        rig.rep.statuses.contains(QString::fromUtf8("  Чтение текущих значений:   повтор 1")))
        << rig.rep.statuses.join('|').toStdString();
}

TEST_F(MeasurementOperationTest, RepeatsUsedUpEndWithTheFailureText)
{
    start({"--model", "715"}, 715);
    ASSERT_EQ(read().end, MeasurementEnd::Read);
    rig.settings().repeatCount = 1;
    set("drop 50");
    EXPECT_EQ(read().end, MeasurementEnd::Failed);
    EXPECT_TRUE(rig.rep.statuses.contains(U(tx::kStatusReadFailed)));
    EXPECT_FALSE(op->busy());
}

TEST_F(MeasurementOperationTest, PollingRaisesThePeriodAndStopsAfterTheReadingInFlight)
{
    start({"--model", "705", "--baud", "1200"}, 705);
    rig.settings().baudIndex = 0;
    readings.clear();
    ended = false;
    ASSERT_TRUE(op->start(
        [this](const MeasurementReading& r, bool last) {
            readings.push_back(r);
            ended = last;
        },
        100));
    EXPECT_EQ(op->periodMs(), 850);  // the minimum at 1200 bit/s
    ASSERT_TRUE(WaitUntil([this] { return readings.size() >= 2; }, 20000));
    EXPECT_FALSE(ended);
    EXPECT_TRUE(rig.rep.statuses.contains(U(tx::kStatusReadingAgain)));
    // Unticking "Вкл." while a reading may be in flight: it completes, nothing follows.
    op->stopPolling();
    ASSERT_TRUE(WaitUntil([this] { return ended; }, 10000));
    EXPECT_EQ(readings.back().end, MeasurementEnd::Read);
    const std::size_t count = readings.size();
    WaitUntil({}, 2000);
    EXPECT_EQ(readings.size(), count);
    EXPECT_FALSE(op->busy());
    EXPECT_FALSE(rig.linkState().exchangeInProgress());
}

TEST_F(MeasurementOperationTest, AStopRequestEndsThePollingWithItsText)
{
    start({"--model", "715", "--baud", "1200"}, 715);
    rig.settings().baudIndex = 0;
    ASSERT_EQ(read().end, MeasurementEnd::Read);  // the link is up: the next start reads at once
    readings.clear();
    ended = false;
    ASSERT_TRUE(op->start(
        [this](const MeasurementReading& r, bool last) {
            readings.push_back(r);
            ended = last;
        },
        850));
    // Mid-reading: an M float read at 1200 bit/s takes longer than a second.
    WaitUntil({}, 300);
    ASSERT_TRUE(op->busy());
    op->abort();
    ASSERT_TRUE(WaitUntil([this] { return ended; }, 5000));
    EXPECT_EQ(readings.back().end, MeasurementEnd::Aborted);
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kStatusAborted));
    EXPECT_FALSE(rig.linkState().exchangeInProgress());
    // The line is free again for the next reading.
    EXPECT_EQ(read().end, MeasurementEnd::Read);
}

TEST_F(MeasurementOperationTest, ModbusTcpReadsOnceAndNeverPolls)
{
    start({"--model", "715", "--tcp", "0"}, 715);
    useTcp();
    set("measure-float 3 2.75");
    const MeasurementReading reading = read(500);
    ASSERT_EQ(reading.end, MeasurementEnd::Read);
    EXPECT_EQ(readings.size(), 1u);
    EXPECT_EQ(FormatMeasurement(reading.table, 3), "2.75");
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kTcpStatusRead));
}

TEST_F(MeasurementOperationTest, ModbusTcpWithoutARelayEndsWithItsFailureText)
{
    start({"--model", "715", "--tcp", "0"}, 715);
    useTcp();
    sim->stop();
    EXPECT_EQ(read().end, MeasurementEnd::Failed);
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kTcpStatusReadFailed));
    EXPECT_FALSE(op->busy());
}

}  // namespace
}  // namespace tirv
