#pragma once
// Windows-1251 ⇄ UTF-8. Text files read by other programs (COMTRADE .CFG, the firmware update
// protocol) are written in Windows-1251; everything in memory is UTF-8.
#include <string>
#include <string_view>

namespace tirv {

std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters that Windows-1251 cannot hold become '?'; malformed UTF-8 bytes become '?' too.
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace tirv
