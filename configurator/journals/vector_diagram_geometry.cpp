#include "configurator/journals/vector_diagram_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tirv {
namespace {

// The relays' own tools take π as 3.1415926535; kept so that tips land on the same pixels.
constexpr double kRadiansPerDegree = 0.017453292519444445;

constexpr std::size_t KindIndex(PhasorKind kind)
{
    return static_cast<std::size_t>(kind);
}

PhasorShape LayOutPhasor(std::size_t k, const PhasorInput& p, PixelPoint centre, double length)
{
    PhasorShape shape;
    shape.phasor = k;
    shape.colour = p.colour;
    shape.length = length;
    const double degrees = p.angleTenths / 10.0;
    const double theta = degrees * kRadiansPerDegree;
    // Truncated towards the centre, as the tips have always been placed; |L| ≤ radius, so the
    // conversions cannot overflow.
    const PixelPoint tip{centre.x + static_cast<int>(std::trunc(length * std::cos(theta))),
                         centre.y - static_cast<int>(std::trunc(length * std::sin(theta)))};
    shape.line = {centre, tip};
    if (length > kArrowheadMinLength) {
        shape.hasArrowhead = true;
        constexpr int kHalf = kArrowheadSquare / 2;
        double start = std::fmod(degrees + 180.0 - kArrowheadSpanDegrees / 2.0, 360.0);
        if (start < 0.0)
            start += 360.0;
        shape.arrowhead = {
            {tip.x - kHalf, tip.y - kHalf}, kArrowheadSquare, start, kArrowheadSpanDegrees};
    }
    return shape;
}

}  // namespace

bool IsDrawablePhasor(const PhasorInput& phasor)
{
    return std::isfinite(phasor.magnitude) && phasor.magnitude >= 0.0 &&
           phasor.magnitude <= kMaxPhasorMagnitude && std::isfinite(phasor.angleTenths);
}

VectorDiagramGeometry LayOutVectorDiagram(int width, int height,
                                          std::span<const PhasorInput> phasors)
{
    VectorDiagramGeometry g;
    g.width = std::max(width, 0);
    g.height = std::max(height, 0);
    const int cx = g.width / 2;
    const int cy = g.height / 2;
    const int margin = std::abs(cx - cy);
    g.centre = {cx, cy};
    g.radius = std::min(cx, cy) - kDiagramRadiusInset;
    g.horizontalAxis = {{margin + kDiagramAxisInset, cy},
                        {g.width - margin - kDiagramAxisInset, cy}};
    g.verticalAxis = {{cx, kDiagramAxisInset}, {cx, g.height - kDiagramAxisInset}};
    if (g.radius <= 0)
        return g;

    const std::size_t count = std::min(phasors.size(), kDrawnPhasorCount);
    std::array<double, 2> longest{};  // by kind
    for (std::size_t k = 0; k < count; ++k) {
        const PhasorInput& p = phasors[k];
        if (p.selected && IsDrawablePhasor(p)) {
            double& m = longest[KindIndex(kPhasorKinds[k])];
            m = std::max(m, p.magnitude);
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        const PhasorInput& p = phasors[k];
        const double m = longest[KindIndex(kPhasorKinds[k])];
        if (!p.selected || !IsDrawablePhasor(p) || m <= 0.0)
            continue;
        // As a ratio first, so that the longest phasor of a kind is exactly the radius long.
        const double length = g.radius * (p.magnitude / m);
        g.phasors[g.phasorCount++] = LayOutPhasor(k, p, g.centre, length);
    }
    return g;
}

}  // namespace tirv
