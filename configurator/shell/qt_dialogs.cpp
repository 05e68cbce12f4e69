#include "configurator/shell/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>

namespace tirv {

QString QtDialogs::chooseFile(const FileRequest& r)
{
    QFileDialog dialog(m_parent, r.title, r.folder.isEmpty() ? m_lastFolder : r.folder, r.filter);
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!r.defaultExtension.isEmpty())
        dialog.setDefaultSuffix(r.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().front();
    m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QRgb> QtDialogs::chooseColour(QRgb initial)
{
    const QColor c = QColorDialog::getColor(QColor::fromRgb(initial), m_parent);
    if (!c.isValid())
        return std::nullopt;
    return c.rgb();
}

}  // namespace tirv
