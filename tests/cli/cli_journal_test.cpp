// tirv-cli journal work|emergency and oscillogram against tirv-sim: the files written are the
// journals the relay holds (opened again with the pages' own parsers), an invalid record is
// exit 5, a relay storing a new oscillogram refuses (exit 4), no channel recorded is exit 5.
#include "cli_run.h"

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/journals/journal_working_file.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

namespace tirv::test {
namespace {

namespace tx = journal_texts;

TEST(CliJournal, BothJournalsAreSavedAndPrinted)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    QTemporaryDir dir;
    ASSERT_TRUE(
        sim.control("working 21 year=26 month=1 day=2 hour=3 minute=4 second=5 ms=6 "
                    "code=122"));
    const std::string twj = dir.filePath("w.twj").toStdString();
    const CliResult work = RunCli(On(sim, {"journal", "work", twj, "--json"}));
    ASSERT_EQ(work.exitCode, 0) << work.err.toStdString();
    ASSERT_TRUE(work.jsonValid());
    WorkingJournal w;
    ASSERT_EQ(LoadWorkingJournalFile(twj, w).result, JournalFileResult::Ok);
    const QJsonArray events = work.json().value("events").toArray();
    ASSERT_EQ(events.size(), w.count2);
    bool found = false;
    for (const auto& e : events)
        found = found || (e.toObject().value("time").toString() == "03:04:05.006" &&
                          e.toObject().value("event").toString() ==
                              QString::fromUtf8("Сброс по выводу RESET "));
    EXPECT_TRUE(found);

    const std::string taj = dir.filePath("e.taj").toStdString();
    const CliResult em = RunCli(On(sim, {"journal", "emergency", taj}));
    ASSERT_EQ(em.exitCode, 0) << em.err.toStdString();
    EmergencyJournal e;
    ASSERT_EQ(LoadEmergencyJournalFile(taj, e).result, JournalFileResult::Ok);
    EXPECT_TRUE(e.mClass);
    EXPECT_EQ(em.out.count('\n'), int(e.events().size()));
    EXPECT_TRUE(em.out.contains(QString::fromStdString(
        EmergencyRows(e.records[std::size_t(e.events().front())], true).first[2])));

    ASSERT_TRUE(sim.control("emergency 1 event=3"));
    const CliResult invalid = RunCli(On(sim, {"journal", "emergency", taj}));
    EXPECT_EQ(invalid.exitCode, 5);
    EXPECT_TRUE(invalid.err.contains(QString::fromUtf8(tx::kEjInvalid)))
        << invalid.err.toStdString();
}

TEST(CliJournal, OscillogramFileAndItsRefusals)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    QTemporaryDir dir;
    const QString tao = dir.filePath("o.tao");
    const CliResult ok = RunCli(On(sim, {"oscillogram", tao.toStdString()}), 60000);
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    QFile f(tao);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), qsizetype(kOscImageBytes));
    OscillogramImage image;
    CollectingSink sink;
    EXPECT_EQ(
        image.parse({reinterpret_cast<const std::uint8_t*>(bytes.data()), kOscImageBytes}, sink),
        LoadStatus::Loaded);
    EXPECT_EQ(image.deviceType(), 705);

    const QString other = dir.filePath("busy.tao");
    ASSERT_TRUE(sim.control("archive-busy on"));
    const CliResult busy = RunCli(On(sim, {"oscillogram", other.toStdString(), "--json"}));
    EXPECT_EQ(busy.exitCode, 4);
    EXPECT_TRUE(busy.err.contains(QString::fromUtf8(tx::kOscBusy))) << busy.err.toStdString();
    EXPECT_FALSE(QFile::exists(other));
    ASSERT_TRUE(sim.control("archive-busy off"));
    ASSERT_TRUE(sim.control("osc-flags 0 0 0 0 0 0"));
    const CliResult none = RunCli(On(sim, {"oscillogram", other.toStdString()}));
    EXPECT_EQ(none.exitCode, 5);
    EXPECT_TRUE(none.err.contains(QString::fromUtf8(tx::kOscNoneSet))) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(other));
}

}  // namespace
}  // namespace tirv::test
