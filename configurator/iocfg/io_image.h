#pragma once
// The relay's input/output settings as the settings, project and ".tio" files hold them: two
// tables of 16 entries of 4 words, plain values without the register offsets.
//   inputs[4n .. 4n+3]  = input n + 1:  function, active level, pick-up delay, reset delay
//   outputs[4n .. 4n+3] = output n + 1: signal, mode, operate time, return time
// Times are hundredths of a second.
#include <array>
#include <cstdint>
#include <span>

namespace tirv {

inline constexpr int kIoChannels = 16;
inline constexpr int kIoEntryWords = 4;
inline constexpr int kIoTableWords = kIoChannels * kIoEntryWords;  // 64
inline constexpr int kIoImageWords = 2 * kIoTableWords;            // 128, inputs then outputs

inline constexpr int kInputFunctionCount = 45;  // functions 0..44, for every model
inline constexpr int kOutputSignalCount = 95;   // signals 0..94 (outputs and LEDs)
// Inputs 9..16 (entries 8..15) cannot take the fixed functions 0..7 of inputs 1..8.
inline constexpr int kFirstFreeInput = 8;
inline constexpr int kFirstFreeInputFunction = 8;
inline constexpr int kOutputModeCount = 3;  // "Без фиксации", "С фиксацией", "Импульсный"
inline constexpr int kLevelCount = 2;  // "Высокий", "Низкий"
inline constexpr std::uint32_t kMaxTimeHundredths = 9999;

// Word positions inside one entry.
enum IoWord : int { IoFunction = 0, IoLevel = 1, IoFirstTime = 2, IoSecondTime = 3 };

struct IoImage {
    std::array<std::uint32_t, kIoTableWords> inputs{};
    std::array<std::uint32_t, kIoTableWords> outputs{};

    std::uint32_t& input(int channel, int word) { return inputs[channel * kIoEntryWords + word]; }
    std::uint32_t& output(int channel, int word) { return outputs[channel * kIoEntryWords + word]; }
    std::uint32_t input(int channel, int word) const
    {
        return inputs[channel * kIoEntryWords + word];
    }
    std::uint32_t output(int channel, int word) const
    {
        return outputs[channel * kIoEntryWords + word];
    }
    bool operator==(const IoImage&) const = default;
};

// The minimal set: inputs 1..8 functions 0..7, inputs 9..16 "Свободен" (8); outputs 1..8 signals
// 1, 2, 3, 4, 5, 5, 6, 7, outputs 9..16 "Свободен" (0); levels, modes and times 0.
IoImage DefaultIoImage();

// The 128 words in file order (inputs, then outputs) and back.
std::array<std::uint32_t, kIoImageWords> IoImageWords(const IoImage& image);
IoImage IoImageFromWords(std::span<const std::uint32_t, kIoImageWords> words);

enum class IoFault {
    None,
    InputFunction,  // above 44, or below 8 on inputs 9..16
    InputLevel,     // above 1
    InputTime,      // a delay above 9999
    OutputSignal,   // above 94
    OutputMode,     // above 2
    OutputTime,     // a time above 9999
};

// The first offending entry, inputs before outputs, in channel order.
struct IoCheck {
    IoFault fault = IoFault::None;
    int channel = -1;  // 0..15 of the offending input or output, -1 when valid
    int word = -1;     // IoWord of the offending word, -1 when valid
    bool ok() const { return fault == IoFault::None; }
};

// The rules every block of I/O settings must pass before it is taken over, wherever it comes
// from (relay, ".tio", project, program settings).
IoCheck ValidateIoImage(const IoImage& image);

}  // namespace tirv
