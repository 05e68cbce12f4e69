#pragma once
// The operating sectors of the directional protections drawn under the vector diagram of the
// selected emergency event, worked out without any painter: the phase sectors "Ic", "Ia", "Ib"
// (when МТЗ-1, МТЗ-2 or МТЗ-3 is on) around the maximum-sensitivity angle added to the angle of
// Uab, Ubc or Uca, and the 3Io sector around the earth-fault angle added to the angle of 3Uo
// (non-M: `ОЗЗ Алг.защиты` = 1; M: `ОЗЗ-1Г Вкл.` and `ОЗЗ-1Г Направ.` both set). The half-width is
// (position of the sector-angle choice + 1) × 15 degrees. The renderer draws each as a hatched
// pie with a dotted arc, a dotted centre line and dashed edges.
#include <array>
#include <cstddef>
#include <span>

#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"

namespace tirv {

enum class SectorKind : std::uint8_t { Ic, Ia, Ib, I0 };  // check boxes 1848–1851
inline constexpr std::size_t kSectorKinds = 4;

struct SectorPoint {
    int x = 0;
    int y = 0;
    constexpr bool operator==(const SectorPoint&) const = default;
};

struct OperatingSector {
    SectorKind kind = SectorKind::Ic;
    // The phasor (Ia … 3Uo order: Uab 6, Ubc 7, Uca 8, 3Io 9) whose colour the sector takes.
    std::size_t colourPhasor = 0;
    double centreDegrees = 0.0;     // φ in [0, 360), counter-clockwise from the right
    double halfWidthDegrees = 0.0;  // w
    // The pie of the square of side 2r centred on the diagram, from φ − w over 2w degrees
    // counter-clockwise as seen on screen (start in [0, 360)).
    SectorPoint squareTopLeft;
    int squareSize = 0;
    double startDegrees = 0.0;
    double spanDegrees = 0.0;
    int radius = 0;
    SectorPoint centre;
    SectorPoint centreLineEnd;  // at φ, length r
    SectorPoint startEdgeEnd;   // at φ − w
    SectorPoint endEdgeEnd;     // at φ + w
};

struct OperatingSectors {
    std::array<OperatingSector, kSectorKinds> sectors{};
    std::size_t count = 0;
    std::span<const OperatingSector> shapes() const { return std::span(sectors).first(count); }
};

// Sectors for a diagram field of `width` × `height` pixels (centre w/2, h/2; r = min − 10), in the
// order Ic, Ia, Ib, 3Io, for the ticked `boxes` only. `angles` are the event's 11 angles in
// degrees (Ia … 3Uo); the rules read `setpoints` through `profile`. A field without a positive
// radius, or a setpoint missing from the profile, gives no sector.
OperatingSectors LayOutOperatingSectors(int width, int height, std::span<const double, 11> angles,
                                        const SetpointImage& setpoints, const ModelProfile& profile,
                                        const std::array<bool, kSectorKinds>& boxes);

}  // namespace tirv
