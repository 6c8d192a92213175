// ALTER TABLE, DATABASE, ROLE and USER (the programmed objects are in
// analisador_de_objetos.cpp, logins and server roles in analisador_de_logins.cpp).

#include <vector>

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
    RecusarObjetoSemSuporte("ALTER");
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
    } else if (Palavra("ENABLE") && Palavra("TRIGGER", 1)) {
        i_ += 2;
        x->acao = AcaoAlterar::HabilitarGatilhos;
        if (!Aceitar("ALL")) do {
                x->nomes.push_back(Nome());
            } while (AceitarSimbolo(","));
    } else if (Palavra("DISABLE") && Palavra("TRIGGER", 1)) {
        throw Recusa("O simulador de SQL Server não interpreta a instrução " +
                     texto::Maiusculas(Atual().texto) + " TRIGGER.");
    } else {
        Erro();
    }
    return c;
}

namespace {

// Options of ALTER DATABASE the stand-in already behaves as with these values, so a
// generated script that states them changes nothing; any other value is refused. The ANSI
// options of a database only fill in for a client that does not set its own, and every
// client sets them when it connects.
struct OpcaoSemEfeito {
    const char* nome;
    std::vector<const char*> valores;  // empty: the option is a word alone
    bool comIgual = false;             // "OPTION = value"
    int versaoMinima = 0;
};

const OpcaoSemEfeito kOpcoesSemEfeito[] = {
    {"ANSI_NULL_DEFAULT", {"ON", "OFF"}},
    {"ANSI_NULLS", {"ON", "OFF"}},
    {"ANSI_PADDING", {"ON", "OFF"}},
    {"ANSI_WARNINGS", {"ON", "OFF"}},
    {"CONCAT_NULL_YIELDS_NULL", {"ON", "OFF"}},
    {"QUOTED_IDENTIFIER", {"ON", "OFF"}},
    {"ARITHABORT", {"OFF"}},
    {"NUMERIC_ROUNDABORT", {"OFF"}},
    {"AUTO_CLOSE", {"OFF"}},
    {"AUTO_CREATE_STATISTICS", {"ON"}},
    {"AUTO_UPDATE_STATISTICS", {"ON"}},
    {"AUTO_UPDATE_STATISTICS_ASYNC", {"OFF"}},
    {"CURSOR_CLOSE_ON_COMMIT", {"OFF"}},
    {"CURSOR_DEFAULT", {"GLOBAL"}},
    {"RECURSIVE_TRIGGERS", {"OFF"}},
    {"DATE_CORRELATION_OPTIMIZATION", {"OFF"}},
    {"TRUSTWORTHY", {"OFF"}},
    {"DB_CHAINING", {"OFF"}},
    {"ALLOW_SNAPSHOT_ISOLATION", {"OFF"}},
    {"READ_COMMITTED_SNAPSHOT", {"ON"}},
    {"PARAMETERIZATION", {"SIMPLE"}},
    {"HONOR_BROKER_PRIORITY", {"OFF"}},
    {"PAGE_VERIFY", {"CHECKSUM"}},
    {"DISABLE_BROKER", {}},
    {"READ_WRITE", {}},
    {"ONLINE", {}},
    {"DELAYED_DURABILITY", {"DISABLED"}, true, 12},
    {"QUERY_STORE", {"OFF"}, true, 13},
};

}  // namespace

// An option of kOpcoesSemEfeito, or TARGET_RECOVERY_TIME (when the stand-in checkpoints is
// its own affair) or FILESTREAM without non-transacted access. False: not one of them.
bool Analisador::LerOpcaoSemEfeito(instrucao::AlterarBanco& x) {
    const std::string nome = texto::Maiusculas(Atual().texto);
    x.valor = nome;
    if (Aceitar("TARGET_RECOVERY_TIME")) {
        x.versaoMinima = 11;
        EsperarSimbolo("=");
        Numero();
        PalavraEntre({"SECONDS", "MINUTES"});
        return true;
    }
    if (Aceitar("FILESTREAM")) {
        x.versaoMinima = 11;
        EsperarSimbolo("(");
        Esperar("NON_TRANSACTED_ACCESS");
        EsperarSimbolo("=");
        if (!Aceitar("OFF"))
            throw Recusa(
                "O simulador de SQL Server não interpreta a opção 'FILESTREAM' de "
                "ALTER DATABASE com acesso não transacional.");
        EsperarSimbolo(")");
        return true;
    }
    for (const OpcaoSemEfeito& o : kOpcoesSemEfeito) {
        if (!Aceitar(o.nome)) continue;
        x.versaoMinima = o.versaoMinima;
        if (o.valores.size() == 0) return true;
        if (o.comIgual) EsperarSimbolo("=");
        if (Fim() || Atual().tipo != TipoToken::Palavra) Erro();
        for (const char* v : o.valores)
            if (Aceitar(v)) return true;
        throw Recusa("O simulador de SQL Server não interpreta a opção '" + nome + " " +
                     texto::Maiusculas(Atual().texto) + "' de ALTER DATABASE.");
    }
    return false;
}

std::unique_ptr<Comando> Analisador::AlterarBanco(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::AlterarBanco>(inicio);
    x->objeto.partes.push_back(Nome());
    if (Palavra("COLLATE"))
        throw Recusa("O simulador de SQL Server não muda a colação de um banco de dados.");
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
    } else if (Aceitar("COMPATIBILITY_LEVEL")) {
        x->modo = "COMPATIBILITY_LEVEL";
        EsperarSimbolo("=");
        x->valor = Numero();
    } else if (!Fim() && LerOpcaoSemEfeito(*x)) {
        x->modo = "SEM_EFEITO";
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
