#pragma once

#include <string>
#include <string_view>

// The wide ODBC calls take UTF-16 (SQLWCHAR is two bytes on unixODBC and on Windows,
// whatever the size of wchar_t). Invalid input becomes U+FFFD rather than failing.
namespace zolvek::db::odbc {

std::u16string ParaUtf16(std::string_view utf8);
std::string DeUtf16(std::u16string_view utf16);

}  // namespace zolvek::db::odbc
