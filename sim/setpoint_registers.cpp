#include "sim/setpoint_registers.h"

#include <cmath>

#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"

namespace tirv::sim {
namespace {

struct NamedValue {
    const char* name;
    double value;  // display units (A, s, degrees …); flags and choices as 0/1 and indices
};

// Load ≈ 3.2 A; the stored fault ≈ 12 A on phases B and C: МТЗ-3 (4 A) and МТЗ-2 (10 A) start,
// МТЗ-2 trips after 0.5 s, МТЗ-1 (18 A) stays quiet. Names are the catalogue's.
constexpr NamedValue kConfiguredCommon[] = {
    {"МТЗ-1 гр.А I", 18.0},  {"МТЗ-1 гр.А T", 0.1},  {"МТЗ-1 гр.B I", 18.0},
    {"МТЗ-1 гр.B T", 0.1},   {"МТЗ-2 гр.А I", 10.0}, {"МТЗ-2 гр.А T", 0.5},
    {"МТЗ-2 гр.B I", 10.0},  {"МТЗ-2 гр.B T", 0.5},  {"МТЗ-3 гр.А I", 4.0},
    {"МТЗ-3 гр.А T", 1.5},   {"МТЗ-3 гр.B I", 4.0},  {"МТЗ-3 гр.B T", 1.5},
    {"МТЗ-общие Угол макс.чувств.", -30}, {"АПВ Выдержка Т", 2.0},
    {"Tпредыст.", kConfiguredPreFaultHundredths / 100.0},
    {"МТЗ-1 Вкл.", 1}, {"МТЗ-2 Вкл.", 1}, {"МТЗ-3 Вкл.", 1}, {"МТЗ-2 АПВ", 1},
    {"АПВ Вкл.", 1},   {"УРОВ Вкл.", 1},  {"АПВ Кратн.действия", 1},
};
constexpr NamedValue kConfiguredNonM[] = {{"ОЗЗ Вкл.", 1}, {"ОЗЗ 3Io", 0.5}};
constexpr NamedValue kConfiguredM[] = {{"ОЗЗ-1Г Вкл.", 1}, {"ОЗЗ-1Г 3Io", 0.5}};

void Set(const ModelProfile& p, SetpointImage& image, const NamedValue& nv)
{
    const int index = p.find(nv.name);
    if (index < 0)
        return;
    if (p.classOf(index) == SetpointClass::Numeric) {
        const NumericSetpoint& n = p.numeric[static_cast<std::size_t>(index)];
        image[static_cast<std::size_t>(index)] =
            static_cast<std::int32_t>(std::lround(nv.value * ResolutionFactor(n.kind)));
    } else {
        image[static_cast<std::size_t>(index)] = static_cast<std::int32_t>(nv.value);
    }
}

// A setpoint register's word in the `from` coding recoded to the `to` coding; words of other
// registers pass unchanged.
std::uint16_t Recode(const RelayModel& model, int reg, std::uint16_t word, SetpointWire from,
                     SetpointWire to)
{
    const ModelProfile p = ProfileForModel(model.code);
    const int index = ImageIndexOfRegister(p, reg);
    if (index < 0)
        return word;
    return SetpointToWord(p, to, index, WordToSetpoint(p, from, index, word));
}

}  // namespace

std::vector<std::uint16_t> MinimalSetpointRegisters(const RelayModel& model)
{
    const ModelProfile p = ProfileForModel(model.code);
    return ImageToRegisters(p, DefaultImage(p));
}

std::vector<std::uint16_t> InitialSetpointRegisters(const RelayModel& model)
{
    const ModelProfile p = ProfileForModel(model.code);
    SetpointImage image = DefaultImage(p);
    for (const NamedValue& nv : kConfiguredCommon)
        Set(p, image, nv);
    if (model.m) {
        for (const NamedValue& nv : kConfiguredM)
            Set(p, image, nv);
    } else {
        for (const NamedValue& nv : kConfiguredNonM)
            Set(p, image, nv);
    }
    return ImageToRegisters(p, image);
}

std::uint16_t SetpointRegisterToText(const RelayModel& model, int reg, std::uint16_t word)
{
    return Recode(model, reg, word, SetpointWire::Modbus, SetpointWire::Text);
}

std::uint16_t SetpointTextToRegister(const RelayModel& model, int reg, std::uint16_t value)
{
    return Recode(model, reg, value, SetpointWire::Text, SetpointWire::Modbus);
}

}  // namespace tirv::sim
