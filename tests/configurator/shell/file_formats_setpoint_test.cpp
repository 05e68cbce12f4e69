// The setpoint file: byte-exact round trips, the refusals and questions of opening, and the
// content check.
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/file_texts.h"
#include "configurator/shell/setpoint_file.h"
#include "file_formats_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tirv {
namespace {

namespace tx = file_texts;
using file_test::CrcWordMatches;
using file_test::PutWord;
using file_test::Reseal;
using file_test::SealedFile;
using file_test::WordAt;

std::vector<std::uint32_t> TprWords(int fileCode, const SetpointImage& image, int imageWords)
{
    std::vector<std::uint32_t> w{static_cast<std::uint32_t>(fileCode), 0, 0, 0};
    for (int i = 0; i < imageWords; ++i)
        w.push_back(static_cast<std::uint32_t>(image[static_cast<std::size_t>(i)]));
    return w;
}

// A valid image that differs from the default in a numeric, a flag and a choice.
SetpointImage EditedImage(const ModelProfile& p)
{
    SetpointImage img = DefaultImage(p);
    img[1] = 250;                                       // МТЗ-1 гр.А T 2.50 s
    img[static_cast<std::size_t>(p.flagIndex(0))] = 1;  // МТЗ-1 Вкл.
    img[static_cast<std::size_t>(p.choiceIndex(0))] = 1;
    return img;
}

struct RoundTrip {
    const char* name;
    int code;
    std::size_t bytes;
};

class SetpointRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(SetpointRoundTrip, SaveOpenSaveGivesTheSameBytes)
{
    const ModelProfile p = ProfileForModel(GetParam().code);
    const SetpointImage img = EditedImage(p);
    const auto first = BuildSetpointFile(p, img);
    ASSERT_EQ(first.size(), GetParam().bytes);
    EXPECT_TRUE(CrcWordMatches(first));
    EXPECT_EQ(WordAt(first, 0), static_cast<std::uint32_t>(GetParam().code));
    for (std::size_t k = 1; k < 4; ++k)
        EXPECT_EQ(WordAt(first, k), 0u) << "reserved word " << k;
    EXPECT_EQ(WordAt(first, 4 + 1), 250u);

    const SetpointFileRead r = ParseSetpointFile(first, p);
    EXPECT_FALSE(r.steps.refusal);
    EXPECT_TRUE(r.steps.questions.empty());
    EXPECT_FALSE(r.steps.invalid);
    EXPECT_EQ(r.fileModelCode, GetParam().code);
    EXPECT_EQ(r.image, img);
    EXPECT_EQ(BuildSetpointFile(p, r.image), first);
}

INSTANTIATE_TEST_SUITE_P(Classes, SetpointRoundTrip,
                         testing::Values(RoundTrip{"nonM705", 705, 480},
                                         RoundTrip{"nonM306", 306, 480},
                                         RoundTrip{"M716", 716, 528}),
                         [](const auto& p) { return std::string(p.param.name); });

// How opening a file ends: refused alone, asked, refused after the questions, or loaded.
enum class Ends { Refused, Invalid, Loaded };

struct OpenCase {
    const char* name;
    int current;
    std::vector<std::uint8_t> file;
    Ends ends;
    std::string message;  // the refusal or the invalid-content text; empty when loaded
    std::size_t questions;
};

std::vector<std::uint8_t> Tpr(int fileCode, int classCode,
                              void (*spoil)(const ModelProfile&, SetpointImage&) = nullptr)
{
    const ModelProfile p = ProfileForModel(classCode);
    SetpointImage img = DefaultImage(p);
    if (spoil)
        spoil(p, img);
    return SealedFile(TprWords(fileCode, img, p.imageWords));
}

std::string Fmt(const char* f, int a, int b = 0)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, f, a, b);
    return buf;
}

