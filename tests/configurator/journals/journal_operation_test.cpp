// The journal and oscillogram reads against tirv-sim: both journals on an M and a non-M relay,
// crafted records refused or accepted, progress in order, repeats, the repeat limit, a stop,
// and the oscillogram read-out with its file, its viewer and its questions.
#include "support/wait.h"
#include "journal_operation_rig.h"

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/link/frames.h"
#include "configurator/link/modbus_tcp_transfer.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <array>

namespace tirv {
namespace {

namespace tx = journal_texts;
using test::JournalRig;
using test::U;
using Read = JournalRig::Read;

QString Numbered(const char* format, int a, int b)
{
    return QString::fromStdString(FormatJournalText(format, a, b));
}

// The oscillograph memory read with a plain block transfer of its own (not the operation's).
std::vector<std::uint8_t> ReadSimImage(JournalRig& rig)
{
    std::vector<std::uint8_t> bytes(kOscImageBytes, 0);
    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::ReadArchive);
    plan.total = regs::kOscillogram.count;
    plan.perBlock = kMaxReadCount;
    plan.build = [](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buf{};
        const auto c = static_cast<std::uint16_t>(count);
        const auto n = BuildReadArchive(buf, 1, static_cast<std::uint16_t>(offset), c);
        TransferBlock b;
        b.frame = QByteArray(reinterpret_cast<const char*>(buf.data()), qsizetype(n));
        b.waitMs = ReadWaitMs(n, c, 7);
        b.reply = ModbusReply(0x41, static_cast<int>(ReadReplyLength(c)));
        return b;
    };
    plan.accept = [&bytes](std::span<const std::uint8_t> reply, int offset, int count) {
        const LinkResult r =
            CheckReadReply(reply, 1, Function::ReadArchive, static_cast<std::uint16_t>(count));
        if (r == LinkResult::Good)
            for (int k = 0; k < count; ++k) {
                const std::uint16_t v = ReadReplyRegister(reply, std::size_t(k));
                bytes[2 * std::size_t(offset + k)] = std::uint8_t(v);
                bytes[2 * std::size_t(offset + k) + 1] = std::uint8_t(v >> 8);
            }
        return r;
    };
    bool ended = false;
    rig.link.transfer().start(std::move(plan), [&ended](const TransferOutcome&) { ended = true; });
    EXPECT_TRUE(test::WaitUntil([&ended] { return ended; }, 60000, 5));
    return bytes;
}

std::vector<std::uint8_t> FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

TEST(JournalReads, BothJournalsOfAnMAndANonMRelay)
{
    struct Case {
        int model;
        Read what;
        std::vector<std::pair<int, int>> bars;  // the bar after each request, then removed
    };
    const std::vector<Case> cases{
        {715, Read::Working, {{0, 10}, {3, 10}, {5, 10}, {7, 10}, {9, 10}, {10, 10}, {0, 0}}},
        {715, Read::Emergency, {{0, 10}, {4, 10}, {8, 10}, {10, 10}, {0, 0}}},
        {705, Read::Emergency, {{0, 10}, {4, 10}, {8, 10}, {10, 10}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        JournalRig rig(c.model);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        const auto o = rig.run(c.what);
        ASSERT_TRUE(o);
        EXPECT_EQ(o->end, JournalEnd::Done);
        // The link check's own bar is not this read's: compare the tail.
        ASSERT_GE(rig.reporter.bars.size(), c.bars.size());
        const std::vector<std::pair<int, int>> tail(rig.reporter.bars.end() - long(c.bars.size()),
                                                    rig.reporter.bars.end());
        EXPECT_EQ(tail, c.bars);
        if (c.what == Read::Working) {
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kWjDone));
            EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kWjReadingProgress)));
            EXPECT_TRUE(rig.store.working.hasData);
            EXPECT_GT(rig.store.working.count1 + rig.store.working.count2, 0);
        } else {
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kEjDone));
            EXPECT_TRUE(rig.store.emergency.hasData);
            EXPECT_EQ(rig.store.emergency.mClass, c.model >= 715);
            EXPECT_FALSE(rig.store.emergency.events().empty());
        }
    }
}

