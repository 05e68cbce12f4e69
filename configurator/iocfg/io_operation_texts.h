#pragma once
// The status texts of the I/O and LED exchanges with the relay, in both I/O modes (settings and
// live state). UTF-8; "%1", "%2" are filled by QString::arg.
#include <array>

namespace tirv::io_operation_texts {

// One text per I/O mode: [0] settings, [1] live state.
using ByMode = std::array<const char*, 2>;

inline constexpr ByMode kReadStarted = {"  Чтение настроек входов/выходов устройства",
                                        "  Чтение состояния входов/выходов устройства"};
inline constexpr ByMode kReadNextBlock = {"  Чтение настроек входов/выходов ",
                                          "  Чтение состояния входов/выходов "};
// A repeat of a block before the last one, then of the last (two spaces after the colon).
inline constexpr ByMode kReadRepeat = {
    "  Чтение настроек входов/выходов:   посылка данных %1 - повтор %2",
    "  Чтение состояния входов/выходов:   посылка данных %1 - повтор %2"};
inline constexpr ByMode kReadRepeatLast = {
    "  Чтение настроек входов/выходов:  посылка данных %1 - повтор %2",
    "  Чтение состояния входов/выходов:  посылка данных %1 - повтор %2"};
inline constexpr ByMode kReadFailed = {
    "Ошибка чтения настроек входов/выходов, - повторите операцию или проверьте связь",
    "Ошибка чтения состояния входов/выходов, - повторите операцию или проверьте связь"};
inline constexpr ByMode kReadFailedLast = {
    "Ошибка чтения настроек входов/выходов - повторите операцию или проверьте связь",
    "Ошибка чтения состояния входов/выходов - повторите операцию или проверьте связь"};
// Over Modbus TCP the state-mode word begins with a Latin "c", as the relay's users know it.
inline constexpr ByMode kTcpReadFailed = {
    "Ошибка чтения настроек входов/выходов - повторите операцию или проверьте связь",
    "Ошибка чтения cостояния входов/выходов - повторите операцию или проверьте связь"};
inline constexpr ByMode kReadAborted = {"  Операция чтения настроек входов/выходов прервана",
                                        "  Операция чтения состояния входов/выходов прервана"};
// The old ТИРВ-protocol variant's read carries no start address (the relay answers from register
// 0), so the I/O and LED blocks cannot be read through it; writes name their start and go.
inline constexpr ByMode kReadNeedsStart = {
    "Ошибка чтения настроек входов/выходов: протокол ТИРВ версии \"Старая\" не передает адрес "
    "начала чтения - выберите версию \"Новая\" или Modbus",
    "Ошибка чтения состояния входов/выходов: протокол ТИРВ версии \"Старая\" не передает адрес "
    "начала чтения - выберите версию \"Новая\" или Modbus"};
inline constexpr ByMode kReadDone = {"  Настройки входов/выходов прочитаны из устройства",
                                     "  Состояние входов/выходов прочитано из устройства"};

inline constexpr char kWriteStarted[] = "  Запись настроек входов/выходов";
inline constexpr char kWriteDone[] = "  Настройки входов/выходов записаны в устройство";
inline constexpr char kWriteFailedReply[] = "  Ошибка записи настроек входов/выходов в устройство";
inline constexpr char kWriteNoLink[] = "Ошибка записи настроек входов/выходов в устройство";

// ---- LEDs -------------------------------------------------------------------------------------
inline constexpr char kLedReadStarted[] = "  Чтение назначения светодиодов";
inline constexpr char kLedReadFailed[] = "Ошибка чтения настроек светодиодов - повторите операцию";
inline constexpr char kLedReadNoLink[] = "Ошибка чтения назначения светодиодов из устройства";
inline constexpr char kLedReadNeedsStart[] =
    "Ошибка чтения назначения светодиодов: протокол ТИРВ версии \"Старая\" не передает адрес "
    "начала чтения - выберите версию \"Новая\" или Modbus";
inline constexpr char kLedReadDone[] = "  Настройки светодиодов прочитаны";
inline constexpr char kLedTcpReadDone[] = "  Настройки светодиодов прочитаны из устройства";
inline constexpr char kLedTcpReadFailed[] =
    "Ошибка чтения настроек светодиодов - повторите операцию или проверьте связь";
inline constexpr char kLedWriteStarted[] = "  Запись назначения светодиодов";
inline constexpr char kLedWriteDone[] = "  Настройки светодиодов записаны в устройство";
inline constexpr char kLedWriteFailed[] = "Ошибка записи настроек светодиодов в устройство";

// ---- Files ------------------------------------------------------------------------------------
inline constexpr char kIoFileLoaded[] = "  Настройки входов/выходов прочитаны из файла";
inline constexpr char kIoFileSaved[] = "  Настройки входов/выходов сохранены в файле";
inline constexpr char kLedFileLoaded[] = "  Настройки светодиодов прочитаны из файла";
inline constexpr char kLedFileSaved[] = "  Настройки светодиодов сохранены в файле";

}  // namespace tirv::io_operation_texts
