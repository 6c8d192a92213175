// GRANT, DENY and REVOKE.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::Conceder() {
    auto [c, x] = Novo<instrucao::Conceder>(i_);
    x->estado = Dobrar(Atual().texto) == "grant"  ? "GRANT"
                : Dobrar(Atual().texto) == "deny" ? "DENY"
                                                  : "REVOKE";
    ++i_;
    while (!Fim() && !Palavra("ON") && !Palavra("TO") && !Palavra("FROM")) {
        if (Simbolo(",")) {
            ++i_;
            continue;
        }
        std::string p = Nome();
        while (!Fim() && Atual().tipo == TipoToken::Palavra && !Palavra("ON") && !Palavra("TO") &&
               !Palavra("FROM") && !Simbolo(","))
            p += " " + t_[i_++].texto;
        if (Simbolo("(")) i_ = Fecho(i_) + 1;  // column list
        x->permissoes.push_back(p);
    }
    if (Aceitar("ON")) {
        if (Palavra("SCHEMA") && Simbolo("::", 1)) {
            i_ += 2;
            x->esquema = Nome();
        } else if (Simbolo("::", 1) && !Palavra("OBJECT")) {
            // rights on the database, a type, a user, a role...: the stand-in keeps none
            throw Recusa("O simulador de SQL Server não interpreta permissões em '" +
                         texto::Maiusculas(Atual().texto) + "::'.");
        } else {
            if (Palavra("OBJECT") && Simbolo("::", 1)) i_ += 2;
            x->objeto = NomeDeObjeto();
        }
    }
    if (!Aceitar("TO")) Esperar("FROM");
    do {
        x->principais.push_back(Nome());
    } while (AceitarSimbolo(","));
    i_ = FimDaInstrucao(i_);
    return c;
}

}  // namespace zolvek::simulador
