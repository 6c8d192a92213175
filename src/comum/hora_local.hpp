#pragma once

#include <ctime>

namespace zolvek {

// The calendar fields of a moment in the machine's local time zone (thread-safe on
// every platform, unlike std::localtime).
std::tm HoraLocal(std::time_t momento);

}  // namespace zolvek
