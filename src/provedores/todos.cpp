#include "db/odbc/conector_odbc.hpp"
#include "simulador/simulador.hpp"

// For the test and benchmark programs: they offer every backend, registered before main
// (the programs register theirs in main).
namespace {

[[maybe_unused]] const bool registrados = [] {
    zolvek::db::odbc::RegistrarProvedor();
    zolvek::simulador::RegistrarProvedor();
    return true;
}();

}  // namespace
