#pragma once
// Words both programs show: message-box captions, the menu words they share, the message of a
// missing help page and the names of the files they share. UTF-8; each program's texts header refers to these instead of re-typing them.
namespace tirv::shared_texts {

inline constexpr char kCaptionError[] = "Ошибка";
inline constexpr char kCaptionWarning[] = "Предупреждение";
inline constexpr char kCaptionInformation[] = "Информация";

inline constexpr char kMenuFile[] = "Файл";
inline constexpr char kMenuHelp[] = "Справка";
inline constexpr char kMenuExit[] = "Выход";
inline constexpr char kAbout[] = "О программе";

inline constexpr char kHelpFileMissing[] = "Файл '%1' в текущей папке не обнаружен";

// The viewer (its program file and window title) and the oscillogram file the configurator
// leaves beside the programs for it.
inline constexpr char kViewerName[] = "Осциллограф";
inline constexpr char kOscillogramFile[] = "Осциллограммы.tao";

}  // namespace tirv::shared_texts
