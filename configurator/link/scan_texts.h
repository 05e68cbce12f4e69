#pragma once
// The words of the network scan page and of the scan itself. UTF-8.
#include "configurator/link/panel_texts.h"

namespace tirv::scan_texts {

// Controls
inline constexpr char kPort[] = "Порт";
inline constexpr char kAddressGroup[] = "Адрес устройства";
inline constexpr char kSpeedGroup[] = "Скорость обмена";
inline constexpr char kFrom[] = "от";
inline constexpr char kTo[] = "до";
inline constexpr const auto& kParity = panel_texts::kParity;
inline constexpr char kStopBits[] = "Стоп-бит";
inline constexpr char kScan[] = "Сканировать";
inline constexpr char kStop[] = "Остановить сканирование";
inline constexpr char kClear[] = "Очистить таблицу";

// Result columns
inline constexpr const char* kColumns[] = {"Порт",            "Адрес",    "Тип устр-ва",
                                           "Скорость обмена", "Четность", "Стоп-бит"};
inline constexpr int kColumnWidths[] = {70, 60, 120, 120, 80, 70};

// Address checks
inline constexpr char kAddressCaption[] = "Ошибка ввода адреса устройства";
inline constexpr const auto& kEnterValue = panel_texts::kEnterValue;
inline constexpr char kAddressBelow[] = "Адрес устройства не может быть меньше 1";
inline constexpr char kAddressAbove[] = "Адрес устройства не может быть больше 255";

// Status field 0
inline constexpr char kScanRunning[] = "  Сканирование сети";
// Ours: the status field would otherwise keep saying the scan runs.
inline constexpr char kScanDone[] = "  Сканирование сети завершено";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Сканирование сети";
inline constexpr char kPageButtonTip[] = "Сканирование сети устройств";

}  // namespace tirv::scan_texts