std::vector<OpenCase> OpenCases()
{
    auto oneByteChanged = Tpr(705, 705);
    oneByteChanged[40] ^= 0x01;
    auto shortFile = Tpr(705, 705);
    shortFile.pop_back();
    return {
        {"nonMFileWithMSelected", 715, Tpr(705, 705), Ends::Refused, Fmt(tx::kSetpointsFormat, 715),
         0},
        {"mFileWithNonMSelected", 705, Tpr(715, 715), Ends::Refused, Fmt(tx::kSetpointsFormat, 705),
         0},
        {"oneByteChanged", 705, oneByteChanged, Ends::Refused, Fmt(tx::kSetpointsFormat, 705), 0},
        {"oneByteShort", 705, shortFile, Ends::Refused, Fmt(tx::kSetpointsFormat, 705), 0},
        {"empty", 705, {}, Ends::Refused, Fmt(tx::kSetpointsFormat, 705), 0},
        {"unknownCode", 705, Tpr(708, 705), Ends::Refused, Fmt(tx::kSetpointsFormat, 705), 0},
        {"mCodeInNonMSize", 705, Tpr(715, 705), Ends::Refused, Fmt(tx::kSetpointsFormat, 705), 0},
        {"file306With705", 705, Tpr(306, 705), Ends::Refused, Fmt(tx::kModel306Refused, 306), 0},
        {"file705With306", 306, Tpr(705, 306), Ends::Refused, Fmt(tx::kModel306Refused, 705), 0},
        {"file705With706", 706, Tpr(705, 706), Ends::Loaded, "", 1},
        {"file716With715", 715, Tpr(716, 715), Ends::Loaded, "", 1},
        {"sameModel", 707, Tpr(707, 707), Ends::Loaded, "", 0},
        {"flagTwo", 705,
         Tpr(705, 705,
             [](const ModelProfile& p, SetpointImage& i) {
                 i[static_cast<std::size_t>(p.flagIndex(3))] = 2;
             }),
         Ends::Invalid, tx::kInvalidSetpoints, 0},
        {"choiceAboveMax", 715,
         Tpr(715, 715,
             [](const ModelProfile& p, SetpointImage& i) {
                 i[static_cast<std::size_t>(p.choiceIndex(0))] = p.choices[0].max + 1;
             }),
         Ends::Invalid, tx::kInvalidSetpoints, 0},
        {"numericBelowRaw", 705,
         Tpr(705, 705, [](const ModelProfile&, SetpointImage& i) { i[0] = 19; }), Ends::Invalid,
         tx::kInvalidSetpoints, 0},
        // Only Ia and Ua recorded: the pre-fault time may be at most 6.00 s.
        {"preFaultAboveRecordingTime", 705,
         Tpr(705, 705,
             [](const ModelProfile& p, SetpointImage& i) {
                 for (const char* f :
                      {"В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ub", "В АЖ фикс. Uc"})
                     i[static_cast<std::size_t>(p.find(f))] = 0;
                 i[static_cast<std::size_t>(p.find("Tпредыст."))] = 601;
             }),
         Ends::Invalid, tx::kInvalidSetpoints, 0},
        {"preFaultAtRecordingTime", 705,
         Tpr(705, 705,
             [](const ModelProfile& p, SetpointImage& i) {
                 for (const char* f :
                      {"В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ub", "В АЖ фикс. Uc"})
                     i[static_cast<std::size_t>(p.find(f))] = 0;
                 i[static_cast<std::size_t>(p.find("Tпредыст."))] = 600;
             }),
         Ends::Loaded, "", 0},
        {"invalidAfterQuestion", 706,
         Tpr(705, 706,
             [](const ModelProfile& p, SetpointImage& i) {
                 i[static_cast<std::size_t>(p.flagIndex(0))] = -1;
             }),
         Ends::Invalid, tx::kInvalidSetpoints, 1},
    };
}

class SetpointOpen : public testing::TestWithParam<OpenCase> {};

