#pragma once
// The words of the clock page and its exchanges. UTF-8.
namespace tirv::clock_texts {

inline constexpr char kGroup[] = "Календарь/часы";
inline constexpr char kRelayLabel[] = "Устройство:";
inline constexpr char kComputerLabel[] = "Компьютер:";
inline constexpr char kBroadcast[] =
    "Установить дату/время всем устройствам ТИРВ, подключенным к  порту";
inline constexpr char kReadButton[] = "Прочитать из устр-ва";
inline constexpr char kSetButton[] = "Установить по компьютерным";
inline constexpr char kSyncLabel[] = "Синхронизация времени устройства:";

inline constexpr char kInvalidPattern[] = "XX.XX.XX    XX:XX:XX.XXX";

inline constexpr char kRead[] = " Данные календаря\\часов прочитаны из устройства";
inline constexpr char kReadInvalid[] =
    " Данные календаря\\часов прочитаны, обнаружены недопустимые значения";
inline constexpr char kReadFailedSerial[] =
    " Чтение календаря\\часов выполнить не удалось - повторите операцию или проверьте связь";
inline constexpr char kReadFailedTcp[] =
    " Ошибка данных календаря\\часов - повторите операцию или проверьте связь";
inline constexpr char kWritten[] = " Данные календаря\\часов записаны в устройство";
inline constexpr char kWriteFailed[] =
    " Запись календаря\\часов выполнить не удалось - повторите операцию или проверьте связь";
// After the broadcast.
inline constexpr char kInvalidData[] =
    "Недопустимые данные календаря\\часов: %.2i.%.2i.%.2i  %.2i:%.2i:%.2i.%.3i";
inline constexpr char kPacedReadFailed[] = "Ошибка чтения календаря\\часов устройства";
// A repeated paced read shows its failure text, this, and the link's "повтор %i".
inline constexpr char kRepeatSeparator[] = ":   ";
inline constexpr char kPacedWriteFailed[] = "Ошибка записи календаря\\часов устройства";
inline constexpr char kPacedWritten[] = "  Значения календаря\\часов записаны в устройство";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Настройка календаря/часов устройства";
inline constexpr char kTipRead[] = "Прочитать из устройства текущие дату/время";
inline constexpr char kTipWrite[] = "Записать в устройство текущие компьютерные дату/время";

}  // namespace tirv::clock_texts
