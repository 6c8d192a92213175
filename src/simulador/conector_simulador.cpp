#include "comum/erros.hpp"
#include "simulador/simulador.hpp"

namespace zolvek::simulador {

std::unique_ptr<db::Conector> CriarConector(const std::string& /*cadeiaDeConexao*/) {
    throw ErroDeBanco("O simulador de SQL Server ainda não está disponível nesta versão");
}

}  // namespace zolvek::simulador
