#pragma once
// Every text the configurator's main window shows: menu, toolbar tooltips, status-bar texts and
// messages. UTF-8; kept here so that no text is typed twice.

namespace tirv::tx {

// Window
inline constexpr char Title[] = " ТИРВ";
inline constexpr char TitleModel[] = " ТИРВ - %1";
inline constexpr char TitleModelM[] = " ТИРВ - %1М";

// Menu bars and sub-menus
inline constexpr char MenuFile[] = "Файл";
inline constexpr char MenuFileNew[] = "Новые ...";
inline constexpr char MenuFileOpen[] = "Открыть файл ...";
inline constexpr char MenuFileSave[] = "Сохранить ...";
inline constexpr char MenuDevice[] = "Устройство";
inline constexpr char MenuDeviceRead[] = "Прочитать из устройства...";
inline constexpr char MenuDeviceWrite[] = "Записать в устройство...";
inline constexpr char MenuSetup[] = "Настройка устройства";
inline constexpr char MenuOperation[] = "Эксплуатация устройства";
inline constexpr char MenuLink[] = "Связь с устройством";
inline constexpr char MenuHelp[] = "Справка";

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
inline constexpr char MiExit[] = "Выход";
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
inline constexpr char MiAbout[] = "О программе";
inline constexpr char MiAbort[] = "Прервать обмен с устройством";

// Page status texts (status-bar field 0)
inline constexpr char StSetpoints[] = "  Редактирование уставок";
inline constexpr char StIoSettings[] = "  Настройка входов\\выходов устройства";
inline constexpr char StLeds[] = "  Программирование светодиодов";
inline constexpr char StMeas[] = "  Контроль текущих значений U,I";
inline constexpr char StIoState[] = "  Контроль состояния входов\\выходов устройства";
inline constexpr char StWorkJournal[] = "  Рабочий журнал";
inline constexpr char StEmergencyJournal[] = "  Аварийный журнал";
inline constexpr char StScan[] = "  Сканирование сети";
inline constexpr char StLinkSettings[] = "  Настройка связи с устройством";
inline constexpr char StCalibration[] = "  Калибровка устройства";
inline constexpr char StClock[] = "  Настройка календаря/часов устройства";
inline constexpr char StConfiguration[] = "  Конфигурация (тип устр-ва и зав.№)";
inline constexpr char StFirmware[] = "  Обновление ПО устройства";
inline constexpr char StBreaker[] = "  Дистанционное управление выключателем";

// Context toolbar tooltips
inline constexpr char TipNewSetpoints[] = "Новые уставки";
inline constexpr char TipNewIo[] = "Новые настройки входов/выходов";
inline constexpr char TipNewLeds[] = "Новые настройки светодиодов";
inline constexpr char TipNewProject[] = "Новый проект (уставки и настройки)";
inline constexpr char TipOpenProject[] = "Открыть файл проекта (уставки и настройки)";
inline constexpr char TipOpenSetpoints[] = "Открыть файл уставок";
inline constexpr char TipOpenIo[] = "Открыть файл настроек входов/выходов";
inline constexpr char TipOpenLeds[] = "Открыть файл настроек светодиодов";
inline constexpr char TipOpenWork[] = "Открыть файл записей рабочего журнала";
inline constexpr char TipOpenEmergency[] = "Открыть файл записей аварийного журнала";
inline constexpr char TipOpenOther[] = "Открыть файл ...";
inline constexpr char TipSaveSetpoints[] = "Сохранить уставки";
inline constexpr char TipSaveIo[] = "Сохранить настройки входов/выходов";
inline constexpr char TipSaveLeds[] = "Сохранить настройки светодиодов";
inline constexpr char TipSaveWork[] = "Сохранить записи рабочего журнала";
inline constexpr char TipSaveEmergency[] = "Сохранить записи аварийного журнала";
inline constexpr char TipSaveOther[] = "Сохранить ...";
inline constexpr char TipReadSetpoints[] = "Прочитать из устройства уставки";
inline constexpr char TipReadIo[] = "Прочитать из устройства настройки входов/выходов";
inline constexpr char TipReadLeds[] = "Прочитать из устройства настройки светодиодов";
inline constexpr char TipReadMeas[] = "Прочитать из устройства текущие значения U,I";
inline constexpr char TipReadIoState[] = "Прочитать из устройства состояние входов/выходов";
inline constexpr char TipReadWork[] = "Прочитать из устройства записи рабочего журнала";
inline constexpr char TipReadEmergency[] = "Прочитать из устройства записи аварийного журнала";
inline constexpr char TipReadLink[] = "Проверить связь с устройством";
inline constexpr char TipReadClock[] = "Прочитать из устройства текущие дату/время";
inline constexpr char TipReadConfig[] = "Прочитать тип устройства и заводской номер";
inline constexpr char TipReadFirmware[] =
    "Прочитать ПО устройства и сравнить с ПО из открытого файла";
inline constexpr char TipReadOther[] = "Прочитать из устройства ...";
inline constexpr char TipWriteSetpoints[] = "Записать в устройство уставки";
inline constexpr char TipWriteIo[] = "Записать в устройство настройки входов/выходов";
inline constexpr char TipWriteLeds[] = "Записать в устройство настройки светодиодов";
inline constexpr char TipWriteLink[] = "Записать в устройство новые настройки связи";
inline constexpr char TipWriteClock[] = "Записать в устройство текущие компьютерные дату/время";
inline constexpr char TipWriteConfig[] = "Записать тип устройства и заводской номер";
inline constexpr char TipWriteFirmware[] =
    "Записать обновление программного обеспечения устройства";
inline constexpr char TipWriteOther[] = "Записать в устройство ...";

// Page-button tooltips
inline constexpr char TipPageSetpoints[] = "Редактирование уставок";
inline constexpr char TipPageIo[] = "Настройка входов/выходов";
inline constexpr char TipPageLeds[] = "Настройка светодиодов";
inline constexpr char TipPageMeas[] = "Контроль текущих значений U,I";
inline constexpr char TipPageIoState[] = "Контроль состояния входов\\выходов";
inline constexpr char TipPageWork[] = "Рабочий журнал";
inline constexpr char TipPageEmergency[] = "Аварийный журнал";
inline constexpr char TipPageScan[] = "Сканирование сети устройств";
inline constexpr char TipPageLink[] = "Настройка связи с устройством";

// Status bar
inline constexpr char ModeBootloader[] = " Режим загрузки ПО";
inline constexpr char LinkUp[] = "Связь установлена";
inline constexpr char LinkDown[] = "Нет связи с устр-вом";
inline constexpr char ReadFailed[] = "Операцию чтения из устр-ва выполнить не удалось";
inline constexpr char WriteFailed[] = "Операцию записи в устр-во выполнить не удалось";
inline constexpr char BootloaderWaiting[] = "  Устройство находится в режиме ожидания загрузки ПО";
inline constexpr char ExchangeAborted[] = " Операция обмена была прервана пользователем";

// Message boxes
inline constexpr char CaptionError[] = "Ошибка";
inline constexpr char CaptionWarning[] = "Предупреждение";
inline constexpr char CaptionRwDevice[] = "Ошибка чтения/записи в устройство";
inline constexpr char NoConnection[] =
    "Не удается установить соединение с устройством. Проверьте настройки соединения.";
inline constexpr char AskGoToBootloader[] =
    "Выбранная операция не может быть выполнена: устройство находится в режиме ожидания "
    "обновления ПО.\nПерейти к загрузке ПО?";
inline constexpr char HelpMissing[] = "Файл '%1' в текущей папке не обнаружен";
inline constexpr char TcpThreadFailed[] = "Не удалось открыть поток соединения порт %1";

// Files beside the program
inline constexpr char HelpFile[] = "ТИРВ.html";
inline constexpr char SettingsFile[] = "ТИРВ.cfg";

// About window
inline constexpr char AboutCaption[] = "О программе";
inline constexpr char AboutProduct[] = "ТИРВ - ОЛК";
inline constexpr char AboutVersion[] = "Версия %1, сборка от %2";
inline constexpr char AboutSupport[] = "Служба поддержки: <a href=\"mailto:%1\">%1</a>";
inline constexpr char SupportAddress[] = "support@tirv-olk.example";

}  // namespace tirv::tx
