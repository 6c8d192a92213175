#pragma once

#include <string>
#include <vector>

#include "dictionary/dicionario.hpp"

// Texts shared by the default, check and index steps.
namespace zolvek::analysis {

// Each item of an index's column list between brackets (an item already beginning
// with "[" stays as written), joined by "," with no blanks.
std::string ColunasEntreColchetes(const std::string& lista);

// The field's allowed values, each cut to the field's size in characters and written
// as a SQL literal (apostrophes doubled). Empty when the field has no value list.
std::vector<std::string> ValoresEntreAspas(const dicionario::CampoDic& campo);

}  // namespace zolvek::analysis
