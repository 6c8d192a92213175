#pragma once

#include <string>
#include <string_view>

namespace zolvek::simulador::interno {

// SHA-256 of the bytes (libsodium's), as 64 lowercase hexadecimal digits.
std::string ResumoSha256(std::string_view dados);

}  // namespace zolvek::simulador::interno
