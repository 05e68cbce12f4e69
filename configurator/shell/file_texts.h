#pragma once
// Words of the setpoint, project and program-settings files: dialog titles and filters, the
// messages of opening and saving, and the status texts. UTF-8.
#include "common/shared_texts.h"

namespace tirv::file_texts {

// Files and dialogs
inline constexpr char kSettingsFile[] = "ТИРВ.cfg";
inline constexpr char kOpenSetpointsTitle[] = "Открыть файл уставок";
inline constexpr char kSaveSetpointsTitle[] = "Сохранить уставки в файле";
inline constexpr char kSetpointsFilter[] = "Файлы уставок(*.tpr)";
inline constexpr char kSetpointsPattern[] = "*.tpr";
inline constexpr char kSetpointsExtension[] = "tpr";
inline constexpr char kOpenProjectTitle[] = "Открыть файл проекта";
inline constexpr char kSaveProjectTitle[] = "Сохранить проект в файле";
inline constexpr char kProjectFilter[] = "Файлы проекта(*.tirv)";
inline constexpr char kProjectPattern[] = "*.tirv";
inline constexpr char kProjectExtension[] = "tirv";

// Captions
inline constexpr char kCaptionReadWrite[] = "Ошибка чтения/записи";
inline constexpr const auto& kCaptionWarning = shared_texts::kCaptionWarning;
inline constexpr char kCaptionDataError[] = "Ошибка данных";

// Messages (%i: the system error code, model codes)
inline constexpr char kCannotOpen[] = "Невозможно открыть файл. Код ошибки %i";
inline constexpr char kWrongSetpointsExtension[] =
    "Расширение выбранного файла не соответствует файлу уставок.";
inline constexpr char kWrongProjectExtension[] =
    "Расширение выбранного файла не соответствует файлу проекта.";
inline constexpr char kSetpointsFormat[] =
    "Файл не соответствует формату файла уставок ТИРВ-%i или поврежден";
inline constexpr char kProjectFormat[] =
    "Файл не соответствует формату файла проекта ТИРВ-%i или поврежден";
inline constexpr char kModel306Refused[] =
    "Загрузка уставок из файла не может быть осуществлена для текущего типа устройства: уставки "
    "являются уставками ТИРВ-%i.";
inline constexpr char kOtherModelQuestion[] =
    "Уставки в файле являются уставками ТИРВ-%i и могут не соответствовать уставкам ТИРВ-%i. "
    "Продолжить чтение?";
inline constexpr char kOtherClassQuestion[] =
    "В файле содержатся настройки для устройства, не соответствующего выбранному в программе. "
    "Изменить тип устройства в программе?";
inline constexpr char kInvalidSetpoints[] =
    "Чтение из файла будет прервано: обнаружены недопустимые уставки";
inline constexpr char kInvalidIo[] =
    "Чтение из файла будет прервано: обнаружены недопустимые настройки входов/выходов";
inline constexpr char kInvalidLeds[] =
    "Чтение из файла будет прервано: обнаружены недопустимые настройки светодиодов";

// Status field 0
inline constexpr char kSetpointsSaved[] = "  Уставки проекта сохранены в файле";
inline constexpr char kSetpointsLoaded[] = "  Значения уставок прочитаны из файла ";
inline constexpr char kProjectSaved[] = "  Проект сохранен в файле";

}  // namespace tirv::file_texts
