// CREATE TYPE nome FROM tipo [NULL | NOT NULL]: an alias type.

#include "comum/erros.hpp"
#include "simulador/motor/analisador.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::CriarTipo(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::CriarTipo>(inicio);
    x->objeto = NomeDeObjeto();
    if (Palavra("AS") && Palavra("TABLE", 1))
        throw ErroDeBanco(
            "O simulador de SQL Server não cria tipos de tabela (CREATE TYPE ... AS "
            "TABLE).");
    Esperar("FROM");
    x->tipo = Tipo();
    if (!tipoDoUsuario_.empty() && tipoDoUsuario_ != "sysname")  // an alias of an alias
        throw ErroDeBanco(
            "Column, parameter, or variable #1: Cannot find data type " + tipoDoUsuario_ + ".",
            2715, 16, 3);
    if (Palavra("NOT") && Palavra("NULL", 1)) {
        i_ += 2;
        x->anulavel = false;
    } else if (Aceitar("NULL")) {
        x->anulavel = true;
    }
    return std::move(c);
}

}  // namespace zolvek::simulador
