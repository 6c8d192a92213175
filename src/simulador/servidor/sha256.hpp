#pragma once

#include <string>
#include <string_view>

namespace zolvek::simulador::interno {

// SHA-256 of the bytes, as 64 lowercase hexadecimal digits. Login passwords are kept
// only as a salted digest.
std::string ResumoSha256(std::string_view dados);

}  // namespace zolvek::simulador::interno
