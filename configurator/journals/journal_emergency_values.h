#pragma once
// The values of the selected emergency event as list 1830 shows them: 13 magnitudes and 11
// angles scaled by the coefficients of the journal's class, and the breaker opening time.
#include <array>
#include <cstdint>
#include <string>

#include "configurator/journals/journal_emergency.h"

namespace tirv {

// Coefficient of a value (raw × coefficient = value) and the decimals it is shown with:
// 0.1 → one, 0.001 → three, anything else → two.
enum class JournalScale : std::uint8_t { Tenth, Hundredth, Thousandth };
double JournalScaleFactor(JournalScale s);
int JournalScaleDecimals(JournalScale s);

// The coefficients of the 13 magnitudes for a class; the same table serves every model of the
// class (the 306 set included). Angles are tenths of a degree on every model.
JournalScale EmergencyMagnitudeScale(int magnitude, bool mClass);

struct OpeningTime {
    bool shown = false;  // false: the column header "t откл." is blanked and no time shown
    std::string text;    // "%i мин." or "%.2f сек."
};
// Bit 15 set: bits 0–14 are minutes. Otherwise hundredths of a second, shown from 1 s up.
OpeningTime OpeningTimeOf(std::uint32_t word);

struct EmergencyValues {
    std::array<double, kEmergencyMagnitudes> magnitudes{};  // A or V
    std::array<double, kEmergencyAngles> angles{};          // degrees
    std::array<std::string, kEmergencyMagnitudes> magnitudeTexts;
    std::array<std::string, kEmergencyAngles> angleTexts;
    OpeningTime opening;
};
// Magnitudes are unsigned 16-bit register values, angles signed 16-bit (a negative angle travels
// as its two's complement).
EmergencyValues EmergencyValuesOf(const EmergencyRecord& r, bool mClass);

}  // namespace tirv
