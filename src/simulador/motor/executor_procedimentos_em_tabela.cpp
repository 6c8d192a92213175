// System procedures found in a table of name and handler; the older ones still go through
// the chains of executor_servidor.cpp and executor_sistema.cpp.

#include <string_view>

#include "simulador/motor/executor.hpp"

namespace zolvek::simulador {

namespace {

using Manipulador = void (Executor::*)(const Executor::Argumentos&);

struct ProcedimentoDaTabela {
    std::string_view nome;
    Manipulador executar;
};

}  // namespace

bool Executor::ProcedimentoEmTabela(const std::string& chave, const Argumentos& args) {
    static const ProcedimentoDaTabela kProcedimentos[] = {
        {"sp_addtype", &Executor::AdicionarTipo},
        {"sp_droptype", &Executor::RemoverTipo},
        {"sp_addsrvrolemember", &Executor::AdicionarAoPapelDoServidor},
        {"sp_dropsrvrolemember", &Executor::RemoverDoPapelDoServidor},
        {"sp_password", &Executor::TrocarSenha},
    };
    for (const auto& p : kProcedimentos)
        if (chave == p.nome) {
            (this->*p.executar)(args);
            return true;
        }
    return false;
}

}  // namespace zolvek::simulador
