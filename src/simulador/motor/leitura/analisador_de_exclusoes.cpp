// DROP TYPE, TABLE, INDEX, PROCEDURE, TRIGGER, VIEW, FUNCTION, DATABASE and USER.

#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

// IF EXISTS after DROP's kind of object, which SQL Server reads from 13.0 on.
bool Analisador::SeExistir() {
    if (!Palavra("IF") || !Palavra("EXISTS", 1)) return false;
    if (recente_.versao == 0) recente_ = {13, Atual().texto};
    i_ += 2;
    return true;
}

std::unique_ptr<Comando> Analisador::Soltar() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("TYPE")) {
        auto [c, x] = Novo<instrucao::ExcluirTipo>(inicio);
        x->seExistir = SeExistir();
        x->objeto = NomeDeObjeto();
        return c;
    }
    if (Aceitar("TABLE")) {
        auto [c, x] = Novo<instrucao::ExcluirTabela>(inicio);
        x->seExistir = SeExistir();
        do {
            x->nomes.push_back(NomeDeObjeto().Nome());
        } while (AceitarSimbolo(","));
        return c;
    }
    if (Aceitar("INDEX")) {
        auto [c, x] = Novo<instrucao::ExcluirIndice>(inicio);
        x->seExistir = SeExistir();
        do {
            NomeComposto n = NomeDeObjeto();
            if (Aceitar("ON")) {
                NomeComposto t = NomeDeObjeto();
                x->indices.emplace_back(t, n.Nome());
            } else {
                if (n.partes.size() < 2)
                    throw ErroDoServidor(102, {std::string("'") + n.Nome() + "'"});
                std::string indice = n.partes.back();
                n.partes.pop_back();
                x->indices.emplace_back(n, indice);
            }
        } while (AceitarSimbolo(","));
        return c;
    }
    if (Palavra("PROC") || Palavra("PROCEDURE") || Palavra("TRIGGER") || Palavra("VIEW") ||
        Palavra("FUNCTION")) {
        auto [c, x] = Novo<instrucao::ExcluirObjeto>(inicio);
        if (Aceitar("PROC") || Aceitar("PROCEDURE"))
            x->tipoDeObjeto = "P";
        else if (Aceitar("TRIGGER"))
            x->tipoDeObjeto = "TR";
        else if (Aceitar("VIEW"))
            x->tipoDeObjeto = "V";
        else if (Aceitar("FUNCTION"))
            x->tipoDeObjeto = "FN";
        x->seExistir = SeExistir();
        do {
            x->nomes.push_back(NomeDeObjeto().Nome());
        } while (AceitarSimbolo(","));
        return c;
    }
    if (Aceitar("DATABASE")) {
        auto [c, x] = Novo<instrucao::ExcluirBanco>(inicio);
        x->seExistir = SeExistir();
        x->objeto.partes.push_back(Nome());
        return c;
    }
    if (Aceitar("USER")) {
        auto [c, x] = Novo<instrucao::ExcluirUsuario>(inicio);
        x->seExistir = SeExistir();
        x->objeto.partes.push_back(Nome());
        return c;
    }
    RecusarObjetoSemSuporte("DROP");
    Erro();
}

}  // namespace zolvek::simulador
