#pragma once
// The common dialogs as requests a page makes of its shell: the window shows a real dialog, tests
// and tirv-cli answer by script. Pages never open a QFileDialog or QColorDialog themselves.
#include <QRgb>
#include <QString>
#include <optional>

namespace tirv {

struct FileRequest {
    QString title;             // the dialog's title
    QString filter;            // Qt filter text, e.g. "Файлы уставок (*.tpr)"
    QString defaultExtension;  // without the dot; added to a typed name that has none
    bool save = false;         // a save dialog (asks before replacing) or an open dialog
    QString folder;            // where the dialog starts; empty: the last folder used
};

struct FileDialogs {
    virtual ~FileDialogs() = default;
    // The chosen path (UTF-8 on every platform), or empty when the user cancelled.
    virtual QString chooseFile(const FileRequest& request) = 0;
    // The chosen colour, or nothing when the user cancelled.
    virtual std::optional<QRgb> chooseColour(QRgb initial) = 0;
};

}  // namespace tirv
