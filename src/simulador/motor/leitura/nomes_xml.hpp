#pragma once

#include <string>

// The names XML takes, as FOR XML and the xml type's methods check them.
namespace zolvek::simulador {

// A name FOR XML gives an element or attribute must be an XML name ("Column", "Row",
// "Root" tell whose); raises SQL Server's 6850 otherwise.
void ExigirNomeXml(const std::string& papel, const std::string& nome);
// A character as SQL Server's XML messages show it: four hexadecimal digits ("003C").
std::string CodigoDoCaractere(unsigned valor);

}  // namespace zolvek::simulador
