// Loading, validating and normalising the emergency oscillogram image.
#include "common/oscillogram_image.h"

#include "viewer/oscillogram_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tirv {
namespace {

using test::OscillogramBuilder;
using Id = OscMessageId;

constexpr int kDigitalWord = static_cast<int>(kOscDigitalOffset / 2);

struct Load {
    explicit Load(std::span<const std::uint8_t> bytes) : status(image.parse(bytes, sink)) {}
    std::vector<Id> ids() const
    {
        std::vector<Id> v;
        for (const auto& m : sink.messages)
            v.push_back(m.id);
        return v;
    }
    OscillogramImage image;
    CollectingSink sink;
    LoadStatus status;
};

std::uint16_t Word(std::span<const std::uint8_t> b, int w)
{
    return static_cast<std::uint16_t>(b[2 * static_cast<std::size_t>(w)] |
                                      b[2 * static_cast<std::size_t>(w) + 1] << 8);
}

std::filesystem::path TempDir(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / ("tirv_osc_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

OscillogramBuilder ThreeChannels()
{
    return OscillogramBuilder::Current().channels({OscChannel::Ia, OscChannel::Ua, OscChannel::I0});
}

// --- size and reading ------------------------------------------------------------------------

TEST(OscillogramFile, OnlyTheFirst22300BytesAreReadAndShorterInputIsRefused)
{
    auto bytes = ThreeChannels().build();
    Load exact(bytes);
    EXPECT_EQ(exact.status, LoadStatus::Loaded);
    EXPECT_TRUE(exact.sink.messages.empty());

    auto longer = bytes;
    longer.resize(kOscImageBytes + 5000, 0xEE);
    Load l(longer);
    EXPECT_EQ(l.status, LoadStatus::Loaded);
    EXPECT_TRUE(std::equal(exact.image.bytes().begin(), exact.image.bytes().end(), l.image.bytes().begin()));

    Load shorter(std::span<const std::uint8_t>(bytes).first(kOscImageBytes - 1));
    EXPECT_EQ(shorter.status, LoadStatus::ShortFile);
    ASSERT_EQ(shorter.ids(), std::vector<Id>{Id::ShortFile});
    EXPECT_EQ(shorter.sink.messages[0].caption, "Ошибка чтения");
    EXPECT_EQ(shorter.sink.messages[0].text,
              "Файл записей осциллограмм испорчен либо формат записей не соответствует версии программы");
    EXPECT_FALSE(shorter.image.loaded());
    EXPECT_TRUE(shorter.image.traces().empty());
}

TEST(OscillogramFile, LoadFromDiskReadsAPrefixOfALongerFileAndReportsOpenFailures)
{
    const auto dir = TempDir("load");
    auto bytes = ThreeChannels().stopIndex(7).build();
    auto longer = bytes;
    longer.resize(kOscImageBytes + 100, 0x55);
    {
        std::ofstream(dir / "long.tao", std::ios::binary)
            .write(reinterpret_cast<const char*>(longer.data()), static_cast<std::streamsize>(longer.size()));
        std::ofstream(dir / "short.tao", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), kOscImageBytes - 1);
    }
    OscillogramImage fromDisk;
    CollectingSink sink;
    EXPECT_EQ(fromDisk.load((dir / "long.tao").string(), sink).status, LoadStatus::Loaded);
    Load inMemory(bytes);
    EXPECT_EQ(fromDisk.bytes(), inMemory.image.bytes());

    EXPECT_EQ(fromDisk.load((dir / "short.tao").string(), sink).status, LoadStatus::ShortFile);
    EXPECT_FALSE(fromDisk.loaded());

    sink.messages.clear();
    const LoadResult missing = fromDisk.load((dir / "absent.tao").string(), sink);
    EXPECT_EQ(missing.status, LoadStatus::CannotOpen);
    EXPECT_EQ(missing.systemError, ENOENT);
    EXPECT_TRUE(sink.messages.empty());  // the loading command words the open failure
}

// --- header layouts --------------------------------------------------------------------------

TEST(OscillogramFile, BothHeaderLayoutsAreRead)
{
    const OscDateTime event{17, 11, 25, 13, 45, 30, 12};
    Load current(OscillogramBuilder::Current()
                     .channels({OscChannel::Ib, OscChannel::Uc})
                     .coefficient(OscChannel::Ib, 0.25f)
                     .coefficient(OscChannel::Uc, 3.5f)
                     .event(event)
                     .preTrigger(40)
                     .tripCause(0x0420)
                     .deviceType(716)
                     .build());
    ASSERT_EQ(current.status, LoadStatus::Loaded);
    EXPECT_EQ(current.image.layout(), OscLayout::Current);
    EXPECT_EQ(current.image.eventTime(), event);
    EXPECT_EQ(current.image.tripCause(), 0x0420);
    EXPECT_EQ(current.image.tripCauseName(), "ЗПН    ");
    EXPECT_EQ(current.image.deviceType(), 716);
    EXPECT_EQ(current.image.rangeFactor(), 2);
    EXPECT_EQ(current.image.preTrigger(), 40);
    EXPECT_FLOAT_EQ(current.image.coefficient(OscChannel::Ib), 0.25f);
    EXPECT_FLOAT_EQ(current.image.coefficient(OscChannel::Uc), 3.5f);
    EXPECT_EQ(current.image.channelCount(), 2);
    EXPECT_EQ(current.image.samplesPerChannel(), 4800);
    EXPECT_NE(current.image.trace(OscChannel::Uc), nullptr);
    EXPECT_EQ(current.image.trace(OscChannel::Ia), nullptr);

    Load legacy(OscillogramBuilder::Legacy()
                    .channels({OscChannel::Ia})
                    .k(OscChannel::Ia, 2500)
                    .event(event)
                    .tripCause(0x2000)
                    .deviceType(705)
                    .build());
    ASSERT_EQ(legacy.status, LoadStatus::Loaded);
    EXPECT_EQ(legacy.image.layout(), OscLayout::Legacy);
    EXPECT_EQ(legacy.image.eventTime(), event);
    EXPECT_EQ(legacy.image.tripCause(), 0x2000);
    EXPECT_EQ(legacy.image.tripCauseName(), "");  // bit 13 names nothing
    EXPECT_EQ(legacy.image.deviceType(), 705);
    EXPECT_EQ(legacy.image.rangeFactor(), 1);
    EXPECT_EQ(legacy.image.legacyK(OscChannel::Ia), 2500);
    EXPECT_FLOAT_EQ(legacy.image.coefficient(OscChannel::Ia), 0.25f);
    EXPECT_EQ(legacy.image.samplesPerChannel(), 9600);
}

TEST(OscillogramFile, TripCauseNamesAndRangeFactors)
{
    const struct { int mask; const char* name; } causes[] = {
        {0x0001, "МТЗ-1    "}, {0x0006, "МТЗ-2    "}, {0x0080, "АВР выход   "},
        {0x0400, "УРОВ вход    "}, {0x4000, "АПВ   "}, {0x6000, ""},  // bit 13 is the lowest
        {0x2000, ""}, {0x8000, ""}, {0, ""}, {-32768, ""},
    };
    for (const auto& c : causes)
        EXPECT_EQ(TripCauseName(c.mask), c.name) << c.mask;

    const struct { int device; int factor; } ranges[] = {
        {705, 1}, {706, 1}, {707, 1}, {306, 2}, {715, 2}, {716, 2}, {717, 2}, {0, 2},
    };
    for (const auto& r : ranges)
        EXPECT_EQ(RangeFactor(r.device), r.factor) << r.device;
}

// --- validation ------------------------------------------------------------------------------

struct CheckCase {
    const char* name;
    std::function<OscillogramBuilder()> build;
    LoadStatus status;
    std::vector<Id> ids;
    const char* firstText;  // nullptr: not checked
};

TEST(OscillogramFile, EveryLoadCheckGivesItsMessageAndBlockingRule)
{
    using C = OscChannel;
    auto legacyIaUb = [] { return OscillogramBuilder::Legacy().channels({C::Ia, C::Ib, C::Ub, C::I0}); };
    const CheckCase cases[] = {
        {"no channels", [] { return OscillogramBuilder::Current(); }, LoadStatus::NoChannels,
         {Id::NoChannels}, "Уставок записи аналоговых сигналов не обнаружено"},
        {"seven channels",
         [] { return OscillogramBuilder::Current().channels({C::Ia, C::Ib, C::Ic, C::Ua, C::Ub, C::Uc, C::I0}); },
         LoadStatus::Refused, {Id::TooManyChannels},
         "Число записанных аналоговых сигналов 7, это превышает установленный максимум в 6 сигналов"},
        {"negative stop index", [] { return ThreeChannels().stopIndex(-1); }, LoadStatus::Refused,
         {Id::BadStopIndex}, "Недопустимое значение стоп-индекса -1 для 3 записанных графиков"},
        {"stop index above N", [] { return ThreeChannels().stopIndex(3201); }, LoadStatus::Refused,
         {Id::BadStopIndex}, "Недопустимое значение стоп-индекса 3201 для 3 записанных графиков"},
        {"stop index N", [] { return ThreeChannels().stopIndex(3200).digital({{0, 1, 0}}); }, LoadStatus::Loaded, {}, nullptr},
        {"flag of 2", [] { return ThreeChannels().flag(C::Ib, 2); }, LoadStatus::Refused,
         {Id::BadChannelFlag}, "Недопустимая запись в прочитанных уставках осциллографа"},
        {"3Io flag is not checked", [] { return ThreeChannels().flag(C::I0, 2); }, LoadStatus::Loaded, {}, nullptr},
        {"legacy K 12000 for Ia", [=] { return legacyIaUb().k(C::Ia, 12000); }, LoadStatus::Loaded,
         {Id::CoefficientOutOfRange},
         "Выходящий из установленного диапазона калибровочный коэффициент тока Ia: 12000"},
        {"legacy K -5 for Ia", [=] { return legacyIaUb().k(C::Ia, -5); }, LoadStatus::Refused,
         {Id::NegativeCoefficient}, "Отрицательный калибровочный коэффициент: -5"},
        {"legacy K 999 for Ub", [=] { return legacyIaUb().k(C::Ub, 999); }, LoadStatus::Loaded,
         {Id::CoefficientOutOfRange},
         "Выходящий из установленного диапазона калибровочный коэффициент напряжения Ub: 999"},
        {"only the first bad K is reported", [=] { return legacyIaUb().k(C::Ib, 10001).k(C::Ub, -5); },
         LoadStatus::Loaded, {Id::CoefficientOutOfRange},
         "Выходящий из установленного диапазона калибровочный коэффициент тока Ib: 10001"},
        {"K of an unrecorded channel or 3Io is not checked",
         [=] { return legacyIaUb().k(C::Ic, -5).k(C::I0, 20000); }, LoadStatus::Loaded, {}, nullptr},
        {"K limits are inclusive", [=] { return legacyIaUb().k(C::Ia, 1000).k(C::Ib, 10000); },
         LoadStatus::Loaded, {}, nullptr},
        {"current layout has no K check",
         [] { return OscillogramBuilder::Current().channels({C::Ia}).coefficient(C::Ia, -3.0f); },
         LoadStatus::Loaded, {}, nullptr},
        {"date reported once", [] { return ThreeChannels().event({31, 13, 14, 24, 60, 60, 5}); },
         LoadStatus::Refused, {Id::BadDateTime}, "Недопустимое значение даты\\времени"},
        {"digital position beyond N",
         [] { return ThreeChannels().digital({{0, 1, 0}}).word(kDigitalWord + 3, 3201).recordCount(2); },
         LoadStatus::Loaded, {Id::BadDigitalPosition},
         "Недопустимое значение индекса элемента кольцевого буфера цифровых сигналов"},
        {"digital position N is allowed",
         [] { return ThreeChannels().digital({{0, 1, 0}}).word(kDigitalWord + 3, 3200).recordCount(2); },
         LoadStatus::Loaded, {}, nullptr},
        {"all failing checks speak before refusing",
         [] { return ThreeChannels().flag(C::Ic, -1).event({0, 1, 14, 0, 0, 0, 0}); }, LoadStatus::Refused,
         {Id::BadChannelFlag, Id::BadDateTime}, nullptr},
        {"too many channels and bad date",
         [] {
             return OscillogramBuilder::Current()
                 .channels({C::Ia, C::Ib, C::Ic, C::Ua, C::Ub, C::Uc, C::I0})
                 .stopIndex(-7)
                 .event({1, 0, 14, 0, 0, 0, 0});
         },
         LoadStatus::Refused, {Id::TooManyChannels, Id::BadDateTime}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load l(c.build().build());
        EXPECT_EQ(l.status, c.status);
        EXPECT_EQ(l.ids(), c.ids);
        EXPECT_EQ(l.image.loaded(), c.status == LoadStatus::Loaded);
        if (c.status != LoadStatus::Loaded) {
            EXPECT_TRUE(l.image.traces().empty());
        }
        bool anyBlocking = false;
        for (const auto& m : l.sink.messages)
            anyBlocking = anyBlocking || m.blocking;
        EXPECT_EQ(anyBlocking, c.status == LoadStatus::Refused);
        if (c.firstText && !l.sink.messages.empty()) {
            EXPECT_EQ(l.sink.messages[0].text, c.firstText);
        }
    }
}

TEST(OscillogramFile, MessageCaptionsAndIcons)
{
    Load none(OscillogramBuilder::Current().build());
    ASSERT_EQ(none.sink.messages.size(), 1u);
    EXPECT_EQ(none.sink.messages[0].caption, "Информация");
    EXPECT_EQ(none.sink.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(none.image.samplesPerChannel(), 9600);

    Load bad(ThreeChannels().flag(OscChannel::Ua, 5).build());
    ASSERT_EQ(bad.sink.messages.size(), 1u);
    EXPECT_EQ(bad.sink.messages[0].caption, "Ошибка");
}

TEST(OscillogramFile, DateCheckFollowsTheMonthLengthRule)
{
    const struct { OscDateTime t; bool valid; } cases[] = {
        {{29, 2, 24, 0, 0, 0, 0}, true},   {{29, 2, 23, 0, 0, 0, 0}, false},
        {{29, 2, 0, 0, 0, 0, 0}, true},    {{28, 2, 23, 23, 59, 59, 99}, true},
        {{30, 4, 14, 0, 0, 0, 0}, true},   {{31, 4, 14, 0, 0, 0, 0}, false},
        {{31, 6, 14, 0, 0, 0, 0}, false},  {{31, 9, 14, 0, 0, 0, 0}, false},
        {{31, 11, 14, 0, 0, 0, 0}, false}, {{31, 12, 14, 0, 0, 0, 0}, true},
        {{0, 1, 14, 0, 0, 0, 0}, false},   {{1, 0, 14, 0, 0, 0, 0}, false},
        {{1, 13, 14, 0, 0, 0, 0}, false},  {{1, 1, -1, 0, 0, 0, 0}, false},
        {{1, 1, 14, 24, 0, 0, 0}, false},  {{1, 1, 14, 0, 60, 0, 0}, false},
        {{1, 1, 14, 0, 0, 60, 0}, false},  {{1, 1, 14, 0, 0, 0, -1}, false},
        {{1, 1, 14, -1, 0, 0, 0}, false},  {{1, 1, 14, 0, 0, 0, 250}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.t.day << "." << c.t.month << "." << c.t.year << " "
                                        << c.t.hour << ":" << c.t.minute << ":" << c.t.second << "."
                                        << c.t.hundredths);
        EXPECT_EQ(IsValidOscDateTime(c.t), c.valid);
        Load l(ThreeChannels().event(c.t).build());
        EXPECT_EQ(l.status, c.valid ? LoadStatus::Loaded : LoadStatus::Refused);
    }
}

TEST(OscillogramFile, StartTimeStepsBackAcrossMidnight)
{
    const struct { OscDateTime event; int pre; OscDateTime start; } cases[] = {
        {{5, 3, 14, 0, 0, 0, 5}, 10, {4, 3, 14, 23, 59, 59, 95}},
        {{1, 1, 14, 0, 0, 0, 5}, 10, {31, 12, 13, 23, 59, 59, 95}},
        {{1, 3, 24, 0, 0, 1, 0}, 200, {29, 2, 24, 23, 59, 59, 0}},
        {{1, 3, 23, 0, 0, 1, 0}, 200, {28, 2, 23, 23, 59, 59, 0}},
        {{1, 5, 14, 0, 0, 0, 0}, 1, {30, 4, 14, 23, 59, 59, 99}},
        {{5, 3, 14, 8, 7, 6, 5}, 0, {5, 3, 14, 8, 7, 6, 5}},
        {{5, 3, 14, 8, 7, 6, 5}, 32767, {5, 3, 14, 8, 1, 38, 38}},
        {{1, 1, 0, 0, 0, 0, 0}, 1, {31, 12, -1, 23, 59, 59, 99}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShiftOscDateTime(c.event, -c.pre), c.start);
        Load l(ThreeChannels().event(c.event).preTrigger(c.pre).build());
        ASSERT_EQ(l.status, LoadStatus::Loaded);
        EXPECT_EQ(l.image.startTime(), c.start);
        EXPECT_EQ(l.image.eventTime(), c.event);
    }
}

// --- display values and ring unrolling -------------------------------------------------------

TEST(OscillogramFile, IntegerDisplayValuesOfBothLayouts)
{
    // Current layout: c · r rounded half up for positive values, truncated toward zero otherwise.
    Load current(OscillogramBuilder::Current()
                     .channels({OscChannel::Ia})
                     .coefficient(OscChannel::Ia, 0.5f)
                     .samples(OscChannel::Ia, {3, -3, 1, -1, 2, 5, -5, 0})
                     .build());
    ASSERT_EQ(current.status, LoadStatus::Loaded);
    const ChannelTrace& c = *current.image.trace(OscChannel::Ia);
    EXPECT_EQ(std::vector<int>(c.integers.begin(), c.integers.begin() + 8),
              (std::vector<int>{2, -1, 1, 0, 1, 3, -2, 0}));
    EXPECT_FLOAT_EQ(c.values[0], 1.5f);
    EXPECT_FLOAT_EQ(c.values[6], -2.5f);

    // Legacy layout: r·K / 10000 with the remainder deciding; the value is c times the integer.
    Load legacy(OscillogramBuilder::Legacy()
                    .channels({OscChannel::Ua})
                    .k(OscChannel::Ua, 3333)
                    .samples(OscChannel::Ua, {3, -3, 2, 1, 30000, -30000, 15, -15})
                    .build());
    ASSERT_EQ(legacy.status, LoadStatus::Loaded);
    const ChannelTrace& l = *legacy.image.trace(OscChannel::Ua);
    EXPECT_EQ(std::vector<int>(l.integers.begin(), l.integers.begin() + 8),
              (std::vector<int>{1, 0, 1, 0, 9999, -9999, 5, -4}));
    EXPECT_FLOAT_EQ(l.values[4], 0.3333f * 9999);
    EXPECT_FLOAT_EQ(l.values[6], 0.3333f * 5);
}

TEST(OscillogramFile, RingBuffersAreUnrolledAndTheImageRewrittenChronologically)
{
    // N = 3200, oldest sample at 3000: chronological order is 3000 … 3199, 0 … 2999.
    constexpr int n = 3200, stop = 3000;
    constexpr int ia = kOscHeaderWords, ua = kOscHeaderWords + n, i0 = kOscHeaderWords + 2 * n;
    auto bytes = ThreeChannels()
                     .stopIndex(stop)
                     .coefficient(OscChannel::Ua, 0.001f)
                     .word(ia + stop, 7)       // oldest
                     .word(ia + 0, 5)          // chronological 200
                     .word(ia + stop - 1, 9)   // newest
                     .word(ua + 0, 100)        // 0.1 → displays as 0: a flat channel
                     .word(i0 + 10, static_cast<std::uint16_t>(-20))
                     .build();
    Load l(bytes);
    ASSERT_EQ(l.status, LoadStatus::Loaded);

    const ChannelTrace& a = *l.image.trace(OscChannel::Ia);
    EXPECT_EQ(a.raw[0], 7);
    EXPECT_EQ(a.raw[200], 5);
    EXPECT_EQ(a.raw[n - 1], 9);
    EXPECT_EQ(a.maximum, 9);
    EXPECT_EQ(a.minimum, 0);
    EXPECT_EQ(a.range, 9);
    EXPECT_FALSE(a.flat);
    EXPECT_EQ(a.levels[0], 2);
    EXPECT_EQ(a.levels[200], 4);
    EXPECT_EQ(a.levels[1], 9);
    EXPECT_EQ(a.levels[n - 1], 0);

    const ChannelTrace& u = *l.image.trace(OscChannel::Ua);
    EXPECT_TRUE(u.flat);
    EXPECT_EQ(u.range, 0);
    EXPECT_EQ(std::count(u.levels.begin(), u.levels.end(), 0), n);
    EXPECT_EQ(u.raw[200], 100);

    const ChannelTrace& z = *l.image.trace(OscChannel::I0);
    EXPECT_EQ(z.raw[210], -20);
    EXPECT_EQ(z.range, 20);

    EXPECT_EQ(l.image.currentGroupRange(), 9);
    EXPECT_EQ(l.image.voltageGroupRange(), 20);  // 3Io belongs to the voltage group

    // The image: stop index 0 and every block chronological, the flat one included, so that a
    // saved file reloads and exports in the same order.
    const auto& out = l.image.bytes();
    EXPECT_EQ(Word(out, 0), 0);
    EXPECT_EQ(Word(out, ia + 0), 7);
    EXPECT_EQ(Word(out, ia + 200), 5);
    EXPECT_EQ(Word(out, ia + n - 1), 9);
    EXPECT_EQ(Word(out, ua + 200), 100);
    EXPECT_EQ(Word(out, ua + 0), 0);
    EXPECT_EQ(static_cast<std::int16_t>(Word(out, i0 + 210)), -20);
    EXPECT_EQ(l.image.stopIndex(), stop);  // as read
}

TEST(OscillogramFile, StopIndexNKeepsStoredOrder)
{
    Load l(OscillogramBuilder::Current()
               .channels({OscChannel::Ia, OscChannel::Ib})
               .stopIndex(4800)
               .word(kOscHeaderWords, 11)
               .word(kOscHeaderWords + 4799, 12)
               .build());
    ASSERT_EQ(l.status, LoadStatus::Loaded);
    EXPECT_EQ(l.image.trace(OscChannel::Ia)->raw[0], 11);
    EXPECT_EQ(l.image.trace(OscChannel::Ia)->raw[4799], 12);
}

// --- digital records -------------------------------------------------------------------------

std::vector<std::uint8_t> WithRawRecords(OscillogramBuilder b, std::vector<DigitalRecord> slots)
{
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const int w = kDigitalWord + 3 * static_cast<int>(s);
        b.word(w, slots[s].position).word(w + 1, slots[s].inputs).word(w + 2, slots[s].outputs);
    }
    return b.recordCount(static_cast<int>(slots.size())).build();
}

TEST(OscillogramFile, DigitalRecordsAreReorderedFromTheStopRecordAndMadeChronological)
{
    // Ring order starts at slot 2 (position = stop index 3000); slot 1 lies past the wrap.
    Load l(WithRawRecords(ThreeChannels().stopIndex(3000),
                          {{3100, 2, 0x20}, {100, 3, 0x30}, {3000, 1, 0x10}, {3050, 4, 0x40}}));
    ASSERT_EQ(l.status, LoadStatus::Loaded);
    EXPECT_TRUE(l.sink.messages.empty());
    EXPECT_TRUE(l.image.digitalValid());
    const std::vector<DigitalRecord> expected = {{0, 1, 0x10}, {50, 4, 0x40}, {100, 2, 0x20}, {300, 3, 0x30}};
    EXPECT_EQ(std::vector<DigitalRecord>(l.image.digitalRecords().begin(), l.image.digitalRecords().end()),
              expected);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int w = kDigitalWord + 3 * static_cast<int>(i);
        EXPECT_EQ(Word(l.image.bytes(), w), expected[i].position);
        EXPECT_EQ(Word(l.image.bytes(), w + 1), expected[i].inputs);
        EXPECT_EQ(Word(l.image.bytes(), w + 2), expected[i].outputs);
    }
}

TEST(OscillogramFile, DigitalRecordProblemsAreReportedWithoutRefusingTheFile)
{
    // No record at the stop index: warning, stored order kept, positions still made chronological.
    Load unmatched(WithRawRecords(ThreeChannels().stopIndex(3000), {{10, 1, 0}, {20, 2, 0}}));
    ASSERT_EQ(unmatched.status, LoadStatus::Loaded);
    ASSERT_EQ(unmatched.ids(), std::vector<Id>{Id::NoStopRecord});
    EXPECT_EQ(unmatched.sink.messages[0].caption, "Цифровые сигналы могут быть отображены неверно");
    EXPECT_EQ(unmatched.sink.messages[0].text,
              "Не найдена запись цифровых сигналов, соответствующая стоп-индексу");
    EXPECT_TRUE(unmatched.image.digitalValid());
    const auto u = unmatched.image.digitalRecords();
    ASSERT_EQ(u.size(), 2u);
    EXPECT_EQ(u[0], (DigitalRecord{210, 1, 0}));
    EXPECT_EQ(u[1], (DigitalRecord{220, 2, 0}));

    // Two records at one position: order message, digital display off.
    Load twice(WithRawRecords(ThreeChannels(), {{0, 1, 0}, {5, 2, 0}, {5, 3, 0}}));
    ASSERT_EQ(twice.status, LoadStatus::Loaded);
    ASSERT_EQ(twice.ids(), std::vector<Id>{Id::BadDigitalOrder});
    EXPECT_EQ(twice.sink.messages[0].caption, "Ошибка");
    EXPECT_EQ(twice.sink.messages[0].text, "Недопустимый порядок следования индексов ");
    EXPECT_FALSE(twice.image.digitalValid());
    EXPECT_EQ(twice.image.channelCount(), 3);  // the analog part is still shown
}

TEST(OscillogramFile, RecordCountIsLimitedToTheSlotsThatExist)
{
    const struct { int stored; std::size_t used; } cases[] = {{600, 500}, {500, 500}, {-3, 0}, {0, 0}, {2, 2}};
    for (const auto& c : cases) {
        Load l(ThreeChannels().recordCount(c.stored).build());
        ASSERT_EQ(l.status, LoadStatus::Loaded) << c.stored;
        EXPECT_EQ(l.image.digitalRecords().size(), c.used) << c.stored;
    }
}

// --- saving ----------------------------------------------------------------------------------

TEST(OscillogramFile, SavedImageReloadsToTheSameDisplay)
{
    const auto dir = TempDir("save");
    const auto path = (dir / "saved.tao").string();
    Load first(OscillogramBuilder::Current()
                   .channels({OscChannel::Ia, OscChannel::Ic, OscChannel::Ub, OscChannel::I0})
                   .stopIndex(1500)
                   .coefficient(OscChannel::Ub, 0.37f)
                   .sine(OscChannel::Ia, 900)
                   .sine(OscChannel::Ic, 300, 120)
                   .sine(OscChannel::Ub, 12000, 240)
                   .digital({{0, 1, 0}, {700, 3, 0x8000}, {1900, 0x8001, 2}}, 2)
                   .preTrigger(12)
                   .build());
    ASSERT_EQ(first.status, LoadStatus::Loaded);
    CollectingSink sink;
    ASSERT_TRUE(first.image.save(path, sink));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    OscillogramImage again;
    ASSERT_EQ(again.load(path, sink).status, LoadStatus::Loaded);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(again.bytes(), first.image.bytes());
    EXPECT_EQ(again.stopIndex(), 0);
    ASSERT_EQ(again.channelCount(), first.image.channelCount());
    for (int k = 0; k < again.channelCount(); ++k) {
        const ChannelTrace& a = again.traces()[static_cast<std::size_t>(k)];
        const ChannelTrace& b = first.image.traces()[static_cast<std::size_t>(k)];
        EXPECT_EQ(a.channel, b.channel);
        EXPECT_EQ(a.raw, b.raw);
        EXPECT_EQ(a.integers, b.integers);
        EXPECT_EQ(a.levels, b.levels);
        EXPECT_EQ(a.range, b.range);
    }
    const auto r1 = first.image.digitalRecords(), r2 = again.digitalRecords();
    EXPECT_TRUE(std::equal(r1.begin(), r1.end(), r2.begin(), r2.end()));
    EXPECT_EQ(r2[1], (DigitalRecord{700, 3, 0x8000}));
    EXPECT_EQ(again.startTime(), first.image.startTime());
    EXPECT_EQ(again.currentGroupRange(), first.image.currentGroupRange());
    EXPECT_EQ(again.voltageGroupRange(), first.image.voltageGroupRange());
}

TEST(OscillogramFile, SaveFailureNamesTheSystemError)
{
    Load l(ThreeChannels().build());
    CollectingSink sink;
    const auto path = (TempDir("savefail") / "missing" / "x.tao").string();
    EXPECT_FALSE(l.image.save(path, sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].id, Id::SaveFailed);
    EXPECT_EQ(sink.messages[0].caption, "Ошибка");
    EXPECT_EQ(sink.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(sink.messages[0].text, "Невозможно открыть файл. Код ошибки " + std::to_string(ENOENT));
}

// --- the configurator's side -----------------------------------------------------------------

TEST(OscillogramFile, ConfiguratorPreparationAndEventStamp)
{
    for (bool current : {true, false}) {
        SCOPED_TRACE(current ? "current" : "legacy");
        auto b = current ? OscillogramBuilder::Current() : OscillogramBuilder::Legacy();
        const OscDateTime event{9, 8, 21, 7, 6, 5, 4};
        auto image = b.channels({OscChannel::Ia}).event(event).tripCause(0x10).build();
        for (int w = 9; w <= 16; ++w)
            image[2 * static_cast<std::size_t>(w) + 1] = 0xA5;  // relay junk in the high bytes
        const auto before = image;
        PrepareOscillogramForWriting(image, 707);

        const int typeWord = current ? 48 : 49;
        EXPECT_EQ(Word(image, typeWord), 707);
        for (int w = 0; w < static_cast<int>(kOscImageBytes / 2); ++w) {
            if (w == typeWord)
                continue;
            if (w >= 9 && w <= 16) {
                EXPECT_EQ(Word(image, w), Word(before, w) & 0x00FF) << w;
            } else {
                ASSERT_EQ(Word(image, w), Word(before, w)) << w;
            }
        }
        EXPECT_EQ(ReadEventStamp(image), (OscEventStamp{event, 0x10}));
        Load l(image);
        EXPECT_EQ(l.status, LoadStatus::Loaded);
        EXPECT_EQ(l.image.deviceType(), 707);
    }
}

}  // namespace
}  // namespace tirv
