// The project file: byte-exact round trips of both classes, the class from the size, the class
// question, the model check and the whole-file check before anything is applied.
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/file_texts.h"
#include "configurator/shell/project_file.h"
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

// Valid I/O and LED words that are not all zero: input functions 8 and up on entries 8–15.
ProjectContent SampleContent(const ModelProfile& p)
{
    ProjectContent c;
    c.setpoints = DefaultImage(p);
    c.setpoints[3] = 999;  // МТЗ-1 гр.B T 9.99 s
    c.io = file_test::SampleIo();
    c.leds = file_test::SampleLeds(p.isM ? kLedCountM : kLedCountNonM);
    return c;
}

std::vector<std::uint8_t> Project(int fileCode, void (*spoil)(std::vector<std::uint8_t>&) = nullptr)
{
    const ModelProfile p = ProfileForModel(fileCode);
    auto file = BuildProjectFile(p, SampleContent(p));
    if (spoil) {
        spoil(file);
        Reseal(file);
    }
    return file;
}

TEST(ProjectFile, RoundTripIsByteExactForBothClasses)
{
    struct Case {
        int code;
        std::size_t bytes;
    };
    for (const Case c : {Case{705, 1052}, Case{306, 1052}, Case{717, 1136}}) {
        const ModelProfile p = ProfileForModel(c.code);
        const ProjectContent content = SampleContent(p);
        const auto first = BuildProjectFile(p, content);
        ASSERT_EQ(first.size(), c.bytes) << c.code;
        EXPECT_TRUE(CrcWordMatches(first)) << c.code;
        const std::size_t n = static_cast<std::size_t>(p.imageWords);
        EXPECT_EQ(WordAt(first, 0), static_cast<std::uint32_t>(c.code));
        EXPECT_EQ(WordAt(first, 4 + 3), 999u);
        EXPECT_EQ(WordAt(first, n + 4 + 8 * 4), 28u) << "input 9 function";
        EXPECT_EQ(WordAt(first, n + 68), 94u) << "output 1 signal";
        EXPECT_EQ(WordAt(first, n + 132), 10u) << "LED 1 signal";

        const ProjectFileRead r = ParseProjectFile(first, p);
        EXPECT_FALSE(r.steps.refusal);
        EXPECT_TRUE(r.steps.questions.empty());
        EXPECT_FALSE(r.steps.invalid);
        EXPECT_FALSE(r.switchesModel);
        EXPECT_EQ(r.content.setpoints, content.setpoints);
        EXPECT_EQ(BuildProjectFile(p, r.content), first) << c.code;
    }
}

enum class Ends { Refused, Invalid, Loaded };

struct OpenCase {
    const char* name;
    int current;
    std::vector<std::uint8_t> file;
    Ends ends;
    std::string message;
    std::size_t questions;
    bool switchesModel;
};

std::string Fmt(const char* f, int a)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, f, a);
    return buf;
}

