// ALTER TABLE, DATABASE, ROLE and USER (the programmed objects are in
// analisador_de_objetos.cpp, logins and server roles in analisador_de_logins.cpp).

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::Alterar() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("TABLE")) return AlterarTabela(inicio);
    if (Palavra("PROC") || Palavra("PROCEDURE") || Palavra("TRIGGER") || Palavra("VIEW") ||
        Palavra("FUNCTION"))
        return ObjetoProgramado(inicio, true);
    if (Aceitar("DATABASE")) return AlterarBanco(inicio);
    if (Aceitar("ROLE")) return AlterarPapel(inicio);
    if (Aceitar("LOGIN")) return AlterarLogin(inicio);
    if (Palavra("SERVER") && Palavra("ROLE", 1)) return AlterarPapelDoServidor(inicio);
    if (Palavra("USER")) return AlterarUsuario(inicio);
    Erro();
}

std::unique_ptr<Comando> Analisador::AlterarTabela(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::AlterarTabela>(inicio);
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && (Palavra("CHECK", 1) || Palavra("NOCHECK", 1))) {
        x->comVerificacao = Palavra("CHECK", 1);
        i_ += 2;
    }
    if (Aceitar("ADD")) {
        x->acao = AcaoAlterar::Adicionar;
        do {
            ColunaOuRestricao(x->colunas, x->restricoes);
        } while (AceitarSimbolo(","));
    } else if (Palavra("ALTER") && Palavra("COLUMN", 1)) {
        i_ += 2;
        x->acao = AcaoAlterar::AlterarColuna;
        x->colunas.push_back(Coluna(true));
    } else if (Aceitar("DROP")) {
        if (Aceitar("COLUMN")) {
            x->acao = AcaoAlterar::ExcluirColuna;
        } else {
            Aceitar("CONSTRAINT");
            x->acao = AcaoAlterar::ExcluirRestricao;
        }
        do {
            if (x->acao == AcaoAlterar::ExcluirRestricao && Aceitar("COLUMN")) Erro();
            x->nomes.push_back(Nome());
        } while (AceitarSimbolo(","));
    } else if (Palavra("CHECK") || Palavra("NOCHECK")) {
        x->acao = AcaoAlterar::Verificacao;
        x->ligado = Palavra("CHECK");  // CHECK enables, NOCHECK disables
        ++i_;
        Esperar("CONSTRAINT");
        if (!Aceitar("ALL")) do {
                x->nomes.push_back(Nome());
            } while (AceitarSimbolo(","));
    } else if ((Palavra("ENABLE") || Palavra("DISABLE")) && Palavra("TRIGGER", 1)) {
        throw Recusa("O simulador de SQL Server não interpreta a instrução " +
                     texto::Maiusculas(Atual().texto) + " TRIGGER.");
    } else {
        Erro();
    }
    return c;
}

std::unique_ptr<Comando> Analisador::AlterarBanco(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::AlterarBanco>(inicio);
    x->objeto.partes.push_back(Nome());
    Esperar("SET");
    if (Aceitar("SINGLE_USER")) {
        x->modo = "SINGLE_USER";
    } else if (Aceitar("MULTI_USER")) {
        x->modo = "MULTI_USER";
    } else if (Aceitar("RECOVERY")) {
        x->modo = "RECOVERY";
        x->valor = PalavraEntre({"FULL", "BULK_LOGGED", "SIMPLE"});
    } else if (Aceitar("AUTO_SHRINK")) {
        x->modo = "AUTO_SHRINK";
        x->valor = PalavraEntre({"ON", "OFF"});
    } else {
        // an option whose effect the stand-in would not show is refused, not ignored
        if (Fim()) Erro();
        throw Recusa("O simulador de SQL Server não interpreta a opção '" + Atual().texto +
                     "' de ALTER DATABASE.");
    }
    if (Aceitar("WITH")) {
        if (Aceitar("ROLLBACK")) {
            x->comRollback = true;
            if (!Aceitar("IMMEDIATE")) {
                Aceitar("AFTER");
                if (!Fim()) ++i_;
                Aceitar("SECONDS");
            }
        } else {
            Aceitar("NO_WAIT");
        }
    }
    i_ = FimDaInstrucao(i_);
    return c;
}

std::unique_ptr<Comando> Analisador::AlterarPapel(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::AlterarPapel>(inicio);
    x->papel = Nome();
    if (Aceitar("ADD"))
        x->adicionarMembro = true;
    else {
        Esperar("DROP");
        x->adicionarMembro = false;
    }
    Esperar("MEMBER");
    x->membro = Nome();
    return c;
}

// Users keep their only schema, dbo, and no login change: refused when run, never skipped.
std::unique_ptr<Comando> Analisador::AlterarUsuario(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::NaoInterpretada>(inicio);
    x->instrucao = "ALTER USER";
    ++i_;
    Nome();
    if (Aceitar("WITH")) {
        do {  // NAME = ..., DEFAULT_SCHEMA = ..., LOGIN = ...
            Nome();
            EsperarSimbolo("=");
            if (Fim()) Erro();
            ++i_;
        } while (AceitarSimbolo(","));
    }
    return c;
}

}  // namespace zolvek::simulador
