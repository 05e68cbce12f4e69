// The setpoint file and the checks it shares with the project file.
#include "configurator/shell/setpoint_file.h"

#include "common/crc16.h"
#include "common/word_file.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/file_texts.h"

#include <cstdio>
#include <string>

namespace tirv {
namespace {

namespace tx = file_texts;

// The 306's setpoints are a catalogue of their own: its files and the others' never mix.
bool OwnCatalogue306(int code)
{
    const RelayFamilyModel* r = FindFamilyModel(code);
    return r && r->setpoints == SetpointSet::Set306;
}

std::string Format(const char* format, int a)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, format, a);
    return buf;
}

std::string Format(const char* format, int a, int b)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

}  // namespace

bool ConfirmFileRead(const FileReadSteps& steps, const std::function<Answer(const Message&)>& ask)
{
    if (steps.refusal) {
        ask(*steps.refusal);
        return false;
    }
    for (const Message& q : steps.questions) {
        if (ask(q) != Answer::Ok)
            return false;
    }
    if (steps.invalid) {
        ask(*steps.invalid);
        return false;
    }
    return true;
}

bool HasFileExtension(std::string_view path, std::string_view extension)
{
    return path.size() >= extension.size() &&
           path.substr(path.size() - extension.size()) == extension;
}

Message CannotOpenFileMessage(int systemError)
{
    return {tx::kCaptionReadWrite, Format(tx::kCannotOpen, systemError), MsgIcon::Error,
            MsgButtons::Ok};
}

Message WrongExtensionMessage(const char* text)
{
    return {tx::kCaptionReadWrite, text, MsgIcon::Error, MsgButtons::Ok};
}

Message FileFormatMessage(const char* format, int currentModelCode)
{
    return {tx::kCaptionReadWrite, Format(format, currentModelCode), MsgIcon::Error,
            MsgButtons::Ok};
}

Message InvalidContentMessage(const char* text)
{
    return {tx::kCaptionDataError, text, MsgIcon::Error, MsgButtons::Ok};
}

void AddModelCheck(FileReadSteps& steps, int fileModelCode, int currentModelCode)
{
    if (OwnCatalogue306(fileModelCode) != OwnCatalogue306(currentModelCode)) {
        steps.refusal = Message{tx::kCaptionWarning, Format(tx::kModel306Refused, fileModelCode),
                                MsgIcon::Error, MsgButtons::Ok};
        return;
    }
    if (fileModelCode != currentModelCode) {
        steps.questions.push_back({tx::kCaptionWarning,
                                   Format(tx::kOtherModelQuestion, fileModelCode, currentModelCode),
                                   MsgIcon::Error, MsgButtons::OkCancel});
    }
}

bool FileModelCodeFits(std::uint32_t word, bool isM)
{
    // A word above the int range is no code; the cast below could not represent it.
    if (word > 0x7FFFFFFFu)
        return false;
    const int code = static_cast<int>(word);
    return ModelIndexForCode(code) >= 0 && IsMModel(code) == isM;
}

SetpointFileRead ParseSetpointFile(std::span<const std::uint8_t> bytes, const ModelProfile& current)
{
    SetpointFileRead r;
    std::vector<std::uint32_t> words;
    const std::size_t n = static_cast<std::size_t>(current.imageWords);
    if (ParseWordFile(bytes, n + kFileHeaderWords, words) != WordFileResult::Ok ||
        !FileModelCodeFits(words[0], current.isM)) {
        r.steps.refusal = FileFormatMessage(file_texts::kSetpointsFormat, current.modelCode);
        return r;
    }
    r.fileModelCode = static_cast<int>(words[0]);
    AddModelCheck(r.steps, r.fileModelCode, current.modelCode);
    if (r.steps.refusal)
        return r;

    for (std::size_t i = 0; i < n; ++i)
        r.image[i] = static_cast<std::int32_t>(words[kFileHeaderWords + i]);
    if (!CheckImage(current, r.image)) {
        r.steps.invalid = InvalidContentMessage(file_texts::kInvalidSetpoints);
        return r;
    }
    // A loaded image never turns 3Io recording on; the user ticks it again where it is wanted.
    if (current.flagCount() > 0)
        r.image[static_cast<std::size_t>(current.flagIndex(current.flagCount() - 1))] = 0;
    return r;
}

std::vector<std::uint8_t> BuildSetpointFile(const ModelProfile& current, const SetpointImage& image)
{
    const std::size_t n = static_cast<std::size_t>(current.imageWords);
    std::vector<std::uint32_t> words(n + kFileHeaderWords + 1, 0);
    words[0] = static_cast<std::uint32_t>(current.modelCode);
    for (std::size_t i = 0; i < n; ++i)
        words[kFileHeaderWords + i] = static_cast<std::uint32_t>(image[i]);
    AppendWordsCrc(words);
    return WordsToBytes(words);
}

}  // namespace tirv
