// COMTRADE export: file contents byte for byte, the name rules, writing and its failures, and a
// read-back through an independent reader.
#include "viewer/comtrade_export.h"

#include "common/cp1251.h"
#include "viewer/comtrade_reader.h"
#include "viewer/oscillogram_builder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tirv {
namespace {

using test::OscillogramBuilder;
namespace fs = std::filesystem;

std::unique_ptr<OscillogramImage> Loaded(const std::vector<std::uint8_t>& bytes)
{
    auto image = std::make_unique<OscillogramImage>();
    CollectingSink sink;
    EXPECT_EQ(image->parse(bytes, sink), LoadStatus::Loaded);
    for (const auto& m : sink.messages)
        ADD_FAILURE() << "unexpected load message: " << m.text;
    return image;
}

std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0, p;
    while ((p = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, p - start));
        start = p + 2;
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path TempDir(const std::string& name)
{
    const auto dir = fs::temp_directory_path() / ("tirv_comtrade_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// --- configuration file ----------------------------------------------------------------------

TEST(ComtradeConfiguration, WholeFileIsExactAndInWindows1251)
{
    auto image = Loaded(OscillogramBuilder::Current()
                            .channels({OscChannel::Ia, OscChannel::I0})
                            .coefficient(OscChannel::Ia, 2.0f)
                            .coefficient(OscChannel::I0, 0.5f)
                            .deviceType(716)
                            .event({5, 3, 14, 8, 7, 6, 5})
                            .digital({{0, 0, 0}})
                            .build());
    const std::string cfg = ComtradeConfiguration(*image);
    const std::string expected =
        "TIRV,716\r\n"
        "34,2A,32D\r\n"
        "1,Ia,,,A,0.0282840000,0,,-32768,32767\r\n"
        "2,3Io,,,A,0.0007071000,0,,-32768,32767\r\n"
        "1,Вход_ 1,0\r\n2,Вход_ 2,0\r\n3,Вход_ 3,0\r\n4,Вход_ 4,0\r\n"
        "5,Вход_ 5,0\r\n6,Вход_ 6,0\r\n7,Вход_ 7,0\r\n8,Вход_ 8,0\r\n"
        "9,Вход_ 9,0\r\n10,Вход_10,0\r\n11,Вход_11,0\r\n12,Вход_12,0\r\n"
        "13,Вход_13,0\r\n14,Вход_14,0\r\n15,Вход_15,0\r\n16,Вход_16,0\r\n"
        "17,Выход_ 1,0\r\n18,Выход_ 2,0\r\n19,Выход_ 3,0\r\n20,Выход_ 4,0\r\n"
        "21,Выход_ 5,0\r\n22,Выход_ 6,0\r\n23,Выход_ 7,0\r\n24,Выход_ 8,0\r\n"
        "25,Выход_ 9,0\r\n26,Выход_10,0\r\n27,Выход_11,0\r\n28,Выход_12,0\r\n"
        "29,Выход_13,0\r\n30,Выход_14,0\r\n31,Выход_15,0\r\n32,Выход_16,0\r\n"
        "50\r\n"
        "1\r\n"
        "800,4800\r\n"
        "03/05/14,08:07:06.05\r\n"
        "03/05/14,08:07:06.05\r\n"
        "ASCII\r\n";
    EXPECT_EQ(Cp1251ToUtf8(cfg), expected);
    // "Вход_ 1" in Windows-1251, byte for byte.
    EXPECT_NE(cfg.find("1,\xC2\xF5\xEE\xE4_ 1,0\r\n"), std::string::npos);
    EXPECT_NE(cfg.find("32,\xC2\xFB\xF5\xEE\xE4_16,0\r\n"), std::string::npos);
}

TEST(ComtradeConfiguration, ChannelCountsIndicesAndLegacyLines)
{
    auto three = Loaded(OscillogramBuilder::Current()
                            .channels({OscChannel::Ia, OscChannel::Ua, OscChannel::I0})
                            .digital({{0, 0, 0}})
                            .build());
    const auto lines = CrLfLines(Cp1251ToUtf8(ComtradeConfiguration(*three)));
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[1], "35,3A,32D");
    EXPECT_EQ(lines[2].substr(0, 5), "1,Ia,");
    EXPECT_EQ(lines[3].substr(0, 5), "2,Ua,");
    EXPECT_EQ(lines[4].substr(0, 6), "3,3Io,");
    EXPECT_EQ(lines[lines.size() - 4], "800,3200");
    const auto data = CrLfLines(ComtradeData(*three));
    ASSERT_EQ(data.size(), 3200u);
    EXPECT_EQ(data.back().substr(0, 13), "3200,3998750,");

    auto legacy = Loaded(OscillogramBuilder::Legacy()
                             .channels({OscChannel::Ia, OscChannel::Uc})
                             .k(OscChannel::Ia, 5000)
                             .k(OscChannel::Uc, 8000)
                             .deviceType(705)
                             .build());
    const auto l = CrLfLines(Cp1251ToUtf8(ComtradeConfiguration(*legacy)));
    ASSERT_GE(l.size(), 4u);
    EXPECT_EQ(l[0], "TIRV,705");
    EXPECT_EQ(l[2], "1,Ia,,,A,0.0705000000,0,,-8192,8191");
    EXPECT_EQ(l[3], "2,Uc,,,V,0.1128000000,0,,-8192,8191");
}

TEST(ComtradeConfiguration, MultiplierByKindLayoutAndRangeFactor)
{
    struct Case {
        OscLayout layout;
        int device;
        double ia, ua, i0;  // expected multipliers for c = 2 (current) or K = 5000 (legacy)
    };
    const Case cases[] = {
        {OscLayout::Current, 705, 2 * 0.14142, 2 * 0.14142, 2 * 0.0014142},
        {OscLayout::Current, 716, 2 * 0.014142, 2 * 0.14142, 2 * 0.0014142},
        {OscLayout::Legacy, 707, 5000 * 1.41e-05, 5000 * 1.41e-05, 5000 * 1.41e-07},
        {OscLayout::Legacy, 306, 5000 * 1.41e-06, 5000 * 1.41e-05, 5000 * 1.41e-07},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        auto b = c.layout == OscLayout::Current ? OscillogramBuilder::Current() : OscillogramBuilder::Legacy();
        b.channels({OscChannel::Ia, OscChannel::Ua, OscChannel::I0}).deviceType(c.device).digital({{0, 0, 0}});
        for (OscChannel ch : {OscChannel::Ia, OscChannel::Ua, OscChannel::I0})
            b.coefficient(ch, 2.0f).k(ch, 5000);
        auto image = Loaded(b.build());
        EXPECT_DOUBLE_EQ(ComtradeMultiplier(*image, OscChannel::Ia), c.ia);
        EXPECT_DOUBLE_EQ(ComtradeMultiplier(*image, OscChannel::Ua), c.ua);
        EXPECT_DOUBLE_EQ(ComtradeMultiplier(*image, OscChannel::I0), c.i0);
    }
}

TEST(ComtradeConfiguration, StartTimeIsTheEventMinusThePreTrigger)
{
    const struct { OscDateTime event; int pre; const char* line; } cases[] = {
        {{5, 3, 14, 8, 7, 6, 5}, 0, "03/05/14,08:07:06.05"},
        {{5, 3, 14, 8, 7, 6, 15}, 10, "03/05/14,08:07:06.05"},
        {{1, 1, 5, 0, 0, 0, 5}, 10, "12/31/04,23:59:59.95"},
        {{11, 12, 123, 23, 5, 9, 99}, 0, "12/11/123,23:05:09.99"},
    };
    for (const auto& c : cases) {
        auto image = Loaded(OscillogramBuilder::Current()
                                .channels({OscChannel::Ua})
                                .event(c.event)
                                .preTrigger(c.pre)
                                .digital({{0, 0, 0}})
                                .build());
        const auto lines = CrLfLines(ComtradeConfiguration(*image));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3], c.line);
        EXPECT_EQ(lines[lines.size() - 2], c.line);
        EXPECT_EQ(lines.back(), "ASCII");
    }
}

