#pragma once

#include <string>
#include <vector>

// The program's command line: an optional connection string to connect with at start,
// "--help", and Qt's own options (-platform, -style...), which Qt takes for itself.
namespace zolvek::app {

extern const char* const kUsoDoPrograma;

// "--help", "-h" or "-?" anywhere on the line.
bool PedeAjuda(const std::vector<std::string>& argumentos);

// What is wrong with the arguments Qt left ("" when nothing): an option that neither
// the program nor Qt knows.
std::string ErroNosArgumentos(const std::vector<std::string>& argumentos);

}  // namespace zolvek::app
