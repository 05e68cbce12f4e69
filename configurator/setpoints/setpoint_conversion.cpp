// Image value ⇄ register word. Angles travel as a code for (angle + 180) / 15 counted from a base;
// Modbus flags and choices carry a 0x8000 bias so that the relay can tell them from numbers;
// choices add a per-setpoint offset.
#include "configurator/setpoints/setpoint_conversion.h"

#include <algorithm>

namespace tirv {
namespace {

constexpr std::int32_t kModbusBias = 0x8000;
constexpr std::int32_t kTextAngleBase = 32;
constexpr std::int32_t kAngleStep = 15;
constexpr std::int32_t kAngleMin = -180;

struct WireCoding {
    std::int32_t angleBase;
    std::int32_t flagBias;
};

WireCoding CodingFor(const ModelProfile& p, SetpointWire wire)
{
    if (wire == SetpointWire::Modbus)
        return {p.angleBase, kModbusBias};
    return {kTextAngleBase, 0};
}

bool IsAngle(const ModelProfile& p, int imageIndex)
{
    return p.numeric[static_cast<std::size_t>(imageIndex)].kind == SetpointKind::Angle;
}

int ChoiceOffset(const ModelProfile& p, int imageIndex)
{
    return p.choices[static_cast<std::size_t>(imageIndex - p.choiceIndex(0))].offset;
}

}  // namespace

std::uint16_t SetpointToWord(const ModelProfile& p, SetpointWire wire, int imageIndex,
                             std::int32_t value)
{
    const WireCoding c = CodingFor(p, wire);
    std::int32_t w = value;
    switch (p.classOf(imageIndex)) {
    case SetpointClass::Numeric:
        if (IsAngle(p, imageIndex))
            w = (value - kAngleMin) / kAngleStep + c.angleBase;
        break;
    case SetpointClass::Flag:
        w = value + c.flagBias;
        break;
    case SetpointClass::Choice:
        w = value + ChoiceOffset(p, imageIndex) + c.flagBias;
        break;
    case SetpointClass::Unused:
        break;
    }
    return static_cast<std::uint16_t>(w);
}

std::int32_t WordToSetpoint(const ModelProfile& p, SetpointWire wire, int imageIndex,
                            std::uint16_t word)
{
    const WireCoding c = CodingFor(p, wire);
    const std::int32_t w = word;
    switch (p.classOf(imageIndex)) {
    case SetpointClass::Numeric:
        if (IsAngle(p, imageIndex))
            return (w - c.angleBase) * kAngleStep + kAngleMin;
        return w;
    case SetpointClass::Flag:
        return w - c.flagBias;
    case SetpointClass::Choice:
        return w - c.flagBias - ChoiceOffset(p, imageIndex);
    case SetpointClass::Unused:
        break;
    }
    return w;
}

int ImageIndexOfRegister(const ModelProfile& p, int reg)
{
    if (reg < 0 || reg >= p.imageWords || reg >= static_cast<int>(p.registerOrder.size()))
        return -1;
    return p.registerOrder[static_cast<std::size_t>(reg)];
}

std::uint16_t ImageToRegister(const ModelProfile& p, SetpointWire wire, const SetpointImage& image,
                              int reg)
{
    const int i = ImageIndexOfRegister(p, reg);
    if (i < 0)
        return 0;
    return SetpointToWord(p, wire, i, image[static_cast<std::size_t>(i)]);
}

bool RegisterToImage(const ModelProfile& p, SetpointWire wire, SetpointImage& image, int reg,
                     std::uint16_t word)
{
    const int i = ImageIndexOfRegister(p, reg);
    if (i < 0)
        return false;
    image[static_cast<std::size_t>(i)] = WordToSetpoint(p, wire, i, word);
    return true;
}

std::vector<std::uint16_t> ImageToRegisters(const ModelProfile& p, const SetpointImage& image)
{
    std::vector<std::uint16_t> regs(static_cast<std::size_t>(p.imageWords));
    for (int r = 0; r < p.imageWords; ++r)
        regs[static_cast<std::size_t>(r)] = ImageToRegister(p, SetpointWire::Modbus, image, r);
    return regs;
}

std::vector<std::uint16_t> ImageToRegisters(int modelCode, const SetpointImage& image)
{
    return ImageToRegisters(ProfileForModel(modelCode), image);
}

void RegistersToImage(const ModelProfile& p, std::span<const std::uint16_t> registers,
                      SetpointImage& image)
{
    const int n = std::min(p.imageWords, static_cast<int>(registers.size()));
    for (int r = 0; r < n; ++r)
        RegisterToImage(p, SetpointWire::Modbus, image, r, registers[static_cast<std::size_t>(r)]);
}

}  // namespace tirv