// --- data file -------------------------------------------------------------------------------

TEST(ComtradeData, SampleLinesCarryRawValuesAndTheDigitalStateOfTheirRecord)
{
    // Stored with the oldest sample at 1000; the data file must be chronological.
    auto image = Loaded(OscillogramBuilder::Current()
                            .channels({OscChannel::Ia, OscChannel::Ub})
                            .stopIndex(1000)
                            .coefficient(OscChannel::Ia, 0.01f)
                            .samples(OscChannel::Ia, {100, -200, 300})
                            .samples(OscChannel::Ub, {-1, 2, 32767})
                            .digital({{0, 0x0001, 0x8000}, {2, 0x0003, 0x0000}, {4, 0x8000, 0x0001}}, 1)
                            .build());
    const auto lines = CrLfLines(ComtradeData(*image));
    ASSERT_EQ(lines.size(), 4800u);
    EXPECT_EQ(lines[0], "1,0,100,-1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1");
    EXPECT_EQ(lines[1], "2,1250,-200,2,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1");
    EXPECT_EQ(lines[2], "3,2500,300,32767,1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(lines[3], "4,3750,0,0,1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(lines[4], "5,5000,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(lines[4799], "4800,5998750,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
}

TEST(ComtradeData, BeforeTheFirstRecordItsStateHoldsAndWithoutRecordsAllStatesAreZero)
{
    auto late = Loaded(OscillogramBuilder::Current()
                           .channels({OscChannel::Ia, OscChannel::Ib, OscChannel::Ic,
                                      OscChannel::Ua, OscChannel::Ub, OscChannel::Uc})
                           .digital({{3, 0x0004, 0x4000}})
                           .build());
    const auto lines = CrLfLines(ComtradeData(*late));
    ASSERT_EQ(lines.size(), 1600u);
    const std::string state = "0,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0";
    for (int i : {0, 2, 3, 1599})
        EXPECT_EQ(lines[static_cast<std::size_t>(i)],
                  std::to_string(i + 1) + "," + std::to_string(i * 1250) + ",0,0,0,0,0,0," + state);

    // Slot 0 holds a state, but the record count says no slot is valid.
    auto none = Loaded(OscillogramBuilder::Current()
                           .channels({OscChannel::Ia})
                           .word(static_cast<int>(kOscDigitalOffset / 2) + 1, 0xFFFF)
                           .build());
    const auto zero = CrLfLines(ComtradeData(*none));
    ASSERT_EQ(zero.size(), 9600u);
    EXPECT_EQ(zero[0], "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
}

// --- names -----------------------------------------------------------------------------------

TEST(ComtradeNames, ExtensionRulesAndTheBufferLimit)
{
    const std::string a251(251, 'a');
    const std::string a252(252, 'a');
    std::string ya251;
    for (int i = 0; i < 251; ++i)
        ya251 += "я";
    const struct { std::string chosen; std::string cfg, hdr, dat; bool tooLong; } cases[] = {
        {"rec1.cfg", "rec1.CFG", "rec1.HDR", "rec1.DAT", false},
        {"/data/rec1.CFG", "/data/rec1.CFG", "/data/rec1.HDR", "/data/rec1.DAT", false},
        {"/data/запись.comtrade", "/data/запись.CFG", "/data/запись.HDR", "/data/запись.DAT", false},
        {"a.b.c", "a.b.CFG", "a.b.HDR", "a.b.DAT", false},
        {"rec.", "rec.CFG", "rec.HDR", "rec.DAT", false},
        {"/data/v1.2/rec", "/data/v1.2/rec.CFG", "/data/v1.2/rec.HDR", "/data/v1.2/rec.DAT", false},
        {"rec", "rec.CFG", "rec.HDR", "rec.DAT", false},
        {a251 + ".cfg", a251 + ".CFG", a251 + ".HDR", a251 + ".DAT", false},
        {ya251 + ".x", ya251 + ".CFG", ya251 + ".HDR", ya251 + ".DAT", false},
        {a252 + ".cfg", a252 + ".cfg", a252 + ".HDR", a252 + ".DAT", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.substr(0, 40));
        CollectingSink sink;
        EXPECT_EQ(ComtradeFileNames(c.chosen, sink), (ComtradeNames{c.cfg, c.hdr, c.dat}));
        ASSERT_EQ(sink.messages.size(), c.tooLong ? 1u : 0u);
        if (c.tooLong) {
            EXPECT_EQ(sink.messages[0].id, OscMessageId::ComtradeNameTooLong);
            EXPECT_EQ(sink.messages[0].caption, "Ошибка");
            EXPECT_EQ(sink.messages[0].text, "Количество символов полного имени файла превышает размер буфера");
        }
    }
}

// --- writing ---------------------------------------------------------------------------------

std::unique_ptr<OscillogramImage> SmallRecord()
{
    return Loaded(OscillogramBuilder::Current()
                      .channels({OscChannel::Ia, OscChannel::Ub, OscChannel::I0})
                      .sine(OscChannel::Ia, 1000)
                      .digital({{0, 1, 0}, {1600, 3, 1}})
                      .build());
}

TEST(ComtradeExport, WritesTheThreeFilesUnderOneBaseName)
{
    const auto dir = TempDir("write");
    auto image = SmallRecord();
    CollectingSink sink;
    EXPECT_EQ(ExportComtrade(*image, (dir / "rec1.cfg").string(), sink), ComtradeResult::Written);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(ReadAll(dir / "rec1.CFG"), ComtradeConfiguration(*image));
    EXPECT_TRUE(fs::exists(dir / "rec1.HDR"));
    EXPECT_EQ(fs::file_size(dir / "rec1.HDR"), 0u);
    EXPECT_EQ(ReadAll(dir / "rec1.DAT"), ComtradeData(*image));

    // Existing files are replaced, not appended to.
    EXPECT_EQ(ExportComtrade(*image, (dir / "rec1.cfg").string(), sink), ComtradeResult::Written);
    EXPECT_EQ(ReadAll(dir / "rec1.DAT"), ComtradeData(*image));
}

TEST(ComtradeExport, EachFileFailureHasItsMessageAndConsequence)
{
    auto image = SmallRecord();
    {
        SCOPED_TRACE("configuration file");
        const auto dir = TempDir("fail_cfg");
        CollectingSink sink;
        EXPECT_EQ(ExportComtrade(*image, (dir / "absent" / "r.cfg").string(), sink), ComtradeResult::Failed);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].id, OscMessageId::ComtradeCfgFailed);
        EXPECT_EQ(sink.messages[0].text, "Невозможно сохранить файл .CFG . Код ошибки " + std::to_string(ENOENT));
        EXPECT_EQ(sink.messages[0].caption, "Ошибка");
        EXPECT_EQ(sink.messages[0].icon, MsgIcon::Error);
    }
    {
        SCOPED_TRACE("header file");
        const auto dir = TempDir("fail_hdr");
        fs::create_directory(dir / "r.HDR");  // a folder where the header file should go
        CollectingSink sink;
        EXPECT_EQ(ExportComtrade(*image, (dir / "r.cfg").string(), sink), ComtradeResult::HeaderMissing);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].id, OscMessageId::ComtradeHdrFailed);
        EXPECT_EQ(sink.messages[0].text, "Невозможно сохранить файл .HDR . Код ошибки " + std::to_string(EISDIR));
        EXPECT_EQ(ReadAll(dir / "r.DAT"), ComtradeData(*image));  // the export went on
    }
    {
        SCOPED_TRACE("data file");
        const auto dir = TempDir("fail_dat");
        fs::create_directory(dir / "r.DAT");
        CollectingSink sink;
        EXPECT_EQ(ExportComtrade(*image, (dir / "r.cfg").string(), sink), ComtradeResult::Failed);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].id, OscMessageId::ComtradeDatFailed);
        EXPECT_EQ(sink.messages[0].text, "Невозможно сохранить файл .DAT . Код ошибки " + std::to_string(EISDIR));
        EXPECT_TRUE(fs::is_regular_file(dir / "r.CFG"));
        EXPECT_TRUE(fs::is_regular_file(dir / "r.HDR"));
    }
    {
        SCOPED_TRACE("full device");
        const auto dir = TempDir("fail_full");
        if (fs::exists("/dev/full")) {
            fs::create_symlink("/dev/full", dir / "r.CFG");
            CollectingSink sink;
            // Opening succeeds, writing does not: the failure must still be told.
            EXPECT_EQ(ExportComtrade(*image, (dir / "r.cfg").string(), sink), ComtradeResult::Failed);
            ASSERT_FALSE(sink.messages.empty());
            EXPECT_EQ(sink.messages[0].id, OscMessageId::ComtradeCfgFailed);
            EXPECT_EQ(sink.messages[0].text, "Невозможно сохранить файл .CFG . Код ошибки " + std::to_string(ENOSPC));
        }
    }
    {
        SCOPED_TRACE("nothing loaded");
        OscillogramImage empty;
        CollectingSink sink;
        const auto dir = TempDir("fail_empty");
        EXPECT_EQ(ExportComtrade(empty, (dir / "r.cfg").string(), sink), ComtradeResult::Failed);
        EXPECT_FALSE(fs::exists(dir / "r.CFG"));
    }
}

