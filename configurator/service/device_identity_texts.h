#pragma once
// The words of the configuration page (device type and serial number). UTF-8.
namespace tirv::identity_texts {

inline constexpr char kGroup[] = "Конфигурация (тип устр-ва и зав.№)";
inline constexpr char kTypeLabel[] = "Устройство:";
inline constexpr char kSerialLabel[] = "Заводской №:";

inline constexpr char kReading[] = "  Чтение типа и зав.номера устройства";
inline constexpr char kReadFailed[] = "Ошибка чтения типа и зав.номера устройства";
inline constexpr char kRead[] = "  Тип ТИРВ и зав.номер из устройства прочитаны";
inline constexpr char kReadLinkFailed[] = "Операцию чтения из устр-ва выполнить не удалось";
inline constexpr char kWriteLinkFailed[] = "Операцию записи в устр-во выполнить не удалось";
inline constexpr char kOverflowCaption[] = "Ошибка протокола обмена Modbus";
inline constexpr char kOverflow[] = "Переполнение приемного буфера";

inline constexpr char kInputCaption[] = "Ошибка ввода данных";
inline constexpr char kChooseType[] = "Выберите тип устройства";
inline constexpr char kEnterSerial[] = "Введите заводской номер устройства";

inline constexpr char kWritingType[] = "  Запись типа устройства";
inline constexpr char kTypeWriteFailed[] = " Ошибка записи типа прибора в устройство";
inline constexpr char kTypeWritten[] = "  Тип ТИРВ в устройство записан";
inline constexpr char kSerialNoReply[] = "Ошибка записи зав.номера устройства";
inline constexpr char kSerialWriteFailed[] = "Ошибка записи зав.номера в устройство";
inline constexpr char kBothWritten[] = " Тип и зав.номер записаны в устройство";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Конфигурация (тип устр-ва и зав.№)";
inline constexpr char kTipRead[] = "Прочитать тип устройства и заводской номер";
inline constexpr char kTipWrite[] = "Записать тип устройства и заводской номер";

}  // namespace tirv::identity_texts
