#include "sim/setpoint_registers.h"

#include <span>
#include <utility>

namespace tirv::sim {
namespace {

// Register order entries: a numeric setpoint, flag k or choice k.
enum : std::uint16_t { kNumeric = 0, kFlag = 0x1000, kChoice = 0x2000 };
constexpr std::uint16_t N(int i) { return static_cast<std::uint16_t>(kNumeric + i); }
constexpr std::uint16_t F(int i) { return static_cast<std::uint16_t>(kFlag + i); }
constexpr std::uint16_t C(int i) { return static_cast<std::uint16_t>(kChoice + i); }

constexpr std::uint16_t kOrderNonM[115] = {
    F(0), N(0), N(1), N(2), N(3), F(1), F(2), F(3), F(4), F(5), N(4), N(5), N(6), N(7), C(0),
    F(6), F(7), F(8), F(9), F(10), F(11), N(8), N(9), N(10), N(11), C(1), F(12), F(13), F(14),
    F(15), F(16), F(17), C(2), N(12), N(13), N(14), N(15), N(16), N(17), N(18), F(18), N(19),
    C(3), N(20), N(21), N(22), N(23), N(24), F(19), C(4), C(5), N(25), N(26), N(27), N(28),
    N(29), F(20), F(21), F(22), C(6), N(30), N(31), N(32), N(33), C(7), N(34), N(35), F(23),
    F(24), F(25), C(8), N(36), N(37), N(38), N(39), F(26), F(27), F(28), C(9), N(40), N(41),
    N(42), F(29), F(30), C(10), N(43), F(31), F(32), N(44), N(45), F(33), F(34), F(35), F(36),
    F(37), N(46), N(47), N(48), F(38), F(39), C(11), F(40), C(12), N(49), N(50), F(41), F(42),
    F(43), F(44), F(45), F(46), F(47), F(48), F(49), N(51)};

constexpr std::uint16_t kOrderM[127] = {
    F(0), N(0), N(1), N(2), N(3), F(1), F(2), F(3), F(4), F(5), N(4), N(5), N(6), N(7), C(0),
    F(6), F(7), F(8), F(9), F(10), F(11), N(8), N(9), N(10), N(11), C(1), F(12), F(13), F(14),
    F(15), F(16), F(17), C(2), N(12), N(13), N(14), N(15), N(16), N(17), N(18), F(18), N(19),
    C(3), N(20), N(21), N(22), N(23), F(19), C(4), N(24), N(25), N(26), N(27), F(20), F(21),
    C(5), N(28), N(29), F(22), N(30), N(31), C(6), F(23), N(32), C(7), F(24), F(25), C(8),
    N(33), N(34), N(35), N(36), F(26), F(27), C(9), N(37), N(38), N(39), N(40), F(28), F(29),
    F(30), C(10), N(41), N(42), N(43), F(31), F(32), C(11), N(44), F(33), F(34), N(45), N(46),
    F(35), F(36), F(37), F(38), F(39), F(40), F(41), F(42), F(43), C(12), N(47), F(44), N(48),
    N(49), N(50), F(45), N(51), N(52), C(13), C(14), N(53), N(54), C(15), C(16), C(17), F(46),
    F(47), F(48), F(49), F(50), F(51), F(52), N(55)};

// Minimal set: editor minimum × resolution factor; `Tпредыст.` 0.50 s.
constexpr std::int32_t kMinimal705[52] = {
    20, 0, 20, 0, 10, 5, 10, 5, 4, 5, 4, 5, 4, 20, 1, 4, 20, 1, 1, -180, 0, 50, 92, 4, 3, 2,
    10, 20, 92, 4, 5, 5, 10, -180, 92, 0, 1000, 600, 20, 92, 50, 20, 104, 20, 50, 10, 4, 15, 25,
    20, 600, 50};
constexpr std::int32_t kMinimal306[52] = {
    40, 0, 40, 0, 20, 5, 20, 5, 8, 5, 8, 5, 8, 20, 1, 8, 20, 1, 1, -180, 0, 50, 92, 4, 3, 4,
    10, 20, 92, 4, 5, 5, 10, -180, 92, 0, 1000, 600, 20, 92, 50, 20, 104, 20, 50, 10, 8, 15, 25,
    20, 600, 50};
constexpr std::int32_t kMinimalM[56] = {
    200, 0, 200, 0, 100, 5, 100, 5, 40, 5, 40, 5, 40, 20, 1, 40, 20, 1, 1, -180, 0, 50, 92, 4,
    10, 20, 92, 4, 5, 92, 5, 20, -180, 5, 80, 20, 0, 1000, 600, 20, 92, 50, 20, 104, 20, 50, 10,
    20, 20, 15, 25, 20, 4, 300, 1, 50};

constexpr int kAnglesNonM[] = {19, 33};
constexpr int kAnglesM[] = {19, 32};
constexpr int kChoiceOffsetNonM[13] = {2, 2, 8, 45, 8, 60, 57, 45, 8, 8, 10, 16, 23};
constexpr int kChoiceOffsetM[18] = {2, 2, 8, 48, 8, 8, 12, 48, 8, 8, 8, 10, 14, 23, 16, 63, 250, 250};

// Flags set in the minimal set: `Общие ТТ фазы B` and `В АЖ фикс. Ia` … `Uc`.
constexpr int kMinimalFlagsNonM[] = {41, 43, 44, 45, 46, 47, 48};
constexpr int kMinimalFlagsM[] = {45, 46, 47, 48, 49, 50, 51};

struct IndexValue {
    int index;  // image index
    std::int32_t value;
};

// The configured set on top of the minimal one. Load current ≈ 3.2 A, the recorded fault
// ≈ 12 A: МТЗ-3 (4 A) and МТЗ-2 (10 A) start, МТЗ-2 trips after 0.5 s, МТЗ-1 (18 A +) stays.
// Flags: МТЗ-1/2/3 Вкл. (F0, F5, F11), ОЗЗ Вкл. (F21), АПВ Вкл. and УРОВ Вкл.
constexpr IndexValue kConfigured705[] = {
    {0, 600}, {1, 10}, {2, 600}, {3, 10}, {4, 100}, {5, 50}, {6, 100}, {7, 50}, {8, 40},
    {9, 150}, {10, 40}, {11, 150}, {19, -30}, {21, 400}, {30, 150}, {31, 200}, {32, 100},
    {33, -90}, {49, 400}, {50, 1000}, {52 + 0, 1}, {52 + 5, 1}, {52 + 11, 1}, {52 + 21, 1},
    {52 + 30, 1}, {52 + 37, 1}, {102 + 0, 1}, {102 + 3, 2}};
constexpr IndexValue kConfigured306[] = {
    {0, 2000}, {1, 10}, {2, 2000}, {3, 10}, {4, 1000}, {5, 50}, {6, 1000}, {7, 50}, {8, 400},
    {9, 150}, {10, 400}, {11, 150}, {19, -30}, {21, 400}, {30, 150}, {31, 200}, {32, 100},
    {33, -90}, {49, 400}, {50, 1000}, {52 + 0, 1}, {52 + 5, 1}, {52 + 11, 1}, {52 + 21, 1},
    {52 + 30, 1}, {52 + 37, 1}, {102 + 0, 1}, {102 + 3, 2}};
constexpr IndexValue kConfiguredM[] = {
    {0, 1800}, {1, 10}, {2, 1800}, {3, 10}, {4, 1000}, {5, 50}, {6, 1000}, {7, 50}, {8, 400},
    {9, 150}, {10, 400}, {11, 150}, {19, -30}, {21, 400}, {28, 200}, {30, 150}, {31, 100},
    {32, -90}, {51, 400}, {52, 80}, {53, 1000}, {54, 5}, {56 + 0, 1}, {56 + 5, 1}, {56 + 11, 1},
    {56 + 21, 1}, {56 + 32, 1}, {56 + 44, 1}, {109 + 0, 1}, {109 + 3, 2}};

struct Profile {
    int numeric;
    int flags;
    int choices;
    std::uint16_t angleBase;
    std::span<const std::uint16_t> order;
    std::span<const std::int32_t> minimal;
    std::span<const int> angles;
    std::span<const int> choiceOffsets;
    std::span<const int> minimalFlags;
    std::span<const IndexValue> configured;
};

Profile ProfileOf(const RelayModel& model)
{
    switch (model.setpoints) {
    case SetpointSet::Set306:
        return {52, 50, 13, 32800, kOrderNonM, kMinimal306, kAnglesNonM, kChoiceOffsetNonM,
                kMinimalFlagsNonM, kConfigured306};
    case SetpointSet::SetM:
        return {56, 53, 18, 32803, kOrderM, kMinimalM, kAnglesM, kChoiceOffsetM, kMinimalFlagsM,
                kConfiguredM};
    case SetpointSet::Set705:
        break;
    }
    return {52, 50, 13, 32800, kOrderNonM, kMinimal705, kAnglesNonM, kChoiceOffsetNonM,
            kMinimalFlagsNonM, kConfigured705};
}

bool IsAngle(const Profile& p, int numericIndex)
{
    for (int a : p.angles)
        if (a == numericIndex)
            return true;
    return false;
}

std::vector<std::int32_t> MinimalImage(const Profile& p)
{
    std::vector<std::int32_t> image(static_cast<std::size_t>(p.numeric + p.flags + p.choices), 0);
    for (int i = 0; i < p.numeric; ++i)
        image[static_cast<std::size_t>(i)] = p.minimal[static_cast<std::size_t>(i)];
    for (int f : p.minimalFlags)
        image[static_cast<std::size_t>(p.numeric + f)] = 1;
    return image;
}

std::vector<std::uint16_t> ToRegisters(const Profile& p, const std::vector<std::int32_t>& image)
{
    std::vector<std::uint16_t> regs;
    regs.reserve(p.order.size());
    for (std::uint16_t entry : p.order) {
        const int kind = entry & 0xF000;
        const int k = entry & 0x0FFF;
        std::int32_t w = 0;
        if (kind == kNumeric) {
            const std::int32_t v = image[static_cast<std::size_t>(k)];
            w = IsAngle(p, k) ? (v + 180) / 15 + p.angleBase : v;
        } else if (kind == kFlag) {
            w = image[static_cast<std::size_t>(p.numeric + k)] + 0x8000;
        } else {
            w = image[static_cast<std::size_t>(p.numeric + p.flags + k)] +
                p.choiceOffsets[static_cast<std::size_t>(k)] + 0x8000;
        }
        regs.push_back(static_cast<std::uint16_t>(w));
    }
    return regs;
}

}  // namespace

std::vector<std::uint16_t> SetpointImageToRegisters(const RelayModel& model,
                                                    const std::vector<std::int32_t>& image)
{
    const Profile p = ProfileOf(model);
    if (image.size() < static_cast<std::size_t>(p.numeric + p.flags + p.choices))
        return {};
    return ToRegisters(p, image);
}

std::vector<std::uint16_t> MinimalSetpointRegisters(const RelayModel& model)
{
    const Profile p = ProfileOf(model);
    return ToRegisters(p, MinimalImage(p));
}

std::vector<std::uint16_t> InitialSetpointRegisters(const RelayModel& model)
{
    const Profile p = ProfileOf(model);
    std::vector<std::int32_t> image = MinimalImage(p);
    for (const IndexValue& iv : p.configured)
        image[static_cast<std::size_t>(iv.index)] = iv.value;
    return ToRegisters(p, image);
}

std::uint16_t SetpointTextBias(const RelayModel& model, int reg)
{
    const Profile p = ProfileOf(model);
    if (reg < 0 || reg >= static_cast<int>(p.order.size()))
        return 0;
    const std::uint16_t entry = p.order[static_cast<std::size_t>(reg)];
    const int kind = entry & 0xF000;
    if (kind == kNumeric)
        return IsAngle(p, entry & 0x0FFF) ? static_cast<std::uint16_t>(p.angleBase - 32) : 0;
    return 0x8000;
}

}  // namespace tirv::sim
