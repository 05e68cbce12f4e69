#include "configurator/iocfg/io_files.h"

#include "common/crc16.h"
#include "common/word_file.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/setpoints/model_profile.h"

#include <algorithm>

namespace tirv {
namespace {

constexpr std::size_t kHeaderWords = 4;  // model code + 3 passed-through words
constexpr std::size_t kTioDataWords = kHeaderWords + kIoImageWords;  // 132

FileReservedWords Reserved(const std::vector<std::uint32_t>& words)
{
    return {words[1], words[2], words[3]};
}

std::vector<std::uint8_t> Build(std::uint32_t modelCode, const FileReservedWords& reserved,
                                std::span<const std::uint32_t> body)
{
    std::vector<std::uint32_t> words{modelCode, reserved[0], reserved[1], reserved[2]};
    words.insert(words.end(), body.begin(), body.end());
    words.push_back(0);
    AppendWordsCrc(words);
    return WordsToBytes(words);
}

}  // namespace

TioFile ParseTioFile(std::span<const std::uint8_t> bytes)
{
    TioFile file;
    std::vector<std::uint32_t> words;
    // Exactly 532 bytes: a longer file is not one this program wrote either.
    if (ParseWordFile(bytes, kTioDataWords, words) != WordFileResult::Ok)
        return file;
    file.modelCode = words[0];
    file.reserved = Reserved(words);
    const IoImage image = IoImageFromWords(
        std::span<const std::uint32_t, kIoImageWords>(words.data() + kHeaderWords, kIoImageWords));
    file.check = ValidateIoImage(image);
    if (!file.check.ok()) {
        file.result = IoFileResult::Invalid;
        return file;
    }
    file.result = IoFileResult::Ok;
    file.image = image;
    return file;
}

std::vector<std::uint8_t> BuildTioFile(std::uint32_t modelCode, const FileReservedWords& reserved,
                                       const IoImage& image)
{
    const auto body = IoImageWords(image);
    return Build(modelCode, reserved, body);
}

TldFile ParseTldFile(std::span<const std::uint8_t> bytes, int currentModelCode)
{
    TldFile file;
    int leds = 0;
    if (bytes.size() == kTldBytesNonM)
        leds = kLedCountNonM;
    else if (bytes.size() == kTldBytesM)
        leds = kLedCountM;
    else
        return file;
    std::vector<std::uint32_t> words;
    if (ParseWordFile(bytes, kHeaderWords + static_cast<std::size_t>(LedWordCount(leds)), words) !=
        WordFileResult::Ok)
        return file;
    file.fileLeds = leds;
    file.modelCode = words[0];
    file.reserved = Reserved(words);
    const bool currentM = IsMModel(currentModelCode);
    if (currentM && leds == kLedCountNonM)
        file.question = LedLayoutQuestion::OlderOnM;
    else if (!currentM && leds == kLedCountM)
        file.question = LedLayoutQuestion::NewerOnNonM;
    const LedImage image = LedImageFromWords(
        std::span<const std::uint32_t>(words.data() + kHeaderWords, words.size() - kHeaderWords));
    file.check = ValidateLedImage(image, leds);
    if (!file.check.ok()) {
        file.result = IoFileResult::Invalid;
        return file;
    }
    file.result = IoFileResult::Ok;
    file.image = image;
    return file;
}

std::vector<std::uint8_t> BuildTldFile(std::uint32_t modelCode, const FileReservedWords& reserved,
                                       const LedImage& image)
{
    // Model codes are small; anything beyond int range is no M code either.
    const int leds =
        modelCode > 0x7FFFFFFFu ? kLedCountNonM : LedCountForModel(static_cast<int>(modelCode));
    return Build(modelCode, reserved,
                 std::span<const std::uint32_t>(image.words.data(),
                                                static_cast<std::size_t>(LedWordCount(leds))));
}

Message TioDamagedMessage()
{
    return {io_texts::kCaptionFileError, io_texts::kTioDamaged, MsgIcon::Error, MsgButtons::Ok};
}

Message TioInvalidMessage()
{
    return {io_texts::kCaptionFileError, io_texts::kTioInvalidMessage, MsgIcon::Error,
            MsgButtons::Ok};
}

Message TldDamagedMessage()
{
    return {io_texts::kCaptionFileError, io_texts::kTldDamaged, MsgIcon::Error, MsgButtons::Ok};
}

Message TldLayoutMessage(LedLayoutQuestion question)
{
    const char* text = question == LedLayoutQuestion::OlderOnM      ? io_texts::kTldOlderLayout
                       : question == LedLayoutQuestion::NewerOnNonM ? io_texts::kTldNewerLayout
                                                                    : "";
    return {io_texts::kCaptionWarning, text, MsgIcon::Warning, MsgButtons::OkCancel};
}

}  // namespace tirv
