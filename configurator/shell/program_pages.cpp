#include "configurator/shell/program_pages.h"

#include "configurator/shell/main_window.h"

namespace tirv {

struct ProgramPages::Parts {
};

ProgramPages::ProgramPages(MainWindow& window) : m_parts(std::make_unique<Parts>())
{
    (void)window;
}

ProgramPages::~ProgramPages() = default;

}  // namespace tirv
