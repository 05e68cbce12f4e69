#pragma once
// The oscillogram read-out's decisions that need no line: the oscillograph settings (8 registers
// from 9 of the oscillograph memory) with their six recording flags, and whether an oscillogram
// read from the relay belongs to a trip newer than the emergency journal shown.
#include <cstdint>
#include <span>
#include <string>

#include "common/message.h"
#include "configurator/journals/journal_emergency.h"

namespace tirv {

inline constexpr int kOscillographSettingsRegisters = 8;
inline constexpr int kOscillographFlags = 6;

enum class OscillographSettingsVerdict : std::uint8_t {
    Recording,  // at least one flag 1: the oscillogram is read
    Invalid,    // fewer than 8 values, or a flag other than 0 or 1: status, no read
    NoneSet,    // every flag 0: message and status, no read
};
OscillographSettingsVerdict CheckOscillographSettings(std::span<const std::uint16_t> values);

// "Не задана запись ни одной осциллограммы" (caption "Чтение уставок аварийного осциллографа").
Message NoOscillogramSetMessage();
// "Невозможно сохранить в файле данные аварийных осциллограмм. Код ошибки %i".
Message OscillogramSaveFailedMessage(int systemError);
// "Файл '<viewer>' в рабочей папке не обнаружен" (caption "Ошибка").
Message ViewerMissingMessage(const std::string& viewerFileName);
// The question after a read of an oscillogram newer than the journal (OK reads the journal).
Message NewerOscillogramQuestion();

// Whether the oscillogram in `image` (22,300 bytes as read, either header layout) records a trip
// other than the newest event of `journal`. Compared: day, month, year modulo 100, hour, minute,
// second, the fraction in hundredths (an M journal's milliseconds / 10) and the trip cause
// without bit 15. A journal without events makes every oscillogram newer.
bool OscillogramNewerThanJournal(std::span<const std::uint8_t> image,
                                 const EmergencyJournal& journal);

}  // namespace tirv
