#pragma once
// The setpoint file (".tpr"): the model code, three reserved words, the setpoint image of the
// current model class and the word-array CRC. Also the pieces the project file shares with it:
// the messages of a refused file and the model check with its question.
#include "common/message.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tirv {

// What opening a file puts to the user before anything is applied, in the order it is shown.
// Every rule of the file has been applied when this is made, so a file is taken whole or not at
// all: nothing needs undoing after a refusal or a Cancel.
struct FileReadSteps {
    std::optional<Message> refusal;  // shown alone: format, size, CRC, the 306 rule
    std::vector<Message> questions;  // OK/Cancel, asked in order; Cancel ends without a message
    std::optional<Message> invalid;  // shown after the questions: content outside its rules
};

// Shows and asks the steps through `ask`; true when the content may be applied.
bool ConfirmFileRead(const FileReadSteps& steps, const std::function<Answer(const Message&)>& ask);

inline constexpr int kFileHeaderWords = 4;  // model code and three reserved words

// Size of a setpoint file: 480 bytes non-M, 528 bytes M.
constexpr std::size_t SetpointFileBytes(bool isM)
{
    return static_cast<std::size_t>((isM ? 127 : 115) + kFileHeaderWords + 1) * 4;
}

struct SetpointFileRead {
    FileReadSteps steps;
    int fileModelCode = 0;
    // The file's image words with `В АЖ фикс. 3Io` cleared; words past the class's count are 0.
    SetpointImage image{};
};

// Opening a setpoint file while `current` is the model profile; a setpoint file never changes
// the model class, so its size must be the current class's.
SetpointFileRead ParseSetpointFile(std::span<const std::uint8_t> bytes,
                                   const ModelProfile& current);

// The file saved with the current model code and image.
std::vector<std::uint8_t> BuildSetpointFile(const ModelProfile& current,
                                            const SetpointImage& image);

// The extension test for a name chosen in a file dialog: the name ends with `extension`
// ("tpr", "tirv"), compared as typed.
bool HasFileExtension(std::string_view path, std::string_view extension);

// Messages shared by the files of the shell.
Message CannotOpenFileMessage(int systemError);
Message WrongExtensionMessage(const char* text);
Message FileFormatMessage(const char* format, int currentModelCode);
Message InvalidContentMessage(const char* text);

// The model check of both files: a 306 file or a 306 program against any other model is
// refused; another code asks whether to go on.
void AddModelCheck(FileReadSteps& steps, int fileModelCode, int currentModelCode);

// A model code a file may carry: one of the model table, of the class its size gives.
bool FileModelCodeFits(std::uint32_t word, bool isM);

}  // namespace tirv
