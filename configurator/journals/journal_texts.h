#pragma once
// Every text of the working-journal and emergency-journal pages, kept in one place so that the
// pages, tirv-cli and the tests use exactly the same words. UTF-8; "%i", "%.2f" marks are filled
// by the code that uses them.
#include <array>

#include "common/shared_texts.h"

namespace tirv::journal_texts {

inline constexpr const char* kCaptionError = shared_texts::kCaptionError;
inline constexpr const char* kCaptionInformation = shared_texts::kCaptionInformation;
inline constexpr char kCaptionFileError[] = "Ошибка чтения/записи";

// Shared by both journals: the status of a stopped read (the relay's own wording, "АЖ" on both
// pages), the Modbus TCP endings and the file-open failures.
inline constexpr char kStatusStopped[] = "  Операция чтения АЖ прервана на посылке № %i";
inline constexpr char kTcpThreadFailed[] = "Не удалось открыть поток соединения порт %i";
inline constexpr char kTcpAborted[] = " Операция обмена была прервана пользователем";
inline constexpr char kCannotOpenFile[] = "Невозможно открыть файл. Код ошибки %i";
inline constexpr char kColumnDate[] = "Дата";
inline constexpr char kColumnTime[] = "Время";
// The sort and date-selection controls both pages show disabled.
inline constexpr char kSortLabel[] = "Сортировка";
inline constexpr char kSortAscending[] = "По возрастанию";
inline constexpr char kSortDescending[] = "По убыванию";
inline constexpr char kApply[] = "Применить";
inline constexpr char kByDates[] = "Выборка по датам";
inline constexpr char kFrom[] = "от";
inline constexpr char kTo[] = "до";
// The date fields show dates as the journals' lists do, day first.
inline constexpr char kDateFieldFormat[] = "dd.MM.yyyy";

// ---- Working journal --------------------------------------------------------------------------
inline constexpr char kWjListSettings[] = "Происходившие изменения уставок и настроек:";
inline constexpr char kWjListEvents[] = "Текущие события в устройстве:";
inline constexpr char kWjColumnEvent[] = "Событие";
inline constexpr char kWjCaption[] = "Записи рабочего журнала:";
inline constexpr char kWjCaptionFromFile[] = "Записи рабочего журнала из файла:";
// The relay's own page spells "РЖ" here with a Latin P.
inline constexpr char kWjFromFileGroup[] = "Чтение записей PЖ из файла:";
inline constexpr char kWjPrevious[] = "Прочитать предыдущие...";

inline constexpr char kWjReading[] = "  Чтение рабочего журнала";
inline constexpr char kWjReadingProgress[] = "  Чтение рабочего журнала: ";
inline constexpr char kWjRetry[] = "  Чтение рабочего журнала:   посылка данных %i - повтор %i";
inline constexpr char kWjFailed[] = "Ошибка чтения РЖ, - повторите операцию или проверьте связь";
inline constexpr char kWjInvalid[] = "  При проверке данных РЖ обнаружены недопустимые записи";
inline constexpr char kWjDone[] = "  Чтение рабочего журнала успешно завершено";
inline constexpr char kWjTcpInvalid[] =
    " Записи рабочего журнала прочитаны, обнаружены недопустимые значения";
inline constexpr char kWjTcpFailed[] =
    "Ошибка чтения рабочего журнала - повторите операцию или проверьте связь";

inline constexpr char kWjOpenTitle[] = "Прочитать записи рабочего журнала из файла";
inline constexpr char kWjSaveTitle[] = "Сохранить записи рабочего журнала в файле";
inline constexpr char kWjFilter[] = "Файлы рабочего журнала(*.twj)";
inline constexpr char kWjPattern[] = "*.twj";
inline constexpr char kWjExtension[] = "twj";
inline constexpr char kWjWrongExtension[] =
    "Расширение выбранного файла не соответствует файлу записей рабочего журнала.";
inline constexpr char kWjBadFile[] =
    "Файл не соответствует формату файла записей рабочего журнала или поврежден.";
inline constexpr char kWjOpened[] = "  Записи рабочего журнала прочитаны из файла";
inline constexpr char kWjSaved[] = "  Записи рабочего журнала сохранены в файле";

// Event texts by code; every other code 0–127 is shown as its three-digit number.
struct WorkingEventText {
    int code;
    const char* text;
};
inline constexpr std::array<WorkingEventText, 7> kWorkingEventTexts{{
    {1, "Смена уставок"},
    {2, "Смена настроек входов/выходов"},
    {3, "Смена настроек светодиодов"},
    {122, "Сброс по выводу RESET "},
    {123, "Сброс по питанию"},
    {124, "Программный сброс"},
    {125, "Сброс от сторожевого таймера (IWDG)"},
}};
inline constexpr char kWorkingCodeNumber[] = "%.3i";
inline constexpr char kWorkingCodeAboveTableRelay[] = " ";
inline constexpr char kWorkingCodeAboveTableFile[] = "%i";

// ---- Emergency journal ------------------------------------------------------------------------
inline constexpr char kEjCaption[] = "Аварийный журнал ТИРВ:";
inline constexpr char kEjCaptionFromFile[] = "Записи аварийного журнала из файла:";
inline constexpr char kEjFromFileGroup[] = "Чтение записей АЖ из файла:";
inline constexpr char kEjColumnEvent[] = "Аварийное событие";
inline constexpr char kEjColumnStarted[] = "Были запущены защиты:";
inline constexpr char kEjColumnOpeningTime[] = "t откл.";
inline constexpr std::array<const char*, 13> kEjValueColumns{
    "Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "Uab", "Ubc", "Uca", "3Io", "3Uo", "I1", "I2"};
inline constexpr char kEjRowMagnitudes[] = "Модуль,А/В";
inline constexpr char kEjRowAngles[] = "Фаза,гр.";
inline constexpr char kEjDiagramGroup[] = "Векторная диаграмма аварийного события";
inline constexpr char kEjReadOscillogram[] = "Прочитать осциллограмму события";
inline constexpr char kEjSectorGroup[] = "Сектора срабатывания";
inline constexpr std::array<const char*, 4> kEjSectorBoxes{"Ic", "Ia", "Ib", "3Io"};

inline constexpr char kEjReading[] = "  Чтение аварийного журнала";
inline constexpr char kEjReadingProgress[] = "  Чтение аварийного журнала: ";
inline constexpr char kEjRetry[] = "  Чтение аварийного журнала:   посылка данных %i - повтор %i";
inline constexpr char kEjFailed[] = "Ошибка чтения АЖ, - повторите операцию или проверьте связь";
inline constexpr char kEjInvalid[] = "  Чтение АЖ прервано: обнаружена недопустимая запись";
inline constexpr char kEjDone[] = "  Чтение аварийного журнала успешно завершено";
inline constexpr char kEjTcpInvalid[] =
    " Записи аварийного журнала прочитаны, обнаружены недопустимые значения";
inline constexpr char kEjTcpFailed[] =
    " Ошибка чтения аварийного журнала - повторите операцию или проверьте связь";

inline constexpr char kEjOpenTitle[] = "Прочитать записи аварийного журнала из файла";
inline constexpr char kEjSaveTitle[] = "Сохранить записи аварийного журнала в файле";
inline constexpr char kEjFilter[] = "Файлы аварийного журнала(*.taj)";
inline constexpr char kEjPattern[] = "*.taj";
inline constexpr char kEjExtension[] = "taj";
inline constexpr char kEjBadFile[] =
    "Файл не соответствует формату файла записей аварийного журнала или поврежден.";
inline constexpr char kEjOpened[] = "  Записи аварийного журнала прочитаны из файла";
inline constexpr char kEjSaved[] = "  Записи аварийного журнала сохранены в файле";

// The protection that acted (lowest set bit of 0–14); bit 14 differs by class.
inline constexpr std::array<const char*, 14> kEjEventTexts{
    " МТЗ-1:",    " МТЗ-2:", " МТЗ-3:", " МТЗ-4:",    " ЗОФ:", " ЗПН:", " ЗМН:",
    "АВР выход:", " ДЗ-1:",  " ДЗ-2:",  "УРОВ вход:", " ГЗ:",  " ТЗ:",  " ОЗЗ-1Г:"};
inline constexpr char kEjEventBit14M[] = " ОЗЗ-ВГ:";
inline constexpr char kEjEventBit14Other[] = " АПВ:";
// The protections that had started, joined in bit order.
inline constexpr std::array<const char*, 14> kEjStartedTexts{
    "МТЗ-1 ",     "МТЗ-2 ", "МТЗ-3 ", "МТЗ-4 ",     "ЗОФ ", "ЗПН ", "ЗМН ",
    "АВР-выход ", "ДЗ-1 ",  "ДЗ-2 ",  "УРОВ-вход ", "ГЗ ",  "ТЗ ",  "ОЗЗ-1Г "};
inline constexpr char kEjStartedBit14M[] = "ОЗЗ-ВГ ";
inline constexpr char kEjStartedBit14Other[] = "АПВ ";
inline constexpr char kEjOutcomeTripped[] = "успешно сработала";
inline constexpr char kEjOutcomeBreakerFailure[] = "отказ выключателя";
inline constexpr char kEjOpeningMinutes[] = "%i мин.";
inline constexpr char kEjOpeningSeconds[] = "%.2f сек.";

// ---- Oscillogram read-out ---------------------------------------------------------------------
inline constexpr char kOscSettingsRetry[] = "  Чтение уставок аварийного осциллографа - повтор %i";
inline constexpr char kOscSettingsFailed[] = "Ошибка чтения уставок аварийного осциллографа";
inline constexpr char kOscSettingsStopped[] = "Операция прервана на чтении уставок осциллографа";
inline constexpr char kOscSettingsInvalid[] =
    "Ошибка: недопустимые значения уставок авар. осциллографа";
inline constexpr char kOscNoneSetCaption[] = "Чтение уставок аварийного осциллографа";
inline constexpr char kOscNoneSet[] = "Не задана запись ни одной осциллограммы";
inline constexpr char kOscNoneSetStatus[] =
    "Чтение АО завершено, - не была задана запись ни одной осциллограммы в АО";
inline constexpr char kOscReading[] = "  Идет чтение аварийного осциллографа";
inline constexpr char kOscReadingProgress[] = "  Чтение авар. осциллограмм: ";
inline constexpr char kOscRetry[] = "  Чтение авар. осциллограмм:   посылка данных %i - повтор %i";
inline constexpr char kOscFailed[] =
    "Ошибка чтения авар. осциллограмм, - повторите операцию или проверьте связь";
inline constexpr char kOscStopped[] = "Операция чтения осциллограмм прервана на посылке № %i";
inline constexpr char kOscBusy[] =
    "В устр-ве идет запись новой осц-мы, - повторите операцию чтения позже";
inline constexpr char kOscRead[] = "  Аварийные осциллограммы прочитаны из устройства";
inline constexpr char kOscSaveFailed[] =
    "Невозможно сохранить в файле данные аварийных осциллограмм. Код ошибки %i";
inline constexpr char kOscSaved[] = "  Данные осциллографа сохранены в файле";
inline constexpr char kOscViewerMissing[] = "Файл '%s' в рабочей папке не обнаружен";
inline constexpr char kOscTcpFailed[] =
    " Ошибка чтения аварийных осциллограмм - повторите операцию или проверьте связь";
inline constexpr char kOscNewerQuestion[] =
    "Прочитанная АО соответствует новому событию, зафиксированному в АЖ устройства. "
    "Прочитать обновленный аварийный журнал?";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kWorkStatus[] = "  Рабочий журнал";
inline constexpr char kTipOpenWork[] = "Открыть файл записей рабочего журнала";
inline constexpr char kTipSaveWork[] = "Сохранить записи рабочего журнала";
inline constexpr char kTipReadWork[] = "Прочитать из устройства записи рабочего журнала";
inline constexpr char kEmergencyStatus[] = "  Аварийный журнал";
inline constexpr char kTipOpenEmergency[] = "Открыть файл записей аварийного журнала";
inline constexpr char kTipSaveEmergency[] = "Сохранить записи аварийного журнала";
inline constexpr char kTipReadEmergency[] = "Прочитать из устройства записи аварийного журнала";

}  // namespace tirv::journal_texts
