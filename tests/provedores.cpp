#include "db/odbc/conector_odbc.hpp"
#include "simulador/simulador.hpp"

// The test programs offer the same backends as the programs, registered before main.
namespace {

[[maybe_unused]] const bool registrados = [] {
    zolvek::db::odbc::RegistrarProvedor();
    zolvek::simulador::RegistrarProvedor();
    return true;
}();

}  // namespace