TEST(JournalReads, CraftedRecordsAreCheckedAndAnInvalidReadKeepsTheJournal)
{
    struct Case {
        const char* what;
        Read read;
        std::string command;
        bool accepted;
    };
    const std::vector<Case> cases{
        {"two event bits", Read::Emergency, "emergency 1 event=3", false},
        {"29 February 2024", Read::Emergency,
         "emergency 1 day=29 month=2 year=2024 hour=1 minute=2 second=3 fraction=4 event=2", true},
        {"29 February 2023", Read::Emergency,
         "emergency 1 day=29 month=2 year=2023 hour=1 minute=2 second=3 fraction=4 event=2", false},
        {"29 February 24", Read::Working,
         "working 21 year=24 month=2 day=29 hour=1 minute=2 second=3 ms=4 code=123", true},
        {"29 February 23", Read::Working,
         "working 21 year=23 month=2 day=29 hour=1 minute=2 second=3 ms=4 code=123", false},
        {"code above 127 with bit 15", Read::Working,
         "working 22 year=25 month=3 day=1 hour=1 minute=2 second=3 ms=4 code=0x8005", true},
    };
    JournalRig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_EQ(rig.run(Read::Working)->end, JournalEnd::Done);
    ASSERT_EQ(rig.run(Read::Emergency)->end, JournalEnd::Done);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WorkingJournal working = rig.store.working;
        const EmergencyJournal emergency = rig.store.emergency;
        ASSERT_TRUE(rig.sim.control(c.command));
        const auto o = rig.run(c.read);
        ASSERT_TRUE(o);
        const bool w = c.read == Read::Working;
        EXPECT_EQ(o->end, c.accepted ? JournalEnd::Done : JournalEnd::Invalid);
        EXPECT_EQ(rig.reporter.lastStatus(), c.accepted ? U(w ? tx::kWjDone : tx::kEjDone)
                                                        : U(w ? tx::kWjInvalid : tx::kEjInvalid));
        if (!c.accepted) {
            EXPECT_EQ(rig.reporter.lastStatusIcon, StatusIcon::Error);
            EXPECT_TRUE(rig.store.working.records == working.records);
            EXPECT_TRUE(rig.store.emergency.records == emergency.records);
            // Put the record right again for the next case.
            ASSERT_TRUE(rig.sim.control(w ? "working 21 clear" : "emergency 1 clear"));
        } else if (w) {
            EXPECT_FALSE(rig.store.working.records == working.records);
        } else {
            const auto& r = rig.store.emergency.records[0];
            EXPECT_EQ(r.at(kEwDay), 29);
            EXPECT_EQ(r.at(kEwYear), 2024);
        }
    }
}

TEST(JournalReads, RepeatsTheLimitAndAStop)
{
    JournalRig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_EQ(rig.run(Read::Working)->end, JournalEnd::Done);
    const WorkingJournal before = rig.store.working;

    // One lost reply: the block is sent again and the read completes.
    ASSERT_TRUE(rig.sim.control("drop 1"));
    rig.reporter.statuses.clear();
    EXPECT_EQ(rig.run(Read::Working)->end, JournalEnd::Done);
    EXPECT_TRUE(rig.reporter.statuses.contains(Numbered(tx::kWjRetry, 1, 1)))
        << rig.reporter.statuses.join('|').toStdString();

    // A relay that has gone quiet: the repeats run out.
    ASSERT_TRUE(rig.sim.control("silent on"));
    auto o = rig.run(Read::Emergency);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::Failed);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kEjFailed));
    EXPECT_EQ(rig.reporter.lastProgressMax, 0);
    ASSERT_TRUE(rig.sim.control("silent off"));

    // Stopped after the second request: the status names it and the journal stays.
    ASSERT_TRUE(
        rig.sim.control("working 30 year=25 month=5 day=5 hour=5 minute=5 second=5 "
                        "ms=5 code=124"));
    rig.reporter.stopAt = std::pair{5, 10};
    rig.reporter.onStop = [&rig] { rig.ops.abort(); };
    o = rig.run(Read::Working);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::Stopped);
    EXPECT_EQ(o->requests, 2);
    EXPECT_EQ(rig.reporter.lastStatus(), U("  Операция чтения АЖ прервана на посылке № 2"));
    EXPECT_EQ(rig.reporter.lastProgressMax, 0);
    EXPECT_TRUE(rig.store.working.records == before.records);
}

