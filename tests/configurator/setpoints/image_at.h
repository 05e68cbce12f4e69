#pragma once
// Reaching one setpoint of an image by its name, for the setpoint tests.
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"

#include <gtest/gtest.h>

namespace tirv::test {

// The image's element of the named setpoint; an unknown name fails the test and gives element 0.
inline std::int32_t& ImageAt(const ModelProfile& profile, SetpointImage& image, const char* name)
{
    const int i = profile.find(name);
    EXPECT_GE(i, 0) << name;
    return image[static_cast<std::size_t>(i < 0 ? 0 : i)];
}

}  // namespace tirv::test
