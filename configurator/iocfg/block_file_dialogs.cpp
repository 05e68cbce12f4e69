#include "configurator/iocfg/block_file_dialogs.h"

#include "common/word_file.h"
#include "configurator/shell/setpoint_file.h"

namespace tirv {

QString ChooseBlockFileToOpen(Shell& shell, const BlockFileTexts& texts, int commandLineKind)
{
    const QString path = shell.takeCommandLinePath(commandLineKind);
    if (!path.isEmpty())
        return path;
    FileRequest r;
    r.title = QString::fromUtf8(texts.openTitle);
    r.filter = QString::fromUtf8(texts.filter);
    r.defaultExtension = QString::fromUtf8(texts.extension);
    return shell.dialogs().chooseFile(r);
}

std::optional<std::vector<std::uint8_t>> ReadBlockFile(Shell& shell, const QString& path)
{
    std::vector<std::uint8_t> bytes;
    int error = 0;
    if (!ReadWholeFile(path.toStdString(), bytes, &error)) {
        shell.reporter().ask(CannotOpenFileMessage(error));
        return std::nullopt;
    }
    return bytes;
}

void SaveBlockFile(Shell& shell, const BlockFileTexts& texts,
                   const std::function<std::vector<std::uint8_t>()>& bytes, const char* savedStatus)
{
    FileRequest r;
    r.title = QString::fromUtf8(texts.saveTitle);
    r.filter = QString::fromUtf8(texts.filter);
    r.defaultExtension = QString::fromUtf8(texts.extension);
    r.save = true;
    const QString path = shell.dialogs().chooseFile(r);
    if (path.isEmpty())
        return;
    int error = 0;
    if (!WriteWholeFile(path.toStdString(), bytes(), &error)) {
        shell.reporter().ask(CannotOpenFileMessage(error));
        return;
    }
    if (!shell.state().busy)
        shell.reporter().status(QString::fromUtf8(savedStatus), StatusIcon::Info);
}

}  // namespace tirv
