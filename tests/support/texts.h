#pragma once
// The system's texts are UTF-8 constants; tests compare them with what Qt shows.
#include <QString>

namespace tirv::test {

inline QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace tirv::test
