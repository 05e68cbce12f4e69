#pragma once
// The words of the LED page and its pop-up. UTF-8.
namespace tirv::led_page_texts {

inline constexpr char kSignal[] = "Назначение";
inline constexpr char kMode[] = " Режим работы";
inline constexpr char kTime[] = "Время срабатывания, с.";
inline constexpr char kTimeTip[] = "Tmin=0.0с; Tmax=99.99с";
inline constexpr char kOpenTitle[] = "Прочитать из файла настройки светодиодов";
inline constexpr char kSaveTitle[] = "Сохранить настройки светодиодов в файле";
inline constexpr char kFilter[] = "Файлы настроек светодиодов(*.tld)";
inline constexpr char kExtension[] = "tld";
// The panel pictures beside the programs.
inline constexpr char kPictureNonM[] = "ТИРВ.bmp";
inline constexpr char kPictureM[] = "ТИРВ_2.bmp";

// The page in the main window: its status text and the toolbar tooltips on it
inline constexpr char kStatus[] = "  Программирование светодиодов";
inline constexpr char kTipNew[] = "Новые настройки светодиодов";
inline constexpr char kTipOpen[] = "Открыть файл настроек светодиодов";
inline constexpr char kTipSave[] = "Сохранить настройки светодиодов";
inline constexpr char kTipRead[] = "Прочитать из устройства настройки светодиодов";
inline constexpr char kTipWrite[] = "Записать в устройство настройки светодиодов";

}  // namespace tirv::led_page_texts
