#pragma once
// File and colour dialogs answered by script: each request is recorded and gets the next queued
// answer (an empty path / no colour, as a cancelled dialog, when the queue is empty).
#include "configurator/ui/dialogs.h"

#include <deque>
#include <vector>

namespace tirv::test {

class ScriptedDialogs : public FileDialogs {
public:
    QString chooseFile(const FileRequest& request) override
    {
        fileRequests.push_back(request);
        if (paths.empty())
            return {};
        QString p = paths.front();
        paths.pop_front();
        return p;
    }
    std::optional<QRgb> chooseColour(QRgb initial) override
    {
        colourRequests.push_back(initial);
        if (colours.empty())
            return std::nullopt;
        const QRgb c = colours.front();
        colours.pop_front();
        return c;
    }

    std::deque<QString> paths;
    std::deque<QRgb> colours;
    std::vector<FileRequest> fileRequests;
    std::vector<QRgb> colourRequests;
};

}  // namespace tirv::test
