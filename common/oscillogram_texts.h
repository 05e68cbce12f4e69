#pragma once
// User-visible texts of the oscillogram file (load checks, saving) and of its COMTRADE export.
// Format strings take their arguments through printf-style "%i".
#include "common/shared_texts.h"

namespace tirv::osc_texts {

inline constexpr const char* kCaptionError = shared_texts::kCaptionError;
inline constexpr const char* kCaptionReadError = "Ошибка чтения";
inline constexpr const char* kCaptionInformation = shared_texts::kCaptionInformation;
inline constexpr const char* kCaptionDigitalMayBeWrong = "Цифровые сигналы могут быть отображены неверно";

inline constexpr const char* kShortFile =
    "Файл записей осциллограмм испорчен либо формат записей не соответствует версии программы";
inline constexpr const char* kNoChannels = "Уставок записи аналоговых сигналов не обнаружено";
inline constexpr const char* kTooManyChannels =
    "Число записанных аналоговых сигналов %i, это превышает установленный максимум в 6 сигналов";
inline constexpr const char* kBadStopIndex =
    "Недопустимое значение стоп-индекса %i для %i записанных графиков";
inline constexpr const char* kBadChannelFlag = "Недопустимая запись в прочитанных уставках осциллографа";
inline constexpr const char* kNegativeCoefficient = "Отрицательный калибровочный коэффициент: %i";
// Indexed by channel Ia … Uc.
inline constexpr const char* kCoefficientOutOfRange[6] = {
    "Выходящий из установленного диапазона калибровочный коэффициент тока Ia: %i",
    "Выходящий из установленного диапазона калибровочный коэффициент тока Ib: %i",
    "Выходящий из установленного диапазона калибровочный коэффициент тока Ic: %i",
    "Выходящий из установленного диапазона калибровочный коэффициент напряжения Ua: %i",
    "Выходящий из установленного диапазона калибровочный коэффициент напряжения Ub: %i",
    "Выходящий из установленного диапазона калибровочный коэффициент напряжения Uc: %i",
};
inline constexpr const char* kBadDateTime = "Недопустимое значение даты\\времени";
inline constexpr const char* kBadDigitalPosition =
    "Недопустимое значение индекса элемента кольцевого буфера цифровых сигналов";
inline constexpr const char* kNoStopRecord =
    "Не найдена запись цифровых сигналов, соответствующая стоп-индексу";
inline constexpr const char* kBadDigitalOrder = "Недопустимый порядок следования индексов ";

inline constexpr const char* kSaveFailed = "Невозможно открыть файл. Код ошибки %i";
// Open failure of the open command (the start-up load has texts of its own in the window).
inline constexpr const char* kOpenFailed = "Невозможно открыть файл аварийных осциллограмм. Код ошибки %i";

// Trip-cause names by bit 0 … 14; bit 13 names nothing. The trailing blanks are part of the names.
inline constexpr const char* kTripCauseNames[15] = {
    "МТЗ-1    ", "МТЗ-2    ", "МТЗ-3    ", "МТЗ-4    ", "ЗОФ    ",     "ЗПН    ",
    "ЗМН    ",   "АВР выход   ", "ДЗ-1   ", "ДЗ-2   ", "УРОВ вход    ", "ГЗ   ",
    "ТЗ   ",     "",          "АПВ   ",
};

// COMTRADE export: save dialog and failures.
inline constexpr const char* kComtradeFilter = "Файлы COMTRADE(*.CFG)";
inline constexpr const char* kComtradePattern = "*.CFG";
inline constexpr const char* kComtradeSaveTitle =
    "Сохранить данные аварийного осциллографа в формате COMTRADE:";
inline constexpr const char* kComtradeDefaultSuffix = "CFG";
inline constexpr const char* kNameTooLong = "Количество символов полного имени файла превышает размер буфера";
inline constexpr const char* kComtradeCfgFailed = "Невозможно сохранить файл .CFG . Код ошибки %i";
inline constexpr const char* kComtradeHdrFailed = "Невозможно сохранить файл .HDR . Код ошибки %i";
inline constexpr const char* kComtradeDatFailed = "Невозможно сохранить файл .DAT . Код ошибки %i";

}  // namespace tirv::osc_texts
