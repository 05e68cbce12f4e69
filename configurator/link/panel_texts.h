#pragma once
// Texts of the connection panel (UTF-8). The link's own words (link states, failures) are in
// texts.h of this folder.

namespace tirv::panel_texts {

inline constexpr char kChannelRs485[] = "RS-485";
inline constexpr char kChannelUsb[] = "USB";
inline constexpr char kChannelEthernet[] = "Ethernet";
inline constexpr char kProtocolTirv[] = "ТИРВ";
inline constexpr char kProtocolModbus[] = "Modbus";
inline constexpr char kVariantOld[] = "Старая";
inline constexpr char kVariantNew[] = "Новая";
inline constexpr char kParityNone[] = "Нет";
inline constexpr char kParityEven[] = "Чет.";
inline constexpr char kParityOdd[] = "Нечет.";
inline constexpr char kStop1[] = "1";
inline constexpr char kStop2[] = "2";
inline constexpr char kModbusTcp[] = "Modbus TCP";
inline constexpr char kModeSlave[] = "Ведомый";
inline constexpr char kModeMaster[] = "Ведущий";
inline constexpr char kLoopbackEachOther[] = "между собой";
inline constexpr char kLoopbackDevice[] = "с устр-вом";

// Labels and buttons.
inline constexpr char kCheckLink[] = "Проверить связь с устройством";
inline constexpr char kAutoConnect[] = "Установить связь\nс автоматическим\nопределением скорости";
inline constexpr char kMaxRate[] = "Определить\nмаксимальную скорость";
inline constexpr char kMaxRateLabel[] = "Максим. скорость:";
inline constexpr char kWrite[] = "Записать";
inline constexpr char kDisconnect[] = "Откл. от порта";
inline constexpr char kReadAllChannels[] =
    "Считывать настройки всех каналов при проверке связи и отображать (см. ниже):";
inline constexpr char kDeviceGroup[] = "Настройки связи ТИРВ";
inline constexpr char kEthernetOn[] = "Ethernet вкл.";
inline constexpr char kFirmwareVersion[] = "Версия ПО";
inline constexpr char kFirmwareBuild[] = "Сборка ПО";
inline constexpr char kSerialNumber[] = "Зав. №";
inline constexpr char kPort[] = "Порт";
inline constexpr char kProtocol[] = "Протокол";
inline constexpr char kAddress[] = "Адрес";
inline constexpr char kBaud[] = "Скорость";
inline constexpr char kParity[] = "Четность";
inline constexpr char kStopBits[] = "Стоп-биты";
inline constexpr char kRepeats[] = "Повторы";
inline constexpr char kMode[] = "Режим";
inline constexpr char kTimeSync[] = "Синхронизация времени ведущим";
inline constexpr char kGateway[] = "Шлюз";
inline constexpr char kMask[] = "Маска";
inline constexpr char kMac[] = "MAC";
inline constexpr char kDeviceType[] = "Тип устройства";
inline constexpr char kSettingsFile[] = "Файл настроек";
inline constexpr char kCommandLine[] = "Командная строка";

// Status texts and messages.
inline constexpr char kAutoConnecting[] = "  Идет автоматическая установка связи с устройством:";
inline constexpr char kDeviceAddress[] = "  Адрес устр-ва: %1";
inline constexpr char kNewSettingsWritten[] = " Новые настройки связи записаны";
inline constexpr char kBadIdentity[] =
    " В ответе на запрос проверки связи обнаружена недопустимая запись";
inline constexpr char kBootloaderWaiting[] =
    "  Устройство находится в режиме ожидания загрузки ПО";
inline constexpr char kBootloaderMode[] = " Режим загрузки ПО";
inline constexpr char kAddressBlank[] = "Пустое поле адреса устройства";
inline constexpr char kAddressIncomplete[] = "Не все поля интернет-адреса заполнены";
inline constexpr char kPortEmpty[] = "Не веден номер порта Ethernet-соединения";
inline constexpr char kPortInvalid[] = "Недопустимый номер порта Ethernet-соединения";
inline constexpr char kEnterValue[] = "Введите значение!";
inline constexpr char kInputErrorCaption[] = "Ошибка ввода";
inline constexpr char kInputErrorStatus[] = "  Ошибка ввода";
inline constexpr char kRepeatsTooMany[] =
    "Количество попыток повтора чтения посылок не может быть больше %1";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Настройка связи с устройством";
inline constexpr char kTipWrite[] = "Записать в устройство новые настройки связи";

}  // namespace tirv::panel_texts