// --- read back through an independent reader -------------------------------------------------

TEST(ComtradeExport, AnIndependentReaderReconstructsThePhysicalValues)
{
    const auto dir = TempDir("reader");
    auto image = Loaded(OscillogramBuilder::Current()
                            .channels({OscChannel::Ia, OscChannel::Ua, OscChannel::I0})
                            .stopIndex(2345)
                            .coefficient(OscChannel::Ia, 0.0123f)
                            .coefficient(OscChannel::Ua, 0.731f)
                            .coefficient(OscChannel::I0, 0.0049f)
                            .sine(OscChannel::Ia, 30000)
                            .sine(OscChannel::Ua, 20000, 90)
                            .sine(OscChannel::I0, 1234, 45)
                            .digital({{0, 0x0101, 0}, {800, 0x0003, 0x8001}, {2000, 0, 0x0002}}, 1)
                            .deviceType(716)
                            .event({2, 1, 26, 0, 0, 1, 0})
                            .preTrigger(150)
                            .build());
    CollectingSink sink;
    ASSERT_EQ(ExportComtrade(*image, (dir / "r.cfg").string(), sink), ComtradeResult::Written);
    const auto rec = test::ReadComtrade(ReadAll(dir / "r.CFG"), ReadAll(dir / "r.DAT"));
    ASSERT_EQ(rec.error, "");

    EXPECT_EQ(rec.station, "TIRV");
    EXPECT_EQ(rec.device, "716");
    ASSERT_EQ(rec.analogs.size(), 3u);
    EXPECT_EQ(rec.statuses.size(), 32u);
    EXPECT_EQ(rec.lineFrequency, 50.0);
    ASSERT_EQ(rec.rates.size(), 1u);
    EXPECT_EQ(rec.rates[0].first, 800.0);
    EXPECT_EQ(rec.firstDate, "01/01/26");
    EXPECT_EQ(rec.firstTime, "23:59:59.50");  // 1.5 s before an event at 00:00:01 on 2 January
    EXPECT_EQ(rec.triggerTime, rec.firstTime);
    ASSERT_EQ(rec.samples.size(), 3200u);

    // Physical value = a·x + b must equal the recorded value in the export's units: amperes or
    // volts times √2/10, currents of the low range a further tenth, 3Io a hundredth.
    const double unitFactor[3] = {0.014142, 0.14142, 0.0014142};
    for (std::size_t k = 0; k < 3; ++k) {
        const ChannelTrace& t = image->traces()[k];
        EXPECT_EQ(rec.analogs[k].id, OscChannelName(t.channel));
        EXPECT_EQ(rec.analogs[k].unit, IsCurrentChannel(t.channel) ? "A" : "V");
        for (std::size_t s = 0; s < rec.samples.size(); ++s) {
            const double expected = static_cast<double>(t.values[s]) * unitFactor[k];
            const double tolerance = 0.5e-10 * std::abs(rec.samples[s].analog[k]) + 1e-6 * std::abs(expected);
            ASSERT_NEAR(rec.physical(k, s), expected, tolerance) << "channel " << k << " sample " << s;
        }
    }
    // Time stamps follow the sampling rate; status channels follow the digital records.
    for (std::size_t s = 0; s < rec.samples.size(); ++s) {
        ASSERT_EQ(rec.samples[s].timestamp, static_cast<long long>(std::llround(s * 1e6 / rec.rates[0].first)));
        const DigitalRecord& r = s >= 2000 ? image->digitalRecords()[2]
                                 : s >= 800 ? image->digitalRecords()[1]
                                            : image->digitalRecords()[0];
        for (int b = 0; b < 16; ++b) {
            ASSERT_EQ(rec.samples[s].status[static_cast<std::size_t>(b)], (r.inputs >> b) & 1) << s;
            ASSERT_EQ(rec.samples[s].status[static_cast<std::size_t>(16 + b)], (r.outputs >> b) & 1) << s;
        }
    }
}

}  // namespace
}  // namespace tirv
