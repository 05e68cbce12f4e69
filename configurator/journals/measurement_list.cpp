#include "configurator/journals/measurement_list.h"

#include "configurator/journals/measurement_texts.h"

namespace tirv {
namespace {

namespace tx = measurement_texts;

constexpr std::uint8_t kRightEdge = 51;  // two-letter names and the phase letters
constexpr std::uint8_t kLineVoltage = 49;
constexpr std::uint8_t kRmsAndAverage = 50;
constexpr std::uint8_t kLowHarmonic = 30;
constexpr std::uint8_t kHighHarmonic = 28;

}  // namespace

const std::array<MeasurementListLabel, 40> kMeasurementListLabels{{
    {0, 0, tx::kRowPhaseCurrents},
    {1, kRightEdge, tx::kPhasorNames[0]},
    {2, kRightEdge, tx::kPhasorNames[1]},
    {3, kRightEdge, tx::kPhasorNames[2]},
    {5, 0, tx::kRowPhaseVoltages},
    {6, kRightEdge, tx::kPhasorNames[3]},
    {7, kRightEdge, tx::kPhasorNames[4]},
    {8, kRightEdge, tx::kPhasorNames[5]},
    {10, 0, tx::kRowLineVoltages},
    {11, kLineVoltage, tx::kPhasorNames[6]},
    {12, kLineVoltage, tx::kPhasorNames[7]},
    {13, kLineVoltage, tx::kPhasorNames[8]},
    {15, 0, tx::kRowZeroCurrent},
    {16, 0, tx::kRowZeroVoltage},
    {18, 0, tx::kRowPositiveCurrent},
    {19, 0, tx::kRowNegativeCurrent},
    {21, 0, tx::kRowHarmonics},
    {22, kLowHarmonic, tx::kRowHarmonicOrders[0]},
    {23, kLowHarmonic, tx::kRowHarmonicOrders[1]},
    {24, kLowHarmonic, tx::kRowHarmonicOrders[2]},
    {25, kLowHarmonic, tx::kRowHarmonicOrders[3]},
    {26, kHighHarmonic, tx::kRowHarmonicOrders[4]},
    {27, kHighHarmonic, tx::kRowHarmonicOrders[5]},
    {28, 0, tx::kRowHarmonicsRms},
    {30, 0, tx::kRowRmsCurrents},
    {31, kRmsAndAverage, tx::kPhasorNames[0]},
    {32, kRmsAndAverage, tx::kPhasorNames[1]},
    {33, kRmsAndAverage, tx::kPhasorNames[2]},
    {35, 0, tx::kRowAverage},
    {36, kRmsAndAverage, tx::kPhasorNames[0]},
    {37, kRmsAndAverage, tx::kPhasorNames[1]},
    {38, kRmsAndAverage, tx::kPhasorNames[2]},
    {40, 0, tx::kRowBreakingCurrent},
    {41, kRightEdge, tx::kRowPhaseLetters[0]},
    {42, kRightEdge, tx::kRowPhaseLetters[1]},
    {43, kRightEdge, tx::kRowPhaseLetters[2]},
    {45, 0, tx::kRowFrequency},
    {47, 0, tx::kRowOperations},
    {49, 0, tx::kRowTemperature},
    {51, 0, tx::kRowBattery},
}};

std::string MeasurementListRowText(int row)
{
    for (const MeasurementListLabel& label : kMeasurementListLabels) {
        if (label.row == row)
            return std::string(label.padding, ' ') + label.text;
    }
    return {};
}

}  // namespace tirv
