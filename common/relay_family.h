#pragma once
// The relay family in one table, for the configurator and tirv-sim alike: every model the
// programs know, in the order of the device-type lists (item k is row k − 1; item 0 is the
// empty item) and of the settings file's model index. No other place names a model code.
#include <array>
#include <cstdint>
#include <string>

namespace tirv {

// Which setpoint catalogue a model's registers follow.
enum class SetpointSet : std::uint8_t { Set705, Set306, SetM };

struct RelayFamilyModel {
    int code;          // register 131
    const char* name;  // the device-type lists' text
    bool m;            // the M modification: float measurements, 8 LEDs, the STM32 loader
    int baseCode;      // the model this one is the M modification of (itself when not M)
    SetpointSet setpoints;
    int signalCount;   // output signals of its setpoint lists
};

inline constexpr std::array<RelayFamilyModel, 7> kRelayFamily{{
    {306, "ТИРВ/ОЛК-306", false, 306, SetpointSet::Set306, 38},
    {705, "ТИРВ/ОЛК-705", false, 705, SetpointSet::Set705, 38},
    {706, "ТИРВ/ОЛК-706", false, 706, SetpointSet::Set705, 38},
    {707, "ТИРВ/ОЛК-707", false, 707, SetpointSet::Set705, 39},
    {715, "ТИРВ/ОЛК-705M", true, 705, SetpointSet::SetM, 44},
    {716, "ТИРВ/ОЛК-706M", true, 706, SetpointSet::SetM, 44},
    {717, "ТИРВ/ОЛК-707M", true, 707, SetpointSet::SetM, 44},
}};

// Codes from this one upward are the M modification, known to the table or not.
inline constexpr int kFirstMModelCode = 715;
// The model the programs start with when nothing else is known.
inline constexpr int kDefaultModelCode = 715;
// The model whose numeric setpoints a model code outside the table is shown with.
inline constexpr int kFallbackNonMModelCode = 705;
// An M model's code is its base model's plus this.
inline constexpr int kMModelCodeStep = 10;

constexpr bool IsMModel(int code) { return code >= kFirstMModelCode; }

// nullptr for a code outside the family.
constexpr const RelayFamilyModel* FindFamilyModel(int code)
{
    for (const RelayFamilyModel& r : kRelayFamily)
        if (r.code == code)
            return &r;
    return nullptr;
}

// The item of a code in the device-type lists: 1..7, 0 for a code outside the family.
constexpr int FamilyItem(int code)
{
    for (std::size_t i = 0; i < kRelayFamily.size(); ++i)
        if (kRelayFamily[i].code == code)
            return static_cast<int>(i) + 1;
    return 0;
}

// The code of item 1..7, 0 for any other item.
constexpr int FamilyCodeOfItem(int item)
{
    return item >= 1 && item <= static_cast<int>(kRelayFamily.size())
               ? kRelayFamily[static_cast<std::size_t>(item - 1)].code
               : 0;
}

// The device-type lists' text of a code, "" for a code outside the family.
constexpr const char* FamilyName(int code)
{
    const RelayFamilyModel* r = FindFamilyModel(code);
    return r ? r->name : "";
}

// Currents of the setpoints and journals in hundredths of an ampere (306 and the M models;
// the others count tenths).
constexpr bool CurrentsInHundredths(int code)
{
    const RelayFamilyModel* r = FindFamilyModel(code);
    return IsMModel(code) || (r && r->setpoints == SetpointSet::Set306);
}

// The high current range of the oscillogram: the non-M models of the 705 catalogue.
constexpr bool HighCurrentRange(int code)
{
    const RelayFamilyModel* r = FindFamilyModel(code);
    return r && !r->m && r->setpoints == SetpointSet::Set705;
}

// The window and list title of a code: " ТИРВ" for 0, " ТИРВ - %iМ" with code − 10 for an M
// code, " ТИРВ - %i" with the code otherwise (UTF-8).
std::string RelayTitle(int code);
// "306, 705, …, 717": the family's codes for a help text or a refusal.
std::string FamilyCodeList();

}  // namespace tirv
