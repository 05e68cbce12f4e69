#pragma once
// The default image, the recording-time rule and the check applied to every image that comes
// from the relay or from a file.
#include "common/message.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"

#include <string>
#include <vector>

namespace tirv {

// New setpoints: every numeric setpoint at its editor minimum (scaled by its default factor in
// double precision, rounded to single precision, truncated), `Tпредыст.` 0.50 s, flags and
// choices 0, then `Общие ТТ фазы B` and `В АЖ фикс. Ia` … `Uc` on.
SetpointImage DefaultImage(const ModelProfile& p);
SetpointImage DefaultImage(int modelCode);

// The oscillogram recording time is shared by the recorded phase channels (`В АЖ фикс. Ia` …
// `Uc`; 3Io does not count), so it bounds the pre-fault time `Tпредыст.`.
struct RecordingTime {
    int channels = 0;      // recorded phase channels, 0..6
    int rawMax = 0;        // 1200 / channels, 0 without channels
    double seconds = 0.0;  // 12 / channels, 0 without channels
};
RecordingTime RecordingTimeFor(const ModelProfile& p, const SetpointImage& image);
// Raw maximum of numeric setpoint i under the recording-time rule.
int RawMaxFor(const ModelProfile& p, const SetpointImage& image, int numericIndex);

// What the check reports, as data; the operations turn it into message boxes.
enum class CheckFault {
    Flag,     // a flag other than 0 or 1 (caption "Switch")
    Choice,   // a choice outside 0..max (caption "Combo")
    Numeric,  // a numeric setpoint outside its raw bounds (caption "Edit")
};

struct CheckFinding {
    CheckFault fault;
    int item;   // flag, choice or numeric number within its class
    int value;  // the offending value
    int min;
    int max;
};

// The four steps: flags 0/1 (stop at the first), choices in range (all reported, then reject),
// the recording-time rule, numeric raw bounds (stop at the first). Messages are appended when
// `messages` is given.
bool CheckImage(const ModelProfile& p, const SetpointImage& image,
                std::vector<CheckFinding>* messages = nullptr);

// The warning box that reports one finding.
Message CheckFindingBox(const CheckFinding& f);

}  // namespace tirv
