#pragma once
// Every text the configurator's main window shows: menu, toolbar tooltips, status-bar texts and
// messages. UTF-8; kept here so that no text is typed twice: words the connection panel or the
// viewer show as well are taken from their headers.
#include "common/shared_texts.h"

namespace tirv::tx {

// Window
inline constexpr char Title[] = " ТИРВ";

// Menu bars and sub-menus
inline constexpr const auto& MenuFile = shared_texts::kMenuFile;
inline constexpr char MenuFileNew[] = "Новые ...";
inline constexpr char MenuFileOpen[] = "Открыть файл ...";
inline constexpr char MenuFileSave[] = "Сохранить ...";
inline constexpr char MenuDevice[] = "Устройство";
inline constexpr char MenuDeviceRead[] = "Прочитать из устройства...";
inline constexpr char MenuDeviceWrite[] = "Записать в устройство...";
inline constexpr char MenuSetup[] = "Настройка устройства";
inline constexpr char MenuOperation[] = "Эксплуатация устройства";
inline constexpr char MenuLink[] = "Связь с устройством";
inline constexpr const auto& MenuHelp = shared_texts::kMenuHelp;

// Menu items
inline constexpr char MiNewProject[] = "проект ТИРВ (уставки и настройки)";
inline constexpr char MiNewSetpoints[] = "уставки";
inline constexpr char MiNewIo[] = "настройки входов/выходов";
inline constexpr char MiNewLeds[] = "настройки светодиодов";
inline constexpr char MiOpenProject[] = "проекта ТИРВ (уставки и настройки)";
inline constexpr char MiOpenSetpoints[] = "уставок";
inline constexpr char MiOpenIo[] = "настроек входов/выходов";
inline constexpr char MiOpenLeds[] = "настроек светодиодов";
inline constexpr char MiOpenEmergency[] = "записей аварийного журнала";
inline constexpr char MiOpenWork[] = "записей рабочего журнала";
inline constexpr char MiSaveEmergency[] = "записи аварийного журнала";
inline constexpr char MiSaveWork[] = "записи рабочего журнала";
inline constexpr const auto& MiExit = shared_texts::kMenuExit;
inline constexpr char MiReadSetpoints[] = "записи уставок";
inline constexpr char MiReadClock[] = "данные календаря/часов";
inline constexpr char MiReadMeas[] = "текущие измерения U,I";
inline constexpr char MiReadIoState[] = "состояние входов/выходов";
inline constexpr char MiWriteLink[] = "новые настройки связи";
inline constexpr char MiWriteFirmwareVersion[] = "версию ПО";
inline constexpr char MiSetpoints[] = "Редактирование уставок";
inline constexpr char MiIoSettings[] = "Настройка входов/выходов";
inline constexpr char MiLeds[] = "Настройка светодиодов";
inline constexpr char MiClock[] = "Календарь/часы";
inline constexpr char MiCalibration[] = "Калибровка";
inline constexpr char MiConfiguration[] = "Конфигурация";
inline constexpr char MiFirmware[] = "Обновление ПО";
inline constexpr char MiMeas[] = "Контроль текущих измерений";
inline constexpr char MiIoState[] = "Контроль &состояния входов/выходов";
inline constexpr char MiWorkJournal[] = "Рабочий журнал";
inline constexpr char MiEmergencyJournal[] = "Аварийный журнал";
inline constexpr char MiBreaker[] = "Дистанционное управление (ДУ) выключателем";
inline constexpr char MiScan[] = "Сканирование сети";
inline constexpr char MiLinkSettings[] = "Настройка связи с устройством";
inline constexpr char MiHelp[] = "Вызов справки";
inline constexpr char MiCalculator[] = "Помощь при расчетах МТЗ-2, МТЗ-3";
inline constexpr const auto& MiAbout = shared_texts::kAbout;
inline constexpr char MiAbort[] = "Прервать обмен с устройством";

// Context toolbar tooltips where no page has its own
inline constexpr char TipNewProject[] = "Новый проект (уставки и настройки)";
inline constexpr char TipOpenProject[] = "Открыть файл проекта (уставки и настройки)";
inline constexpr const auto& TipOpenOther = MenuFileOpen;
inline constexpr const auto& TipSaveOther = MenuFileSave;
inline constexpr char TipReadOther[] = "Прочитать из устройства ...";
inline constexpr char TipWriteOther[] = "Записать в устройство ...";

// Message boxes
inline constexpr const auto& CaptionError = shared_texts::kCaptionError;
inline constexpr const auto& HelpMissing = shared_texts::kHelpFileMissing;

// Files beside the program
inline constexpr char HelpFile[] = "ТИРВ.html";

// About window
inline constexpr const auto& AboutCaption = shared_texts::kAbout;
inline constexpr char AboutProduct[] = "ТИРВ - ОЛК";
inline constexpr char AboutVersion[] = "Версия %1, сборка от %2";

}  // namespace tirv::tx
