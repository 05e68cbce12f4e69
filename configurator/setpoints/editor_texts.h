#pragma once
// Every user-visible text of the setpoint editor tabs and of the МТЗ-2/МТЗ-3 calculator, UTF-8.
// Plain character arrays so that the Qt-free layout and calculator code can use them too.
#include <array>

namespace tirv::editor_texts {

// Tab buttons, tab 0..4.
inline constexpr std::array<const char*, 5> kTabButtons{
    "Уставки  МТЗ", "ЗОФ  и  ОЗЗ", "ЗПН  и  ЗМН", "Уст. автоматики", "Общие уставки"};

// Group boxes.
inline constexpr char kGroupMtz1[] = "МТЗ - 1";
inline constexpr char kGroupMtz2[] = "МТЗ - 2";
inline constexpr char kGroupMtz3[] = "МТЗ - 3";
inline constexpr char kGroupMtz4[] = "МТЗ - 4";
inline constexpr char kGroupMtzCommon[] = "МТЗ - общие";
inline constexpr char kGroupNps[] = "ЗОФ";
inline constexpr char kGroupEarth[] = "ОЗЗ";
inline constexpr char kGroupEarthFirst[] = "ОЗЗ по 1-й гармонике";
inline constexpr char kGroupEarthHigher[] = "ОЗЗ по высшим гармоникам";
inline constexpr char kGroupOver[] = "ЗПН";
inline constexpr char kGroupUnder[] = "ЗМН";
inline constexpr char kGroupReclose[] = "АПВ";
inline constexpr char kGroupTransfer[] = "АВР";
inline constexpr char kGroupArc[] = "ДЗ";
inline constexpr char kGroupBreakerFail[] = "УРОВ";
inline constexpr char kGroupLoadShed[] = "АЧР";
inline constexpr char kGroupGas[] = "ГЗ";
inline constexpr char kGroupThermal[] = "ТЗ";
// Tab 4 groups carry no fixed title in the relay's tool; these are ours.
inline constexpr char kGroupGeneral[] = "Общие";
inline constexpr char kGroupRecording[] = "Аварийный журнал";
inline constexpr char kRecordingTimeLabel[] = "Tзаписи";

// Units shown after a field's label, by the catalogue's unit code.
struct UnitName {
    const char* code;
    const char* shown;
};
inline constexpr std::array<UnitName, 7> kUnits{{{"A", "А"},
                                                 {"s", "с"},
                                                 {"min", "мин"},
                                                 {"V", "В"},
                                                 {"kV", "кВ"},
                                                 {"deg", "град"},
                                                 {"-", ""}}};

// Field validation.
inline constexpr char kCaptionSetpointInput[] = "Ошибка ввода уставки";
inline constexpr char kEnterValue[] = "Введите значение!";
inline constexpr char kNotANumber[] =
    "Уставка должна быть представлена либо целым числом, либо в виде десятичной дроби";
inline constexpr char kBelowMin[] = "Уставка не может быть меньше минимально допустимого значения";
inline constexpr char kAboveMax[] = "Уставка не может быть больше максимально допустимого значения";
inline constexpr char kCaptionError[] = "Ошибка";

// Calculator.
inline constexpr char kCalcCaption[] = "Расчет параметров МТЗ-2 / МТЗ-3";
inline constexpr std::array<const char*, 3> kCalcCurves{"Норм. инверсная", "Сильно инверсная",
                                                        "Чрезв. инверсная"};
inline constexpr char kCalcModeGroup[] = "Расчет";
inline constexpr std::array<const char*, 4> kCalcModes{"t откл.", "T уст.", "I уст.", "I"};
inline constexpr char kCalcSourceGroup[] = "Использовать уставки";
inline constexpr std::array<const char*, 5> kCalcSources{
    "МТЗ-2, группа А", "МТЗ-2, группа В", "МТЗ-3, группа А", "МТЗ-3, группа В", "другие"};
inline constexpr char kCalcCurveLabel[] = "Характеристика";
// The group of the input fields carries no fixed title in the relay's tool; this one is ours.
inline constexpr char kCalcInputGroup[] = " Исходные данные ";
// Coefficients picture of a curve: "α = 0,02 ; β = 0,14".
inline constexpr std::array<const char*, 3> kCalcCoefficients{"α = 0,02 ; β = 0,14", "α = 1 ; β = 13,5",
                                                              "α = 2 ; β = 80"};
// Field labels by quantity: t, T, Iуст, I.
inline constexpr char kCalcLabelTripTime[] = "t откл.(сек.)";
inline constexpr char kCalcLabelTimeSetting[] = "T уст.(сек.)";
inline constexpr char kCalcLabelCurrentSetting[] = "I уст.(A)";
inline constexpr char kCalcLabelCurrent[] = "I (A)";
// Result button and result group caption by mode.
inline constexpr std::array<const char*, 4> kCalcResultButtons{"t откл.(сек.) =", "T уст.(сек.) =",
                                                               "I уст.(A) =", "I (A) ="};
inline constexpr std::array<const char*, 4> kCalcResultGroups{
    " Отрабатываемая выдержка времени на отключение ", " Уставка по времени ", " Уставка по току ",
    " Измеренное значение тока "};

inline constexpr char kCalcCaptionMissing[] = "Отсутствие входных данных";
inline constexpr char kCalcCaptionBadInput[] = "Ошибка ввода данных";
inline constexpr char kCalcCaptionValues[] = "Ошибка ввода значений";
inline constexpr char kCalcCaptionWarning[] = "Предупреждение";
inline constexpr char kCalcEnterValue[] = "Введите значение!";
inline constexpr char kCalcNotANumber[] =
    "Значение должно быть представлено либо целым числом, либо в виде десятичной дроби";
inline constexpr char kCalcCurrentNotAbove[] = "Значение I должно быть больше Iуст.";
inline constexpr char kCalcCurrentAboveMax[] =
    "Значение I, которое способно измерять устройство ТИРВ, ограничено 200А.";
inline constexpr char kCalcTimeSettingZero[] = "Время уставки не может быть равным 0";
inline constexpr char kCalcSettingNotBelow[] = "Значение Iуст. должно быть меньше I";
inline constexpr char kCalcTripTimeZero[] = "Время отключения не может быть равным 0";
inline constexpr char kCalcCurrentZero[] = "Значение I не может быть равным 0";
inline constexpr char kCalcCurrentSettingZero[] = "Значение Iуст. не может быть равным 0";
inline constexpr char kCalcOver100[] =
    "Выдержка времени зависимых времятоковых характеристик ограничивается на уровне 100 с. Это "
    "означает, что в случае превышения максимальным током тока уставки при времени отключения, "
    "превышающем 100 секунд, отключение произойдет через 100 секунд.";
// Range checks of the computed setpoint, by source 0..3 (below) and by stage (above).
inline constexpr std::array<const char*, 4> kCalcTimeBelow{
    "Значение Tуст. для МТЗ-2 (группа А) не должно быть меньше %.2f ",
    "Значение Tуст. для МТЗ-2 (группа В) не должно быть меньше %.2f ",
    "Значение Tуст. для МТЗ-3 (группа А) не должно быть меньше %.2f ",
    "Значение Tуст. для МТЗ-3 (группа В) не должно быть меньше %.2f "};
inline constexpr std::array<const char*, 2> kCalcTimeAbove{
    "Значение Tуст. для МТЗ-2 не должно быть больше %.2f ",
    "Значение Tуст. для МТЗ-3 не должно быть больше %.2f "};
inline constexpr std::array<const char*, 4> kCalcCurrentBelow{
    "Значение Iуст. для МТЗ-2 (группа А) не должно быть меньше %.2f ",
    "Значение Iуст. для МТЗ-2 (группа В) не должно быть меньше %.2f ",
    "Значение Iуст. для МТЗ-3 (группа А) не должно быть меньше %.2f ",
    "Значение Iуст. для МТЗ-3 (группа В) не должно быть меньше %.2f "};
inline constexpr std::array<const char*, 2> kCalcCurrentAbove{
    "Значение Iуст. для МТЗ-2 не должно быть больше %.2f ",
    "Значение Iуст. для МТЗ-3 не должно быть больше %.2f "};


// Tooltips of the edit fields with their ranges: 705-set (codes 0, 705, 706, 707), 306-set, M.
struct FieldTooltip {
    int edit;
    const char* set705;
    const char* set306;
    const char* setM;
};
inline constexpr std::array<FieldTooltip, 58> kFieldTooltips{{
    {1000, "Imin=2.0A; Imax=200A", "Imin=0.4A; Imax=40A", "Imin=2.0A; Imax=200A"},
    {1002, "Imin=2.0A; Imax=200A", "Imin=0.4A; Imax=40A", "Imin=2.0A; Imax=200A"},
    {1004, "Imin=1.0A; Imax=200A", "Imin=0.2A; Imax=40A", "Imin=1.0A; Imax=200A"},
    {1006, "Imin=1.0A; Imax=200A", "Imin=0.2A; Imax=40A", "Imin=1.0A; Imax=200A"},
    {1008, "Imin=0.4A; Imax=100A", "Imin=0.08A; Imax=20A", "Imin=0.4A; Imax=100A"},
    {1010, "Imin=0.4A; Imax=100A", "Imin=0.08A; Imax=20A", "Imin=0.4A; Imax=100A"},
    {1012, "Imin=0.4A; Imax=20A", "Imin=0.08A; Imax=4A", "Imin=0.4A; Imax=20A"},
    {1015, "Imin=0.4A; Imax=20A", "Imin=0.08A; Imax=4A", "Imin=0.4A; Imax=20A"},
    {1001, "Tmin=0с; Tmax=10с", "Tmin=0с; Tmax=10с", "Tmin=0с; Tmax=10с"},
    {1003, "Tmin=0с; Tmax=10с", "Tmin=0с; Tmax=10с", "Tmin=0с; Tmax=10с"},
    {1005, "Tmin=0.05с; Tmax=20с", "Tmin=0.05с; Tmax=20с", "Tmin=0.05с; Tmax=20с"},
    {1007, "Tmin=0.05с; Tmax=20с", "Tmin=0.05с; Tmax=20с", "Tmin=0.05с; Tmax=20с"},
    {1009, "Tmin=0.05с; Tmax=99.99с", "Tmin=0.05с; Tmax=99.99с", "Tmin=0.05с; Tmax=99.99с"},
    {1011, "Tmin=0.05с; Tmax=99.99с", "Tmin=0.05с; Tmax=99.99с", "Tmin=0.05с; Tmax=99.99с"},
    {1013, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1016, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1014, "Tmin=1мин.; Tmax=99мин.", "Tmin=1мин.; Tmax=99мин.", "Tmin=1мин.; Tmax=99мин."},
    {1017, "Tmin=1мин.; Tmax=99мин.", "Tmin=1мин.; Tmax=99мин.", "Tmin=1мин.; Tmax=99мин."},
    {1018, "Tmin=1мин.; Tmax=10мин.", "Tmin=1мин.; Tmax=10мин.", "Tmin=1мин.; Tmax=10мин."},
    {1019, "<min=-180гр.; <max=180гр.", "<min=-180гр.; <max=180гр.", "<min=-180гр.; <max=180гр."},
    {1020, "Tmin=0c; Tmax=2c", "Tmin=0c; Tmax=2c", "Tmin=0c; Tmax=2c"},
    {1021, "Umin=5В; Umax=99.9В", "Umin=5В; Umax=99.9В", "Umin=5В; Umax=99.9В"},
    {1022, "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95"},
    {1023, "Tmin=0.04c; Tmax=0.1c", "Tmin=0.04c; Tmax=0.1c", "Tmin=0.04c; Tmax=0.1c"},
    {1024, "Kmin=0.03; Kmax=0.25", "Kmin=0.03; Kmax=0.25", "Kmin=0.03; Kmax=0.25"},
    {1025, "I2min=0.2A; I2max=4.0A", "I2min=0.04A; I2max=0.8A", "I2min=0.2A; I2max=4.0A"},
    {1026, "I2\\I1min=0.1; I2\\I1max=1.0", "I2\\I1min=0.1; I2\\I1max=1.0", "I2\\I1min=0.1; I2\\I1max=1.0"},
    {1027, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1028, "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95"},
    {1029, "Tmin=0.04с; Tmax=0.1с", "Tmin=0.04с; Tmax=0.1с", "Tmin=0.04с; Tmax=0.1с"},
    {1030, "3U0min=0.5B; 3U0max=99.9B", "3U0min=0.5B; 3U0max=99.9B", "3U0min=0.5B; 3U0max=99.9B"},
    {1031, "3I0min=0.005A; 3I0max=5.0A", "3I0min=0.005A; 3I0max=5.0A", "3I0min=0.005A; 3I0max=5.0A"},
    {1032, "Tmin=0.1с; Tmax=99.99с", "Tmin=0.1с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1033, "<min=-180гр.; <max=180гр.", "<min=-180гр.; <max=180гр.", "<min=-180гр.; <max=180гр."},
    {1034, "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95"},
    {1035, "3I0min=0.005A; 3I0max=5.0A", "3I0min=0.005A; 3I0max=5.0A", "3I0min=0.005A; 3I0max=5.0A"},
    {1036, "Kmin=0.8; Kmax=0.95", "Kmin=0.8; Kmax=0.95", "Kmin=0.8; Kmax=0.95"},
    {1037, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1038, "Tmin=0.0с; Tmax=2.0с", "Tmin=0.0с; Tmax=2.0с", "Tmin=0.0с; Tmax=2.0с"},
    {1039, "Umin=100.0B; Umax=170.0B", "Umin=100.0B; Umax=170.0B", "Umin=100.0B; Umax=170.0B"},
    {1040, "Umin=60.0B; Umax=120.0A", "Umin=60.0B; Umax=120.0A", "Umin=60.0B; Umax=120.0A"},
    {1041, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1042, "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95", "Kmin=0.92; Kmax=0.95"},
    {1043, "Umin=5.0B; Umax=99.9B", "Umin=5.0B; Umax=99.9B", "Umin=5.0B; Umax=99.9B"},
    {1044, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1045, "Kmin=1.04; Kmax=1.08", "Kmin=1.04; Kmax=1.08", "Kmin=1.04; Kmax=1.08"},
    {1046, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1047, "Umin=5.0B; Umax=99.9B", "Umin=5.0B; Umax=99.9B", "Umin=5.0B; Umax=99.9B"},
    {1048, "Tmin=0.1с; Tmax=99.99с", "Tmin=0.1с; Tmax=99.99с", "Tmin=0.1с; Tmax=99.99с"},
    {1049, "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с", "Tmin=0.2с; Tmax=99.99с"},
    {1050, "Imin=0.4A; Imax=5.0A", "Imin=0.08A; Imax=1.0A", "Imin=0.4A; Imax=5.0A"},
    {1051, "T1min=0.15с; T1max=10.0с", "T1min=0.15с; T1max=10.0с", "T1min=0.15с; T1max=10.0с"},
    {1052, "T2min=0.25с; T2max=10.0с", "T2min=0.25с; T2max=10.0с", "T2min=0.25с; T2max=10.0с"},
    {1053, "Imin=20A; Imax=2000A", "Imin=20A; Imax=2000A", "Imin=20A; Imax=6000A"},
    {1054, "Umin=6.0кB; Umax=35.0кB", "Umin=6.0кB; Umax=35.0кB", "Umin=3.0кB; Umax=35.0кB"},
    {1055, nullptr, nullptr, "Tmin=1мин.; Tmax=30мин."},
    {1056, nullptr, nullptr, "Kmin=4; Kmax=1200"},
    {1057, "Tmin=0.0с; Tmax=Tзаписи", "Tmin=0.0с; Tmax=Tзаписи", "Tmin=0.0с; Tmax=Tзаписи"},
}};

}  // namespace tirv::editor_texts