std::vector<OpenCase> OpenCases()
{
    auto changed = Project(705);
    changed[100] ^= 0x80;
    auto longer = Project(705);
    longer.insert(longer.end(), {0, 0, 0, 0});
    const std::string format705 = Fmt(tx::kProjectFormat, 705);
    return {
        {"otherClassM", 705, Project(716), Ends::Loaded, "", 1, true},
        {"otherClassNonM", 715, Project(707), Ends::Loaded, "", 1, true},
        // After the switch the file's model is the program's: no 306 refusal, no question.
        {"otherClass306", 716, Project(306), Ends::Loaded, "", 1, true},
        {"sameModel", 705, Project(705), Ends::Loaded, "", 0, false},
        {"otherModelSameClass", 706, Project(705), Ends::Loaded, "", 1, false},
        {"file306With705", 705, Project(306), Ends::Refused, Fmt(tx::kModel306Refused, 306), 0,
         false},
        {"oneByteChanged", 705, changed, Ends::Refused, format705, 0, false},
        {"fourBytesLonger", 705, longer, Ends::Refused, format705, 0, false},
        {"tprSized", 705, std::vector<std::uint8_t>(480), Ends::Refused, format705, 0, false},
        {"unknownCode", 705, Project(705, [](auto& f) { PutWord(f, 0, 708); }), Ends::Refused,
         format705, 0, false},
        {"mCodeInNonMSize", 705, Project(705, [](auto& f) { PutWord(f, 0, 715); }), Ends::Refused,
         format705, 0, false},
        {"nonMCodeInMSize", 705, Project(715, [](auto& f) { PutWord(f, 0, 705); }), Ends::Refused,
         format705, 0, false},
        {"setpointFlag2", 705, Project(705, [](auto& f) { PutWord(f, 4 + 52, 2); }), Ends::Invalid,
         tx::kInvalidSetpoints, 0, false},
        // Non-M: I/O from word 119 (outputs from 183), LEDs from 247; M: 131, 195 and 259.
        {"input9Function7", 705, Project(705, [](auto& f) { PutWord(f, 119 + 8 * 4, 7); }),
         Ends::Invalid, tx::kInvalidIo, 0, false},
        {"input9Function8", 705, Project(705, [](auto& f) { PutWord(f, 119 + 8 * 4, 8); }),
         Ends::Loaded, "", 0, false},
        {"input1Function44On705", 705, Project(705, [](auto& f) { PutWord(f, 119, 44); }),
         Ends::Loaded, "", 0, false},
        {"input1Function45", 715, Project(715, [](auto& f) { PutWord(f, 131, 45); }), Ends::Invalid,
         tx::kInvalidIo, 0, false},
        {"inputLevel2", 705, Project(705, [](auto& f) { PutWord(f, 119 + 1, 2); }), Ends::Invalid,
         tx::kInvalidIo, 0, false},
        {"inputDelay10000", 705, Project(705, [](auto& f) { PutWord(f, 119 + 63, 10000); }),
         Ends::Invalid, tx::kInvalidIo, 0, false},
        {"outputMode3", 715, Project(715, [](auto& f) { PutWord(f, 195 + 4 * 15 + 1, 3); }),
         Ends::Invalid, tx::kInvalidIo, 0, false},
        {"outputSignal95", 705, Project(705, [](auto& f) { PutWord(f, 183, 95); }), Ends::Invalid,
         tx::kInvalidIo, 0, false},
        {"led1Signal95", 705, Project(705, [](auto& f) { PutWord(f, 247, 95); }), Ends::Invalid,
         tx::kInvalidLeds, 0, false},
        {"led5Time10000", 705, Project(705, [](auto& f) { PutWord(f, 247 + 14, 10000); }),
         Ends::Invalid, tx::kInvalidLeds, 0, false},
        {"led8Mode2", 715, Project(715, [](auto& f) { PutWord(f, 259 + 22, 2); }), Ends::Invalid,
         tx::kInvalidLeds, 0, false},
        {"ledInvalidAfterClassQuestion", 705,
         Project(716, [](auto& f) { PutWord(f, 259 + 21, 95); }), Ends::Invalid, tx::kInvalidLeds,
         1, true},
        {"setpointsReportedBeforeLeds", 705,
         Project(705,
                 [](auto& f) {
                     PutWord(f, 4 + 52, 2);
                     PutWord(f, 247, 95);
                 }),
         Ends::Invalid, tx::kInvalidSetpoints, 0, false},
        {"setpointInvalidAfterClassQuestion", 705,
         Project(715, [](auto& f) { PutWord(f, 4 + 56, 3); }), Ends::Invalid, tx::kInvalidSetpoints,
         1, true},
    };
}

class ProjectOpen : public testing::TestWithParam<OpenCase> {};

