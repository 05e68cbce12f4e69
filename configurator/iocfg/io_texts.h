#pragma once
// Every text of the I/O and LED settings, kept in one place so that the pages, tirv-cli and the
// tests use exactly the same words. UTF-8; "%i" marks are filled by the code that uses them.
#include "common/shared_texts.h"
#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/led_image.h"

#include <array>

namespace tirv::io_texts {

// Functions an input can be given; 4 and 38 share a text but are distinct functions.
inline constexpr std::array<const char*, kInputFunctionCount> kInputFunctions = {
    "Включение",   "Отключение", "РПО",        "РПВ",         "Блок.АПВ", "Группа А\\Б",
    "Деблокиров.", "Вход ЛЗШ",   "Свободен",   "ДЗ-1",        "ДЗ-2",     "ТЗ(Откл.)",
    "ТЗ(Сигнал)",  "ГЗ(Откл.)",  "ГЗ(Сигнал)", "Вход ЛЗШ-2С", "УРОВ",     "Неиспр.откл.",
    "Неиспр.упр",  "Разреш.АВР", "Автомат ТН", "Разреш.ДУ",   "Блок.вкл", "Блок.МТЗ-1",
    "Блок.МТЗ-2",  "Блок.МТЗ-3", "Блок.МТЗ-4", "Блок.ЗОФ",    "Блок.ЗПН", "Блок.ЗМН",
    "Блок.АВР",    "Блок.ДЗ-1",  "Блок.ДЗ-2",  "Блок.УРОВ",   "Блок.ЛЗШ", "Блок.ОНМ-1",
    "Блок.ОНМ-2",  "Блок.ОНМ-3", "Блок.АПВ",   "Вкл.от АВР",  "Ш.Р.вкл.", "Ш.З.вкл.",
    "Л.Р.вкл.",    "Л.З.вкл.",   "Гот.прив.",
};

// Protection signals an output or an LED can show.
inline constexpr std::array<const char*, kOutputSignalCount> kOutputSignals = {
    "Свободен",     "Готов",        "Включение",  "Отключение",  "Пред.сигнал",  "Авар.откл.",
    "Сигнал ОЗЗ",   "Внеш.неиспр.", "Выход АВР",  "Группа А\\Б", "Выход ЛЗШ",    "Выход УРОВ",
    "Сигнал МТЗ-4", "Сигнал ЗОФ",   "Сигнал ЗПН", "Сигнал ЗМН",  "Сигнал ГЗ",    "Сигнал ТЗ",
    "К.Ua,Ub,Uc",   "Пуск МТЗ",     "Пуск МТЗ-1", "Пуск МТЗ-2",  "Пуск МТЗ-3",   "Пуск МТЗ-4",
    "Пуск ЗОФ",     "Пуск ОЗЗ",     "Пуск ЗПН",   "Пуск ЗМН",    "Пуск АВР",     "Пуск по напр.",
    "Сраб.МТЗ",     "Сраб.МТЗ-1",   "Сраб.МТЗ-2", "Сраб.МТЗ-3",  "Сраб.МТЗ-4",   "Сраб.ЗОФ",
    "Сраб.ЗПН",     "Сраб.ЗМН",     "Сраб.АВР",   "Сраб.ДЗ",     "Сраб.ДЗ-1",    "Сраб.ДЗ-2",
    "Сраб.УРОВ",    "Сраб.ГЗ",      "Сраб.ТЗ",    "Сраб.АПВ",    "Сост.вх.01",   "Сост.вх.02",
    "Сост.вх.03",   "Сост.вх.04",   "Сост.вх.05", "Сост.вх.06",  "Сост.вх.07",   "Сост.вх.08",
    "Сост.вх.09",   "Сост.вх.10",   "Сост.вх.11", "Сост.вх.12",  "Сост.вх.13",   "Сост.вх.14",
    "Сост.вх.15",   "Сост.вх.16",   "ОНМ МТЗ-1",  "ОНМ МТЗ-2",   "ОНМ МТЗ-3",    "Блок.вкл.",
    "Блок.АПВ",     "Блок.МТЗ-1",   "Блок.МТЗ-2", "Блок.МТЗ-3",  "Блок.МТЗ-4",   "Блок.ЗОФ",
    "Блок.ЗПН",     "Блок.ЗМН",     "Блок.АВР",   "Блок.ДЗ-1",   "Блок.ДЗ-2",    "Блок.УРОВ",
    "Блок.ЛЗШ",     "Блок.ОНМ-1",   "Блок.ОНМ-2", "Блок.ОНМ-3",  "Неиспр.откл.", "Неиспр.упр.",
    "Сраб.ОЗЗ-1Г",  "Сраб.ОЗЗ-ВГ",  "Сраб.АЧР",   "Сигн.ОЗЗ-1Г", "Сигн.ОЗЗ-ВГ",  "ТУ Реле1",
    "ТУ Реле2",     "ТУ Реле3",     "ТУ Реле4",   "Пуск ОЗЗ-1Г", "Пуск ОЗЗ-ВГ",
};

inline constexpr std::array<const char*, kLevelCount> kLevels = {"Высокий", "Низкий"};
inline constexpr std::array<const char*, kOutputModeCount> kOutputModes = {
    "Без фиксации", "С фиксацией", "Импульсный"};
inline constexpr std::array<const char*, kLedModeCount> kLedModes = {"Без фиксации", "С фиксацией"};

// ---- Captions ---------------------------------------------------------------------------------
inline constexpr char kCaptionFileError[] = "Ошибка чтения/записи";
inline constexpr const char* kCaptionWarning = shared_texts::kCaptionWarning;
inline constexpr char kCaptionIoInput[] = "Ошибка ввода уставки";
inline constexpr char kCaptionLedInput[] = "Ошибка ввода";

// ---- Time fields ------------------------------------------------------------------------------
inline constexpr char kTimeEmpty[] = "Введите значение!";
inline constexpr char kTimeNotANumber[] =
    "Время должно быть представлено либо целым числом, либо в виде десятичной дроби";
// The LED pop-up's own field, on loss of focus, words it differently from the click check.
inline constexpr char kLedTimeNotANumber[] =
    "Время должно быть представлена либо целым числом, либо в виде десятичной дроби";
inline constexpr char kTimeBelowMinimum[] =
    "Время не может быть меньше минимально допустимого значения";
inline constexpr char kTimeAboveMaximum[] =
    "Время не может быть больше максимально допустимого значения";

// ---- Reading the I/O block from the relay -----------------------------------------------------
inline constexpr char kIoReadEmptyStatus[] =
    "Чтение завершено:в памяти устройства не содержится записей состояния и настроек "
    "входов/выходов";
inline constexpr char kIoReadEmptyQuestion[] =
    "В памяти устройства не содержится записей состояния и настроек входов/выходов. Записать "
    "минимальный набор?";
inline constexpr char kIoReadEmptyCaption[] = "Чтение из устройства завершено";
inline constexpr char kIoReadInvalid[] =
    "Ошибка: из устройства прочитана недопустимая уставка входов/выходов  ";
inline constexpr char kIoTcpReadInvalid[] =
    " Данные входоввыходов прочитаны, обнаружены недопустимые значения";

// ---- Reading the LED block from the relay -----------------------------------------------------
inline constexpr char kLedReadEmptyStatus[] =
    "Чтение завершено:в памяти устройства не содержится записей настройки светодиодов";
inline constexpr char kLedReadEmptyQuestion[] =
    "В памяти устройства не содержится записей настройки светодиодов. Записать минимальный "
    "набор?";
inline constexpr char kLedReadInvalid[] =
    "Ошибка чтения настроек светодиодов: недопустимые значения";
inline constexpr char kLedTcpReadInvalid[] =
    " Настройки светодиодов прочитаны, обнаружены недопустимые значения";

// ---- ".tio" file ------------------------------------------------------------------------------
inline constexpr char kTioDamaged[] =
    "Файл не соответствует формату файла настроек входов/выходов или поврежден.";
inline constexpr char kTioInvalidMessage[] =
    "Чтение из файла будет прервано: обнаружены недопустимые настройки входов/выходов";
inline constexpr char kTioInvalidStatus[] =
    "Ошибка: обнаружены недопустимые настройки входов/выходов  ";
inline constexpr char kTioWrongExtension[] =
    "Расширение выбранного файла не соответствует файлу настроек входов/выходов.";

// ---- ".tld" file ------------------------------------------------------------------------------
inline constexpr char kTldDamaged[] =
    "Файл не соответствует формату файла настроек светодиодов или испорчен.";
inline constexpr char kTldOlderLayout[] =
    "В файле содержатся настройки светодиодов для предыдущей модификации ТИРВ. Продолжить?";
inline constexpr char kTldNewerLayout[] =
    "В файле содержатся настройки светодиодов для новой модификации ТИРВ. Продолжить?";
inline constexpr char kTldInvalidStatus[] =
    "Ошибка чтения настроек светодиодов из файла: недопустимые значения";

}  // namespace tirv::io_texts
