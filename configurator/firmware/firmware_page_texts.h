#pragma once
// Captions of the firmware update page's own controls (the step and final texts are in
// texts.h).
namespace tirv::firmware_page_texts {

inline constexpr char kGroupFile[] = "Файл ПО";
inline constexpr char kChooseFile[] = "Выбрать файл...";
inline constexpr char kWrite[] = "Записать ПО";
inline constexpr char kVerify[] = "Проверить ПО";
inline constexpr char kStop[] = "Стоп";
inline constexpr char kGroupTiming[] = "Время, мс";
inline constexpr char kEraseTime[] = "Очистка блока памяти:";
inline constexpr char kPageTime[] = "Запись страницы памяти:";
inline constexpr char kInitTime[] = "Инициализация устройства:";
inline constexpr char kProtocol[] = "Записывать протокол загрузки ПО";
inline constexpr char kChooseProtocol[] = "...";
inline constexpr char kCaptionWarning[] = "Предупреждение";
inline constexpr char kCaptionError[] = "Ошибка";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Обновление ПО устройства";
inline constexpr char kTipRead[] = "Прочитать ПО устройства и сравнить с ПО из открытого файла";
inline constexpr char kTipWrite[] = "Записать обновление программного обеспечения устройства";

}  // namespace tirv::firmware_page_texts
