#pragma once
// Texts of the pieces both programs share.

namespace tirv::gui_texts {

// The help file exists but no browser could be started for it.
inline constexpr const char* kHelpNotStarted =
    "Не удалось запустить программу просмотра справки.\nФайл справки: %1";

}  // namespace tirv::gui_texts
