#pragma once
// What a vector diagram consists of, worked out without any painter: a black square field, grey
// axes, and each selected phasor as a line from the centre in its colour, scaled per kind so that
// the longest selected current and the longest selected voltage each reach the radius, with an
// arrowhead when it is long enough to carry one. The measurement page and the emergency journal
// draw the result with QPainter, on screen and into images.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tirv {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

// Phasors in the relays' order: Ia, Ib, Ic, Ua, Ub, Uc, Uab, Ubc, Uca, 3Io, 3Uo, I2, I1.
inline constexpr std::size_t kPhasorCount = 13;
// I2 and I1 have no visible check box on either page and are never drawn.
inline constexpr std::size_t kDrawnPhasorCount = 11;

enum class PhasorKind : std::uint8_t { Current, Voltage };
inline constexpr std::array<PhasorKind, kPhasorCount> kPhasorKinds{
    PhasorKind::Current, PhasorKind::Current, PhasorKind::Current, PhasorKind::Voltage,
    PhasorKind::Voltage, PhasorKind::Voltage, PhasorKind::Voltage, PhasorKind::Voltage,
    PhasorKind::Voltage, PhasorKind::Current, PhasorKind::Voltage, PhasorKind::Current,
    PhasorKind::Current};

// Colours used until the settings supply others (those of the emergency journal for Ia…3Uo;
// white for the two phasors that are never drawn).
inline constexpr std::array<Rgb, kPhasorCount> kDefaultPhasorColours{{
    {255, 0, 0},
    {255, 0, 255},
    {255, 0, 128},  // Ia, Ib, Ic
    {0, 255, 0},
    {0, 128, 0},
    {0, 128, 128},  // Ua, Ub, Uc
    {0, 255, 255},
    {0, 0, 255},
    {128, 0, 255},  // Uab, Ubc, Uca
    {255, 255, 0},
    {255, 128, 0},  // 3Io, 3Uo
    {255, 255, 255},
    {255, 255, 255},  // I2, I1
}};

inline constexpr Rgb kDiagramBackground{0, 0, 0};
inline constexpr Rgb kDiagramAxisColour{128, 128, 128};
inline constexpr int kDiagramAxisPenWidth = 2;
inline constexpr int kDiagramAxisInset = 5;     // axes stop this far from the field's edge
inline constexpr int kDiagramRadiusInset = 10;  // the radius stays this far inside the square
inline constexpr int kArrowheadSquare = 40;     // the pie is cut from a square of this side
inline constexpr double kArrowheadSpanDegrees = 24.0;
inline constexpr double kArrowheadMinLength = 40.0;  // a phasor must be longer to carry one
// A magnitude above this is a corrupt value, not a measurement, and is left out.
inline constexpr double kMaxPhasorMagnitude = 1e6;

struct PhasorInput {
    bool selected = false;
    double magnitude = 0.0;
    double angleTenths = 0.0;  // tenths of a degree, counter-clockwise from the right
    Rgb colour{};
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    constexpr bool operator==(const PixelPoint&) const = default;
};

struct PixelLine {
    PixelPoint from;
    PixelPoint to;
};

// A pie cut from the square at `topLeft` with side `size`. Angles in degrees counter-clockwise
// from the right as seen on screen (QPainter::drawPie takes them × 16); start within [0, 360).
struct PieWedge {
    PixelPoint topLeft;
    int size = 0;
    double startDegrees = 0.0;
    double spanDegrees = 0.0;
};

struct PhasorShape {
    std::size_t phasor = 0;  // index in the relays' order
    Rgb colour{};
    PixelLine line;       // centre → tip
    double length = 0.0;  // pixels, before the tip was truncated to whole pixels
    bool hasArrowhead = false;
    PieWedge arrowhead;  // points back along the phasor from its tip
};

struct VectorDiagramGeometry {
    int width = 0;
    int height = 0;
    PixelPoint centre;
    int radius = 0;  // no phasors are laid out when the field leaves no positive radius
    PixelLine horizontalAxis;
    PixelLine verticalAxis;
    std::array<PhasorShape, kDrawnPhasorCount> phasors{};
    std::size_t phasorCount = 0;

    std::span<const PhasorShape> shapes() const { return std::span(phasors).first(phasorCount); }
};

// True when the phasor can be scaled and drawn: a finite magnitude from 0 to the limit and a
// finite angle.
bool IsDrawablePhasor(const PhasorInput& phasor);

// The diagram of a field of `width` × `height` pixels. `phasors` in the relays' order (the
// emergency journal passes its 11); entries from index 11 on are never drawn. Of each kind only
// drawable selected phasors count; a kind whose longest one is 0 draws nothing.
VectorDiagramGeometry LayOutVectorDiagram(int width, int height,
                                          std::span<const PhasorInput> phasors);

}  // namespace tirv
