#pragma once
// Conversion between the setpoint image and the relay's register words. Register r of the
// setpoint block (which starts at register address 0) holds the setpoint at image index
// profile.registerOrder[r]. Over Modbus (serial and TCP) flags and choices carry a 0x8000 bias
// and angles are coded from the profile's angle base; the ТИРВ protocol carries no bias and
// codes angles from 32.
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

enum class SetpointWire { Modbus, Text };

// Value ⇄ word for one image index. Words are 16 bits; a value that does not fit is cut to its
// low 16 bits, as the relay would store it.
std::uint16_t SetpointToWord(const ModelProfile& p, SetpointWire wire, int imageIndex,
                             std::int32_t value);
std::int32_t WordToSetpoint(const ModelProfile& p, SetpointWire wire, int imageIndex,
                            std::uint16_t word);

// Image index held by register r of the setpoint block; -1 outside 0..imageWords-1.
int ImageIndexOfRegister(const ModelProfile& p, int reg);

// Register r of the block from the image (0 for a register outside the block).
std::uint16_t ImageToRegister(const ModelProfile& p, SetpointWire wire, const SetpointImage& image,
                              int reg);
// Stores register r of the block into the image; false (image untouched) outside the block.
bool RegisterToImage(const ModelProfile& p, SetpointWire wire, SetpointImage& image, int reg,
                     std::uint16_t word);

// The whole block (imageWords registers) as the relay holds it over Modbus; used by the
// simulator to fill its registers and by tests.
std::vector<std::uint16_t> ImageToRegisters(const ModelProfile& p, const SetpointImage& image);
std::vector<std::uint16_t> ImageToRegisters(int modelCode, const SetpointImage& image);
// The inverse: registers (Modbus) into `image`; registers beyond imageWords are ignored.
void RegistersToImage(const ModelProfile& p, std::span<const std::uint16_t> registers,
                      SetpointImage& image);

}  // namespace tirv
