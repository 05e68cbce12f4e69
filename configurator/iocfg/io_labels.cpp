#include "configurator/iocfg/io_labels.h"

#include "configurator/iocfg/io_texts.h"

namespace tirv {

const char* InputFunctionText(int function)
{
    return function >= 0 && function < kInputFunctionCount ? io_texts::kInputFunctions[function]
                                                           : "";
}

const char* OutputSignalText(int signal)
{
    return signal >= 0 && signal < kOutputSignalCount ? io_texts::kOutputSignals[signal] : "";
}

std::string LedLabel(int signal, bool withName)
{
    std::string label = "F" + std::to_string(signal);
    if (withName && signal >= 0 && signal < kOutputSignalCount)
        label += std::string(": ") + io_texts::kOutputSignals[signal];
    return label;
}

}  // namespace tirv