TEST_P(ProjectOpen, EndsAsTheFileDeserves)
{
    const OpenCase& c = GetParam();
    const ProjectFileRead r = ParseProjectFile(c.file, ProfileForModel(c.current));
    EXPECT_EQ(r.steps.questions.size(), c.questions);
    EXPECT_EQ(r.switchesModel, c.switchesModel);
    switch (c.ends) {
        case Ends::Refused:
            ASSERT_TRUE(r.steps.refusal);
            EXPECT_EQ(r.steps.refusal->text, c.message);
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

INSTANTIATE_TEST_SUITE_P(Files, ProjectOpen, testing::ValuesIn(OpenCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProjectFile, ClassQuestionIsAskedFirst)
{
    const ProjectFileRead r = ParseProjectFile(Project(716), ProfileForModel(705));
    ASSERT_EQ(r.steps.questions.size(), 1u);
    EXPECT_EQ(r.steps.questions[0].text,
              "В файле содержатся настройки для устройства, не соответствующего выбранному в "
              "программе. Изменить тип устройства в программе?");
    EXPECT_EQ(r.steps.questions[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(r.fileModelCode, 716);
    EXPECT_EQ(r.content.setpoints, SampleContent(ProfileForModel(716)).setpoints);
}

// What a caller holds while a project opens; it changes only when the whole file is taken.
struct ProgramState {
    ModelProfile profile;
    ProjectContent content;

    void open(std::span<const std::uint8_t> file, Answer answer, std::size_t& shown)
    {
        const ProjectFileRead r = ParseProjectFile(file, profile);
        if (!ConfirmFileRead(r.steps, [&](const Message&) {
                ++shown;
                return answer;
            }))
            return;
        if (r.switchesModel)
            profile = ApplyModelProfile(r.fileModelCode, profile);
        content = r.content;
    }
};

TEST(ProjectFile, TakenWholeOrNotAtAll)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        Answer answer;
        bool changes;
        std::size_t shown;
    };
    const Case cases[] = {
        {"otherClassOk", Project(716), Answer::Ok, true, 1},
        {"otherClassCancel", Project(716), Answer::Cancel, false, 1},
        {"invalidLedAfterClassOk", Project(716, [](auto& f) { PutWord(f, 259, 95); }), Answer::Ok,
         false, 2},
        {"invalidLedSameClass", Project(705, [](auto& f) { PutWord(f, 247 + 1, 2); }), Answer::Ok,
         false, 1},
        {"otherModelOk", Project(706), Answer::Ok, true, 1},
    };
    for (const Case& c : cases) {
        ProgramState state{ProfileForModel(705), {}};
        state.content.setpoints = DefaultImage(705);
        const ProgramState before = state;
        std::size_t shown = 0;
        state.open(c.file, c.answer, shown);
        EXPECT_EQ(shown, c.shown) << c.name;
        if (c.changes) {
            EXPECT_EQ(state.content.io, file_test::SampleIo()) << c.name;
            EXPECT_NE(state.content.setpoints, before.content.setpoints) << c.name;
        } else {
            EXPECT_EQ(state.profile.modelCode, 705) << c.name;
            EXPECT_EQ(state.content.setpoints, before.content.setpoints) << c.name;
            EXPECT_EQ(state.content.io, before.content.io) << c.name;
            EXPECT_EQ(state.content.leds, before.content.leds) << c.name;
        }
    }
}

TEST(ProjectFile, NonMProjectLeavesLeds6To8Clear)
{
    const ModelProfile p = ProfileForModel(707);
    ProjectContent c;
    c.setpoints = DefaultImage(p);
    c.io = file_test::SampleIo();
    c.leds = file_test::SampleLeds(kLedCountM);  // LEDs 6–8 have no place in a non-M file
    const ProjectFileRead r = ParseProjectFile(BuildProjectFile(p, c), p);
    ASSERT_FALSE(r.steps.invalid);
    EXPECT_EQ(r.content.leds, file_test::SampleLeds(kLedCountNonM));
}

}  // namespace
}  // namespace tirv
