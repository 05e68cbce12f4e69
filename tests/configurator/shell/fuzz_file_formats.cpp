// Any bytes given to the three file parsers are loaded or refused, never a crash; what is
// loaded is written back canonically and reads again to the same bytes.
#include "configurator/setpoints/model_profile.h"
#include "configurator/shell/program_settings.h"
#include "configurator/shell/project_file.h"
#include "configurator/shell/setpoint_file.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

bool Accepted(const tirv::FileReadSteps& s)
{
    return !s.refusal && !s.invalid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the model the program has selected; the rest is the file.
    const tirv::ModelProfile current = tirv::ProfileForModel(tirv::ModelCodeForIndex(data[0] % 8));
    const std::span<const std::uint8_t> file(data + 1, size - 1);

    const tirv::SetpointFileRead tpr = tirv::ParseSetpointFile(file, current);
    if (Accepted(tpr.steps)) {
        // The file's own code is not kept: a saved copy carries the program's.
        const auto again = tirv::BuildSetpointFile(current, tpr.image);
        Require(again.size() == tirv::SetpointFileBytes(current.isM));
        Require(Accepted(tirv::ParseSetpointFile(again, current).steps));
    }

    const tirv::ProjectFileRead project = tirv::ParseProjectFile(file, current);
    if (Accepted(project.steps)) {
        const tirv::ModelProfile p = project.switchesModel
                                         ? tirv::ApplyModelProfile(project.fileModelCode, current)
                                         : current;
        const auto again = tirv::BuildProjectFile(p, project.content);
        const tirv::ProjectFileRead reread = tirv::ParseProjectFile(again, p);
        Require(Accepted(reread.steps) && !reread.switchesModel);
        Require(tirv::BuildProjectFile(p, reread.content) == again);
    }

    const tirv::ProgramSettingsLoad settings = tirv::ParseProgramSettings(file);
    const auto written = tirv::BuildProgramSettings(settings.settings);
    const tirv::ProgramSettingsLoad reread = tirv::ParseProgramSettings(written);
    Require(reread.source == tirv::SettingsSource::Loaded);
    Require(tirv::BuildProgramSettings(reread.settings) == written);
    return 0;
}
