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
    for (std::size_t k = 0; k < 16; ++k) {
        c.ioWords[4 * k] = static_cast<std::uint32_t>(k < 8 ? k : k + 20);
        c.ioWords[4 * k + 1] = k % 2;
        c.ioWords[4 * k + 2] = static_cast<std::uint32_t>(100 * k);
        c.ioWords[4 * k + 3] = 9999;
        c.ioWords[64 + 4 * k] = static_cast<std::uint32_t>(94 - k);
        c.ioWords[64 + 4 * k + 1] = k % 3;
        c.ioWords[64 + 4 * k + 2] = 5;
        c.ioWords[64 + 4 * k + 3] = static_cast<std::uint32_t>(k);
    }
    const int entries = ProjectLedWords(p.isM) / 3;
    for (int k = 0; k < entries; ++k) {
        const auto e = static_cast<std::size_t>(3 * k);
        c.ledWords[e] = static_cast<std::uint32_t>(10 + k);
        c.ledWords[e + 1] = static_cast<std::uint32_t>(k % 2);
        c.ledWords[e + 2] = 250;
    }
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

}  // namespace
}  // namespace tirv
