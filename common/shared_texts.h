#pragma once
// Words both programs show: message-box captions, the menu words they share and the message of a
// missing help page. UTF-8; each program's texts header refers to these instead of re-typing them.
namespace tirv::shared_texts {

inline constexpr char kCaptionError[] = "Ошибка";
inline constexpr char kCaptionWarning[] = "Предупреждение";
inline constexpr char kCaptionInformation[] = "Информация";

inline constexpr char kMenuFile[] = "Файл";
inline constexpr char kMenuHelp[] = "Справка";
inline constexpr char kMenuExit[] = "Выход";
inline constexpr char kAbout[] = "О программе";

inline constexpr char kHelpFileMissing[] = "Файл '%1' в текущей папке не обнаружен";

}  // namespace tirv::shared_texts
