#pragma once
// Every user-visible text of the setpoint subsystem, UTF-8, in one place. Plain character arrays
// so that the Qt-free catalogue can use them too; the operations wrap them in QString::fromUtf8.
#include <array>

namespace tirv::setpoint_texts {

// Drop-down items of the choices.
inline constexpr std::array<const char*, 6> kTimeCurveItems{
    "Независимая", "Норм. инверсная", "Сильно инверсная", "Чрезв. инверсная", "РТ-80", "РТВ-1"};
inline constexpr std::array<const char*, 2> kActionItems{"Защита", "Сигнал"};
inline constexpr std::array<const char*, 11> kSectorItems{
    "   +/- 15", "   +/- 30", "   +/- 45", "   +/- 60", "   +/- 75", "   +/- 90",
    "   +/- 105", "   +/- 120", "   +/- 135", "   +/- 150", "   +/- 165"};
inline constexpr std::array<const char*, 2> kNpsAlgorithmItems{"По току I2", "По I2/I1"};
inline constexpr std::array<const char*, 2> kEarthFaultCurveItems{"Независимая", "Обратнозав."};
inline constexpr std::array<const char*, 2> kAutoReclosingItems{"1-кратное", "2-кратное"};
inline constexpr std::array<const char*, 2> kLoadSheddingItems{"Внешн.", "Внутр."};
inline constexpr std::array<const char*, 1> kSignallingItems{"Непрерывно"};
inline constexpr std::array<const char*, 2> kPhaseOrderItems{"Прямое", "Обратное"};
inline constexpr std::array<const char*, 2> kVtSchemeItems{"Фазное", "Линейное"};
inline constexpr std::array<const char*, 2> kLedColourItems{"Зеленый/Красный", "Красный/Зеленый"};
inline constexpr std::array<const char*, 16> kButtonItems{
    "Нет функции",   "Сбр. сигн-и",     "Сбр.сигн.МТЗ-4", "Сбр.сигн.ЗОФ",
    "Сбр.сигн.ОЗЗ-1Г", "Сбр.сигн.ОЗЗ-ВГ", "Сбр.сигн.ЗПН",   "Сбр.сигн.ЗМН",
    "Сбр.сигн. ГЗ",  "Сбр.сигн. ТЗ",    "Сбр.с/д_07",     "Сбр.с/д_08",
    "Запрет АПВ",    "Блокировка",      "Деблокиров.",    "Отключение"};

// The image check.
inline constexpr char kCheckCaptionFlag[] = "Switch";
inline constexpr char kCheckCaptionChoice[] = "Combo";
inline constexpr char kCheckCaptionNumeric[] = "Edit";
inline constexpr char kCheckFailed[] = "bCheckErr=TRUE";
inline constexpr char kCheckChoiceFormat[] = "bCheckErr=TRUE; iCombo=%i; nCombo=%i, min=%i; max=%i";

// Reading.
inline constexpr char kReadStarted[] = "  Идет чтение уставок из устройства";
inline constexpr char kReadAborted[] = "  Операция чтения уставок из устройства прервана";
inline constexpr char kReadNextBlock[] = "  Чтение значений уставок из устройства";
// A repeated block shows this followed by the link's "повтор %i".
inline constexpr char kReadRetryPrefix[] = "  Чтение значений уставок из устройства:   ";
inline constexpr char kReadFailed[] = "Ошибка чтения уставок - повторите операцию или проверьте связь";
inline constexpr char kReadEmpty[] =
    "Чтение завершено:в памяти устройства не содержится записей уставок";
inline constexpr char kAskMinimalSet[] =
    "В памяти устройства не содержится записей уставок. Записать минимальный набор?";
inline constexpr char kReadRejected[] = "Чтение прервано: обнаружены недопустимые значения уставок";
inline constexpr char kReadDone[] = "  Значения уставок прочитаны из устройства";
inline constexpr char kTcpReadRejected[] = " Уставки прочитаны, обнаружены недопустимые значения";

// Writing.
inline constexpr char kWriteStarted[] = "  Идет запись уставок в устройство";
inline constexpr char kWriteAborted[] = "  Операция записи уставок в устройство прервана";
inline constexpr char kWriteNextBlock[] = "  Запись значений уставок в устройство";
inline constexpr char kWriteRetryPrefix[] = "  Запись значений уставок в устройство:   ";
inline constexpr char kWriteFailed[] = "Ошибка записи уставок - повторите операцию или проверьте связь";
inline constexpr char kWriteDone[] = "  Значения уставок записаны в устройство";

// Message-box captions.
inline constexpr char kCaptionWarning[] = "Предупреждение";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kPageStatus[] = "  Редактирование уставок";
inline constexpr char kTipNew[] = "Новые уставки";
inline constexpr char kTipOpen[] = "Открыть файл уставок";
inline constexpr char kTipSave[] = "Сохранить уставки";
inline constexpr char kTipRead[] = "Прочитать из устройства уставки";
inline constexpr char kTipWrite[] = "Записать в устройство уставки";

}  // namespace tirv::setpoint_texts
