#include "configurator/device/device_model.h"

namespace tirv {

DeviceModel::DeviceModel(int code, QObject* parent) : QObject(parent), m_code(code) {}

void DeviceModel::setCode(int code)
{
    if (code == m_code)
        return;
    const bool wasM = isM();
    m_code = code;
    emit changed(code);
    if (wasM != isM())
        emit classChanged(isM());
}

}  // namespace tirv
