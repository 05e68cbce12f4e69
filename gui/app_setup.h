#pragma once
// What both programs do to the application object at start-up, and the help viewer they share.
class QApplication;
class QString;

namespace tirv {

// Loads Qt's own Russian translations (file, colour and print dialogs, standard buttons) from
// Qt's translations folder. Returns false when they are not installed; the dialogs stay English.
bool InstallQtTranslations(QApplication& app);

// The translations and the spin-button style (gui/spin_button_style.h): called by both
// programs before their window.
void PrepareApplication(QApplication& app);

// Opens the help file in the desktop's browser; false when none could be started.
bool StartHelpViewer(const QString& path);

}  // namespace tirv