TEST_P(SetpointOpen, EndsAsTheFileDeserves)
{
    const OpenCase& c = GetParam();
    const SetpointFileRead r = ParseSetpointFile(c.file, ProfileForModel(c.current));
    EXPECT_EQ(r.steps.questions.size(), c.questions);
    switch (c.ends) {
        case Ends::Refused:
            ASSERT_TRUE(r.steps.refusal);
            EXPECT_EQ(r.steps.refusal->text, c.message);
            EXPECT_EQ(r.steps.refusal->icon, MsgIcon::Error);
            break;
        case Ends::Invalid:
            EXPECT_FALSE(r.steps.refusal);
            ASSERT_TRUE(r.steps.invalid);
            EXPECT_EQ(r.steps.invalid->text, c.message);
            EXPECT_EQ(r.steps.invalid->caption, tx::kCaptionDataError);
            break;
        case Ends::Loaded:
            EXPECT_FALSE(r.steps.refusal);
            EXPECT_FALSE(r.steps.invalid);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SetpointOpen, testing::ValuesIn(OpenCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SetpointFile, OtherModelQuestionNamesBothCodes)
{
    const SetpointFileRead r = ParseSetpointFile(Tpr(705, 706), ProfileForModel(706));
    ASSERT_EQ(r.steps.questions.size(), 1u);
    const Message& q = r.steps.questions[0];
    EXPECT_EQ(q.text,
              "Уставки в файле являются уставками ТИРВ-705 и могут не соответствовать "
              "уставкам ТИРВ-706. Продолжить чтение?");
    EXPECT_EQ(q.caption, "Предупреждение");
    EXPECT_EQ(q.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(r.image, DefaultImage(706));
}

TEST(SetpointFile, ThreeIoRecordingIsLoadedOff)
{
    for (int code : {705, 715}) {
        const ModelProfile p = ProfileForModel(code);
        SetpointImage img = DefaultImage(p);
        const auto flag3Io = static_cast<std::size_t>(p.find("В АЖ фикс. 3Io"));
        img[flag3Io] = 1;
        const SetpointFileRead r =
            ParseSetpointFile(SealedFile(TprWords(code, img, p.imageWords)), p);
        ASSERT_FALSE(r.steps.refusal) << code;
        ASSERT_FALSE(r.steps.invalid) << code;
        EXPECT_EQ(r.image[flag3Io], 0) << code;
        img[flag3Io] = 0;
        EXPECT_EQ(r.image, img) << code;
    }
}

TEST(SetpointFile, ReservedWordsAreIgnored)
{
    auto file = Tpr(705, 705);
    PutWord(file, 1, 0xDEADBEEF);
    PutWord(file, 3, 7);
    Reseal(file);
    const SetpointFileRead r = ParseSetpointFile(file, ProfileForModel(705));
    EXPECT_FALSE(r.steps.refusal);
    EXPECT_FALSE(r.steps.invalid);
    EXPECT_EQ(r.image, DefaultImage(705));
}

// The user's answers decide: refusals are only shown, Cancel ends before the content message.
TEST(FileReadSteps, AnswersDecideInOrder)
{
    struct Case {
        const char* name;
        FileReadSteps steps;
        Answer answer;
        bool accepted;
        std::size_t shown;
    };
    const Message q{"c", "q", MsgIcon::Error, MsgButtons::OkCancel};
    const Message m{"c", "m", MsgIcon::Error, MsgButtons::Ok};
    const Case cases[] = {
        {"nothingToAsk", {}, Answer::Ok, true, 0},
        {"refusal", {m, {q}, std::nullopt}, Answer::Ok, false, 1},
        {"questionOk", {std::nullopt, {q, q}, std::nullopt}, Answer::Ok, true, 2},
        {"questionCancel", {std::nullopt, {q, q}, m}, Answer::Cancel, false, 1},
        {"invalidAfterOk", {std::nullopt, {q}, m}, Answer::Ok, false, 2},
    };
    for (const Case& c : cases) {
        std::size_t shown = 0;
        const bool ok = ConfirmFileRead(c.steps, [&](const Message&) {
            ++shown;
            return c.answer;
        });
        EXPECT_EQ(ok, c.accepted) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

TEST(FileExtension, LastCharactersAsTyped)
{
    struct Case {
        const char* path;
        const char* ext;
        bool fits;
    };
    const Case cases[] = {
        {"/home/u/a.tpr", "tpr", true},
        {"/home/u/atpr", "tpr", true},
        {"/home/u/a.TPR", "tpr", false},
        {"/home/u/a.tpr.bak", "tpr", false},
        {"pr", "tpr", false},
        {"/home/u/п.tirv", "tirv", true},
        {"/home/u/a.tir", "tirv", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasFileExtension(c.path, c.ext), c.fits) << c.path;
}

TEST(FileMessages, CannotOpenCarriesTheSystemCode)
{
    const Message m = CannotOpenFileMessage(13);
    EXPECT_EQ(m.text, "Невозможно открыть файл. Код ошибки 13");
    EXPECT_EQ(m.caption, "Ошибка чтения/записи");
    EXPECT_EQ(m.icon, MsgIcon::Error);
}

}  // namespace
}  // namespace tirv