TEST(JournalReads, OverModbusTcp)
{
    JournalRig rig(715, {"--tcp", "0"});
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    rig.settings.channel = Channel::Ethernet;
    auto o = rig.run(Read::Emergency);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::Done);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kEjDone));
    o = rig.run(Read::Working);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::Done);
    ASSERT_TRUE(rig.sim.control("emergency 2 event=0x0011"));
    o = rig.run(Read::Emergency);
    EXPECT_EQ(o->end, JournalEnd::Invalid);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kEjTcpInvalid));

    // The oscillogram in one transfer; a relay storing a new one refuses with code 5.
    QTemporaryDir dir;
    const QString file = dir.filePath(U("Осциллограммы.tao"));
    ASSERT_TRUE(rig.sim.control("emergency 2 clear"));
    ASSERT_TRUE(rig.sim.control("archive-busy on"));
    o = rig.run(Read::Oscillogram, {file, {}});
    EXPECT_EQ(o->end, JournalEnd::Busy);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kOscBusy));
    EXPECT_FALSE(QFile::exists(file));
    ASSERT_TRUE(rig.sim.control("archive-busy off"));
    o = rig.run(Read::Oscillogram, {file, {}});
    EXPECT_EQ(o->end, JournalEnd::Done);
    EXPECT_EQ(FileBytes(file).size(), kOscImageBytes);
}

struct Launch {
    QString program, folder;
};

TEST(OscillogramReadout, WritesThePreparedImageAndStartsTheViewer)
{
    JournalRig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    QTemporaryDir dir;
    const QString file = dir.filePath(U("Осциллограммы.tao"));
    const QString viewer = dir.filePath(U("Осциллограф"));
    QFile v(viewer);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.close();
    std::vector<Launch> launches;
    rig.ops.setViewerLauncher([&launches](const QString& p, const QString& f) {
        launches.push_back({p, f});
        return true;
    });
    ASSERT_EQ(rig.run(Read::Emergency)->end, JournalEnd::Done);
    auto o = rig.run(Read::Oscillogram, {file, viewer});
    ASSERT_TRUE(o);
    ASSERT_EQ(o->end, JournalEnd::Done);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kOscSaved));
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kOscRead)));
    EXPECT_EQ(rig.reporter.lastProgressMax, 0);
    EXPECT_FALSE(o->newer);
    EXPECT_TRUE(rig.reporter.messages.empty())
        << rig.reporter.messageTexts().join('|').toStdString();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, QFileInfo(viewer).absoluteFilePath());
    EXPECT_EQ(launches[0].folder, QFileInfo(dir.path()).absoluteFilePath());

    std::vector<std::uint8_t> expected = ReadSimImage(rig);
    PrepareOscillogramForWriting(expected, 715);
    EXPECT_EQ(FileBytes(file), expected);

    // The viewer's own loader takes it, and its COMTRADE export of it succeeds.
    OscillogramImage image;
    CollectingSink sink;
    EXPECT_EQ(image.parse(expected, sink), LoadStatus::Loaded);
    const QString program = QString::fromLocal8Bit(std::getenv("TIRV_BIN_DIR")) + U("/Осциллограф");
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();
    QProcess p;
    p.start(program, {U("--comtrade"), file, dir.filePath(U("event.CFG"))});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

