#include "configurator/journals/journal_sectors.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tirv {
namespace {

constexpr int kRadiusInset = 10;
constexpr double kSectorStepDegrees = 15.0;
constexpr std::size_t kAngleUab = 6, kAngleUbc = 7, kAngleUca = 8, kAngle3Io = 9, kAngle3Uo = 10;

struct PhaseSector {
    SectorKind kind;
    std::size_t referenceAngle;  // the line voltage the sector turns with
    std::size_t colourPhasor;
};
constexpr std::array<PhaseSector, 3> kPhaseSectors{{
    {SectorKind::Ic, kAngleUab, kAngleUab},
    {SectorKind::Ia, kAngleUbc, kAngleUbc},
    {SectorKind::Ib, kAngleUca, kAngleUca},
}};

constexpr std::array<const char*, 3> kPhaseStagesOn{"МТЗ-1 Вкл.", "МТЗ-2 Вкл.", "МТЗ-3 Вкл."};
constexpr char kPhaseAngle[] = "МТЗ-общие Угол макс.чувств.";
constexpr char kPhaseSectorChoice[] = "МТЗ-общие Угол сектора";
constexpr char kEarthSectorChoice[] = "ОЗЗ Угол сектора";

// A setpoint that must hold a value for the 3Io sector to be drawn (all of them, per class).
struct Requirement {
    const char* name;
    int value;
};
struct EarthRule {
    const char* angle;
    std::array<Requirement, 2> requirements;
    std::size_t requirementCount;
};
constexpr EarthRule kEarthRuleOther{"ОЗЗ Угол макс.чувств.", {{{"ОЗЗ Алг.защиты", 1}, {}}}, 1};
constexpr EarthRule kEarthRuleM{
    "ОЗЗ-1Г Угол макс.чувств.", {{{"ОЗЗ-1Г Вкл.", 1}, {"ОЗЗ-1Г Направ.", 1}}}, 2};

// The setpoint's value, or nothing when the profile does not hold it.
bool ValueOf(const SetpointImage& image, const ModelProfile& p, const char* name, int& value)
{
    const int index = p.find(name);
    if (index < 0 || index >= kSetpointImageSize)
        return false;
    value = image[static_cast<std::size_t>(index)];
    return true;
}

bool Holds(const SetpointImage& image, const ModelProfile& p, const Requirement& r)
{
    int v = 0;
    return ValueOf(image, p, r.name, v) && v == r.value;
}

double Normalised(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360.0 : d;
}

SectorPoint PointAt(SectorPoint c, int r, double degrees)
{
    const double t = degrees * std::numbers::pi / 180.0;
    // Rounded, not truncated: an edge at exactly 30° must not lose a pixel to 44.999….
    return {c.x + static_cast<int>(std::lround(r * std::cos(t))),
            c.y - static_cast<int>(std::lround(r * std::sin(t)))};
}

OperatingSector Sector(SectorKind kind, std::size_t colourPhasor, double centre, double halfWidth,
                       SectorPoint c, int r)
{
    OperatingSector s;
    s.kind = kind;
    s.colourPhasor = colourPhasor;
    s.centreDegrees = Normalised(centre);
    s.halfWidthDegrees = halfWidth;
    s.radius = r;
    s.centre = c;
    s.squareTopLeft = {c.x - r, c.y - r};
    s.squareSize = 2 * r;
    s.startDegrees = Normalised(centre - halfWidth);
    s.spanDegrees = std::min(2 * halfWidth, 360.0);
    s.centreLineEnd = PointAt(c, r, centre);
    s.startEdgeEnd = PointAt(c, r, centre - halfWidth);
    s.endEdgeEnd = PointAt(c, r, centre + halfWidth);
    return s;
}

}  // namespace

OperatingSectors LayOutOperatingSectors(int width, int height, std::span<const double, 11> angles,
                                        const SetpointImage& setpoints, const ModelProfile& profile,
                                        const std::array<bool, kSectorKinds>& boxes)
{
    OperatingSectors out;
    const SectorPoint c{width / 2, height / 2};
    const int r = std::min(c.x, c.y) - kRadiusInset;
    if (r <= 0)
        return out;
    auto finite = [](double a) { return std::isfinite(a); };

    const bool phaseOn = std::any_of(kPhaseStagesOn.begin(), kPhaseStagesOn.end(), [&](auto n) {
        return Holds(setpoints, profile, {n, 1});
    });
    int phaseAngle = 0, phaseChoice = 0;
    if (phaseOn && ValueOf(setpoints, profile, kPhaseAngle, phaseAngle) &&
        ValueOf(setpoints, profile, kPhaseSectorChoice, phaseChoice)) {
        const double w = (phaseChoice + 1) * kSectorStepDegrees;
        for (const PhaseSector& ps : kPhaseSectors)
            if (boxes[static_cast<std::size_t>(ps.kind)] && finite(angles[ps.referenceAngle]))
                out.sectors[out.count++] = Sector(ps.kind, ps.colourPhasor,
                                                  phaseAngle + angles[ps.referenceAngle], w, c, r);
    }

    const EarthRule& rule = profile.isM ? kEarthRuleM : kEarthRuleOther;
    const auto reqs = std::span(rule.requirements).first(rule.requirementCount);
    const bool earthOn = std::all_of(reqs.begin(), reqs.end(), [&](const Requirement& q) {
        return Holds(setpoints, profile, q);
    });
    int earthAngle = 0, earthChoice = 0;
    if (boxes[static_cast<std::size_t>(SectorKind::I0)] && earthOn &&
        ValueOf(setpoints, profile, rule.angle, earthAngle) &&
        ValueOf(setpoints, profile, kEarthSectorChoice, earthChoice) && finite(angles[kAngle3Uo])) {
        const double w = (earthChoice + 1) * kSectorStepDegrees;
        out.sectors[out.count++] =
            Sector(SectorKind::I0, kAngle3Io, earthAngle + angles[kAngle3Uo], w, c, r);
    }
    return out;
}

}  // namespace tirv
