#pragma once
// The words of the I/O page in both modes (settings and live state): titles, column heads,
// tooltips, the polling group, the file dialogs. UTF-8.
#include <array>

namespace tirv::io_page_texts {

inline constexpr std::array<const char*, 2> kTitles = {
    "Настройка входов/выходов устройства", "Контроль состояния входов/выходов устройства"};
inline constexpr char kInputs[] = "Входы";
inline constexpr char kOutputs[] = "Выходы";
inline constexpr char kFunction[] = "Назначение";
inline constexpr char kLevel[] = "Уровень";
inline constexpr char kMode[] = "Режим";
inline constexpr char kPickUp[] = "Т задерж.";
inline constexpr char kReset[] = "Т сброса";
inline constexpr char kOperate[] = "Т сраб.";
inline constexpr char kReturn[] = "Т возвр.";
inline constexpr char kTimeTip[] = "Tmin=0.0сек.; Tmax=99.99сек.";

inline constexpr char kPollGroup[] = "Циклический опрос состояния";
inline constexpr char kPollOn[] = "Вкл.";
inline constexpr char kPollPeriod[] = "Интервал, мсек. :";
inline constexpr char kLegendActive[] = "- активный уровень сигнала входа\\выхода";
inline constexpr char kLegendInactive[] = "- неактивный уровень сигнала входа\\выхода";
inline constexpr char kPeriodTooSmall[] =
    "Введенный интервал циклического чтения слишком мал и будет заменен на минимально "
    "допустимое значение";
inline constexpr char kPeriodEmpty[] = "Время должно быть представлено целым числом";
inline constexpr char kCaptionPeriod[] = "Ошибка ввода интервала циклического чтения";
inline constexpr char kChooseFunction[] = "Выберите назначение!";
// Speed positions 0..6.
inline constexpr std::array<const char*, 7> kPeriodTips = {
    "Для Vобмена=1200: Tmin=3425мсек.; Tmax=9999мсек.",
    "Для Vобмена=2400: Tmin=1800мсек.; Tmax=9999мсек.",
    "Для Vобмена=4800: Tmin=1000мсек.; Tmax=9999мсек.",
    "Для Vобмена=9600: Tmin=600мсек.; Tmax=9999мсек.",
    "Для Vобмена=19200: Tmin=400мсек.; Tmax=9999мсек.",
    "Для Vобмена=38400: Tmin=300мсек.; Tmax=9999мсек.",
    "Для Vобмена=57600: Tmin=270мсек.; Tmax=9999мсек.",
};

inline constexpr char kOpenTitle[] = "Открыть файл настроек входов/выходов";
inline constexpr char kSaveTitle[] = "Сохранить настройки входов/выходов в файле";
inline constexpr char kFilter[] = "Файлы настроек входов/выходов(*.tio)";
inline constexpr char kExtension[] = "tio";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kSettingsStatus[] = "  Настройка входов\\выходов устройства";
inline constexpr char kStateStatus[] = "  Контроль состояния входов\\выходов устройства";
inline constexpr char kStateButtonTip[] = "Контроль состояния входов\\выходов";
inline constexpr char kTipNew[] = "Новые настройки входов/выходов";
inline constexpr char kTipOpen[] = "Открыть файл настроек входов/выходов";
inline constexpr char kTipSave[] = "Сохранить настройки входов/выходов";
inline constexpr char kTipRead[] = "Прочитать из устройства настройки входов/выходов";
inline constexpr char kTipWrite[] = "Записать в устройство настройки входов/выходов";
inline constexpr char kTipReadState[] = "Прочитать из устройства состояние входов/выходов";

}  // namespace tirv::io_page_texts
