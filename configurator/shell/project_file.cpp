// The project file: its class from the size, the questions, and the whole-file check.
#include "configurator/shell/project_file.h"

#include "common/crc16.h"
#include "common/word_file.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/file_texts.h"

#include <algorithm>

namespace tirv {
namespace {

namespace tx = file_texts;

// Word offsets inside a project of a class.
struct ProjectLayout {
    std::size_t image;
    std::size_t io;
    std::size_t leds;
    std::size_t words;  // data words, the CRC word not counted
};

constexpr ProjectLayout LayoutFor(bool isM)
{
    const std::size_t n = isM ? 127 : 115;
    const std::size_t io = kFileHeaderWords + n;
    const std::size_t leds = io + kIoImageWords;
    return {kFileHeaderWords, io, leds, leds + static_cast<std::size_t>(ProjectLedWords(isM))};
}

Message ClassQuestion()
{
    return {tx::kCaptionWarning, tx::kOtherClassQuestion, MsgIcon::Error, MsgButtons::OkCancel};
}

}  // namespace

ProjectFileRead ParseProjectFile(std::span<const std::uint8_t> bytes, const ModelProfile& current)
{
    ProjectFileRead r;
    const bool fileIsM = bytes.size() == ProjectFileBytes(true);
    const ProjectLayout at = LayoutFor(fileIsM);
    std::vector<std::uint32_t> w;
    if ((bytes.size() != ProjectFileBytes(false) && !fileIsM) ||
        ParseWordFile(bytes, at.words, w) != WordFileResult::Ok ||
        !FileModelCodeFits(w[0], fileIsM)) {
        r.steps.refusal = FileFormatMessage(tx::kProjectFormat, current.modelCode);
        return r;
    }
    r.fileModelCode = static_cast<int>(w[0]);

    // After a class switch the file's model is the program's, so the model check has nothing
    // left to ask.
    r.switchesModel = fileIsM != current.isM;
    const ModelProfile profile =
        r.switchesModel ? ApplyModelProfile(r.fileModelCode, current) : current;
    if (r.switchesModel)
        r.steps.questions.push_back(ClassQuestion());
    else
        AddModelCheck(r.steps, r.fileModelCode, current.modelCode);
    if (r.steps.refusal)
        return r;

    const auto n = static_cast<std::size_t>(profile.imageWords);
    for (std::size_t i = 0; i < n; ++i)
        r.content.setpoints[i] = static_cast<std::int32_t>(w[at.image + i]);
    r.content.io = IoImageFromWords(
        std::span<const std::uint32_t, kIoImageWords>(w.data() + at.io, kIoImageWords));
    const auto ledWords = static_cast<std::size_t>(ProjectLedWords(fileIsM));
    r.content.leds =
        LedImageFromWords(std::span<const std::uint32_t>(w.data() + at.leds, ledWords));

    // The whole file is checked here, so a part that fails leaves the model, the setpoints and
    // the pages as they were.
    if (!CheckImage(profile, r.content.setpoints))
        r.steps.invalid = InvalidContentMessage(tx::kInvalidSetpoints);
    else if (!ValidateIoImage(r.content.io).ok())
        r.steps.invalid = InvalidContentMessage(tx::kInvalidIo);
    else if (!ValidateLedImage(r.content.leds, fileIsM ? kLedCountM : kLedCountNonM).ok())
        r.steps.invalid = InvalidContentMessage(tx::kInvalidLeds);
    return r;
}

std::vector<std::uint8_t> BuildProjectFile(const ModelProfile& current,
                                           const ProjectContent& content)
{
    const ProjectLayout at = LayoutFor(current.isM);
    std::vector<std::uint32_t> w(at.words + 1, 0);
    w[0] = static_cast<std::uint32_t>(current.modelCode);
    const auto n = static_cast<std::size_t>(current.imageWords);
    for (std::size_t i = 0; i < n; ++i)
        w[at.image + i] = static_cast<std::uint32_t>(content.setpoints[i]);
    const auto io = IoImageWords(content.io);
    std::copy(io.begin(), io.end(), w.begin() + static_cast<std::ptrdiff_t>(at.io));
    std::copy_n(content.leds.words.begin(), ProjectLedWords(current.isM),
                w.begin() + static_cast<std::ptrdiff_t>(at.leds));
    AppendWordsCrc(w);
    return WordsToBytes(w);
}

}  // namespace tirv
