#pragma once
// The file and colour dialogs of the window: Qt's own dialogs (in Russian with Qt's translations).
#include "configurator/ui/dialogs.h"

class QWidget;

namespace tirv {

class QtDialogs : public FileDialogs {
public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}
    QString chooseFile(const FileRequest& request) override;
    std::optional<QRgb> chooseColour(QRgb initial) override;

private:
    QWidget* m_parent;
    QString m_lastFolder;
};

}  // namespace tirv
