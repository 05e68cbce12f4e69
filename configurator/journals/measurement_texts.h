#pragma once
// Every text of the measurement page, kept in one place so that the page, tirv-cli and the tests
// use exactly the same words. UTF-8; "%i" marks are filled by the helpers that use them.
#include <array>

#include "common/shared_texts.h"

namespace tirv::measurement_texts {

inline constexpr const char* kCaptionError = shared_texts::kCaptionError;
inline constexpr const char* kCaptionWarning = shared_texts::kCaptionWarning;
inline constexpr char kCaptionInput[] = "Ошибка ввода";
inline constexpr char kCaptionDataError[] = "Ошибка данных";
inline constexpr char kCaptionPeriodInput[] = "Ошибка ввода интервала циклического чтения";

// Status-bar cell 0 on the serial link.
inline constexpr char kStatusReading[] = "  Идет чтение текущих значений U,I из устройства";
inline constexpr char kStatusReadingAgain[] = "  Чтение текущих значений I,U";
inline constexpr char kStatusRetry[] = "  Чтение текущих значений:   повтор %i";
inline constexpr char kStatusAborted[] = "  Операция чтения текущих значений U,I прервана";
inline constexpr char kStatusReadFailed[] =
    "Ошибка чтения I,U - повторите операцию или проверьте связь";
inline constexpr char kStatusInvalidValues[] =
    "Чтение U,I прервано: обнаружены недопустимые значения";
inline constexpr char kStatusRead[] = "  Текущие значения I,U прочитаны из устройства";

// Status-bar cell 0 after a Modbus TCP reading (one leading blank, no message boxes).
inline constexpr char kTcpStatusRead[] = " Текущие значения I,U прочитаны из устройства";
inline constexpr char kTcpStatusInvalidValues[] =
    " Текущие значения I,U прочитаны, обнаружены недопустимые значения";
inline constexpr char kTcpStatusReadFailed[] =
    " Ошибка чтения текущих значений I,U - повторите операцию или проверьте связь";

// Validation of the integer layout.
inline constexpr char kTemperatureInvalid[] = "Недопустимое значение температуры: T*10=%i";
inline constexpr char kAngleInvalid[] = "Недопустимое значение фазы[%i]=%i";

// The polling period field.
inline constexpr char kPeriodMissing[] =
    "Введите интервал чтения текущих значений U,I из устройства!";
inline constexpr char kPeriodNotInteger[] = "Время должно быть представлено целым числом";
inline constexpr char kPeriodTooSmall[] =
    "Введенный интервал циклического чтения слишком мал и будет заменен на минимально "
    "допустимое значение";
inline constexpr char kTooltipsFailed[] = "Ошибка формирования всплывающих подсказок";

// Tooltip of the period field for speed positions 0–6; faster speeds keep the previous text.
inline constexpr std::array<const char*, 7> kPeriodTooltips{
    "Для Vобмена=1200: Tmin=750мсек.; Tmax=9999мсек.",
    "Для Vобмена=2400: Tmin=440мсек.; Tmax=9999мсек.",
    "Для Vобмена=4800: Tmin=280мсек.; Tmax=9999мсек.",
    "Для Vобмена=9600: Tmin=200мсек.; Tmax=9999мсек.",
    "Для Vобмена=19200: Tmin=160мсек.; Tmax=9999мсек.",
    "Для Vобмена=38400: Tmin=140мсек.; Tmax=9999мсек.",
    "Для Vобмена=57600: Tmin=135мсек.; Tmax=9999мсек.",
};

// Controls of both layouts.
inline constexpr char kPollingOn[] = "Вкл.";
inline constexpr char kApply[] = "Применить";
inline constexpr std::array<const char*, 13> kPhasorNames{
    "Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "Uab", "Ubc", "Uca", "3Io", "3Uo", "I2", "I1"};

// A float the relay sent that no fixed format can show.
inline constexpr char kNotANumber[] = "NaN";
inline constexpr char kPlusInfinity[] = "+Inf";
inline constexpr char kMinusInfinity[] = "-Inf";

// List view of the float layout: column headings and the texts of column 0.
inline constexpr std::array<const char*, 3> kListColumns{"Наименование", "Модуль", "Фаза, гр."};
inline constexpr char kRowPhaseCurrents[] = "Фазные токи:";
inline constexpr char kRowPhaseVoltages[] = "Фазные напряжения:";
inline constexpr char kRowLineVoltages[] = "Линейные напряжения:";
inline constexpr char kRowZeroCurrent[] = "Ток нулевой пос-ти  3Io";
inline constexpr char kRowZeroVoltage[] = "Напряжение нулевой пос-ти 3Uo";
inline constexpr char kRowPositiveCurrent[] = "Ток прямой пос-ти  I1";
inline constexpr char kRowNegativeCurrent[] = "Ток обратной пос-ти  I2";
inline constexpr char kRowHarmonics[] = "Гармонический состав 3Io:";
inline constexpr std::array<const char*, 6> kRowHarmonicOrders{"3-я гармоника",  "5-я гармоника",
                                                               "7-я гармоника",  "9-я гармоника",
                                                               "11-я гармоника", "13-я гармоника"};
inline constexpr char kRowHarmonicsRms[] = "Среднекв. суммы 3-13 гармоник";
inline constexpr char kRowRmsCurrents[] = "Действующие значения токов:";
inline constexpr char kRowAverage[] = "Среднее за интервал:";
inline constexpr char kRowBreakingCurrent[] = "Суммарный ток откл-я по фазе:";
inline constexpr char kRowFrequency[] = "Частота, Гц";
inline constexpr char kRowOperations[] = "Кол-во срабатываний выкл-ля";
inline constexpr char kRowTemperature[] = "Температура, гр.";
inline constexpr char kRowBattery[] = "Напряжение батарейки, В";
inline constexpr std::array<const char*, 3> kRowPhaseLetters{"A", "B", "C"};

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Контроль текущих значений U,I";
inline constexpr char kPageButtonTip[] = "Контроль текущих значений U,I";
inline constexpr char kTipRead[] = "Прочитать из устройства текущие значения U,I";

}  // namespace tirv::measurement_texts