TEST(OscillogramReadout, EndingsWithoutAFileOrWithoutAViewer)
{
    JournalRig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    QTemporaryDir dir;
    const QString file = dir.filePath(U("Осциллограммы.tao"));
    int launched = 0;
    rig.ops.setViewerLauncher([&launched](const QString&, const QString&) {
        ++launched;
        return true;
    });
    ASSERT_EQ(rig.run(Read::Emergency)->end, JournalEnd::Done);

    // No channel recorded: its message and no file.
    ASSERT_TRUE(rig.sim.control("osc-flags 0 0 0 0 0 0"));
    auto o = rig.run(Read::Oscillogram, {file, dir.filePath(U("Осциллограф"))});
    EXPECT_EQ(o->end, JournalEnd::NoneSet);
    ASSERT_EQ(rig.reporter.messages.size(), 1u);
    EXPECT_EQ(rig.reporter.messages[0].text, U(tx::kOscNoneSet));
    EXPECT_EQ(rig.reporter.messages[0].caption, U(tx::kOscNoneSetCaption));
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kOscNoneSetStatus));
    EXPECT_FALSE(QFile::exists(file));
    ASSERT_TRUE(rig.sim.control("osc-flags 1 1 1 1 1 1"));

    // A new trip: the relay stores its oscillogram and refuses at once, without a repeat.
    ASSERT_TRUE(rig.sim.control("trip"));
    rig.reporter.statuses.clear();
    rig.reporter.messages.clear();
    o = rig.run(Read::Oscillogram, {file, dir.filePath(U("Осциллограф"))});
    EXPECT_EQ(o->end, JournalEnd::Busy);
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kOscBusy));
    EXPECT_EQ(rig.reporter.lastStatusIcon, StatusIcon::Error);
    for (const QString& s : rig.reporter.statuses)
        EXPECT_FALSE(s.contains(U("- повтор 1"))) << s.toStdString();
    EXPECT_FALSE(QFile::exists(file));

    // Once stored: the file is written, the missing viewer named after it, and the newer trip
    // offers the journal again.
    test::WaitUntil({}, 3500, 20);
    rig.reporter.messages.clear();
    rig.reporter.answers = {Answer::Ok, Answer::Ok};
    o = rig.run(Read::Oscillogram, {file, dir.filePath(U("Осциллограф"))});
    ASSERT_EQ(o->end, JournalEnd::Done);
    EXPECT_TRUE(o->newer);
    EXPECT_TRUE(o->rereadJournal);
    EXPECT_EQ(launched, 0);
    ASSERT_EQ(rig.reporter.messages.size(), 2u);
    EXPECT_EQ(rig.reporter.messages[0].text, U("Файл 'Осциллограф' в рабочей папке не обнаружен"));
    EXPECT_EQ(rig.reporter.messages[1].text, U(tx::kOscNewerQuestion));
    EXPECT_EQ(FileBytes(file).size(), kOscImageBytes);

    // Read again, the journal names the trip: no question after the next read-out.
    ASSERT_EQ(rig.run(Read::Emergency)->end, JournalEnd::Done);
    rig.reporter.messages.clear();
    o = rig.run(Read::Oscillogram, {file, {}});
    ASSERT_EQ(o->end, JournalEnd::Done);
    EXPECT_FALSE(o->newer);
    EXPECT_TRUE(rig.reporter.messages.empty());
}

TEST(OscillogramReadout, AnUnwritableFileShowsItsErrorCode)
{
    JournalRig rig(705);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    const auto o = rig.run(Read::Oscillogram, {U("/nonexistent-folder/Осциллограммы.tao"), {}});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::NotSaved);
    EXPECT_NE(o->systemError, 0);
    ASSERT_FALSE(rig.reporter.messages.empty());
    EXPECT_TRUE(rig.reporter.messages.back().text.startsWith(
        U("Невозможно сохранить в файле данные аварийных осциллограмм. Код ошибки ")));
}

}  // namespace
}  // namespace tirv

namespace tirv {
namespace {

// The ТИРВ protocol ("Новая": its frames name the start) reads the same registers value by value,
// at most values-per-frame a request.
TEST(JournalReads, OverTheTirvProtocol)
{
    JournalRig rig(715, {"--protocol", "tirv", "--variant", "1", "--values-per-frame", "34"});
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    rig.settings.protocol = Protocol::Tirv;
    rig.settings.protocolVariant = 1;
    rig.settings.valuesPerFrame = 34;
    ASSERT_TRUE(
        rig.sim.control("working 21 year=26 month=1 day=2 hour=3 minute=4 second=5 "
                        "ms=6 code=125"));
    auto o = rig.run(JournalRig::Read::Working);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::Done);
    EXPECT_EQ(o->requests, 18);  // 600 values, 34 a frame
    EXPECT_EQ(rig.store.working.records[20].code(), 125);
    EXPECT_EQ(rig.store.working.records[20].milliseconds(), 6);
    o = rig.run(JournalRig::Read::Emergency);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->end, JournalEnd::Done);
    EXPECT_EQ(o->requests, 10);  // 340 values
    EXPECT_FALSE(rig.store.emergency.events().empty());
}

}  // namespace
}  // namespace tirv
