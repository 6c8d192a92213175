// CREATE and ALTER of procedures, triggers, functions and views: their headers, and their
// bodies compiled when they are created.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/leitura/verificacao_do_corpo.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::ObjetoProgramado(std::size_t inicio, bool alterar) {
    auto [c, x] = Novo<instrucao::CriarObjeto>(inicio);
    x->alterar = alterar;
    // the object's statement runs to the end of its batch
    x->texto = TextoEntre(inicio, t_.size());
    const std::string verbo = alterar ? "ALTER" : "CREATE";
    std::string dito;  // as SQL Server names the statement in its messages
    if (Palavra("PROC") || Palavra("PROCEDURE")) {
        x->tipoDeObjeto = "P";
        dito = "CREATE/ALTER PROCEDURE";
    } else if (Palavra("TRIGGER")) {
        x->tipoDeObjeto = "TR";
        dito = verbo + " TRIGGER";
    } else if (Palavra("VIEW")) {
        x->tipoDeObjeto = "V";
        dito = verbo + " VIEW";
    } else {
        x->tipoDeObjeto = "FN";
        dito = verbo + " FUNCTION";
    }
    if (aninhamento_ > 0) throw ErroDoServidor(156, {Atual().texto});
    if (!primeiro_) throw ErroDoServidor(111, {dito});
    ++i_;
    x->objeto = NomeDeObjeto();
    if (x->tipoDeObjeto == "P")
        CabecalhoDoProcedimento(*x);
    else if (x->tipoDeObjeto == "TR")
        CabecalhoDoGatilho(*x);
    else if (x->tipoDeObjeto == "V")
        return Visao(std::move(c), *x);
    else
        return Funcao(std::move(c), *x);
    emCorpo_ = true;
    while (!Fim()) {
        if (AceitarSimbolo(";")) continue;
        x->instrucoes.push_back(Instrucao(false));
    }
    if (x->instrucoes.empty()) Erro();
    VerificarCorpo(t_, x->instrucoes, false);
    return std::move(c);
}

// WITH ENCRYPTION, RECOMPILE, SCHEMABINDING, EXECUTE AS ..., as a list
void Analisador::OpcoesDoObjeto() {
    if (!Aceitar("WITH")) return;
    do {
        if (Aceitar("EXECUTE") || Aceitar("EXEC")) {
            Esperar("AS");
            if (Fim()) Erro();
            ++i_;                         // CALLER, SELF, OWNER or 'user'
        } else if (Aceitar("RETURNS")) {  // RETURNS NULL ON NULL INPUT
            Esperar("NULL");
            Esperar("ON");
            Esperar("NULL");
            Esperar("INPUT");
        } else if (Aceitar("CALLED")) {
            Esperar("ON");
            Esperar("NULL");
            Esperar("INPUT");
        } else {
            bool conhecida = false;
            for (const char* p : {"ENCRYPTION", "RECOMPILE", "SCHEMABINDING", "VIEW_METADATA",
                                  "NATIVE_COMPILATION", "APPEND"})
                if (Aceitar(p)) conhecida = true;
            if (!conhecida) Erro();
        }
    } while (AceitarSimbolo(","));
}

void Analisador::CabecalhoDoProcedimento(instrucao::CriarObjeto& x) {
    if (AceitarSimbolo(";")) Numero();  // a numbered procedure: p;2
    const bool parenteses = AceitarSimbolo("(");
    if (!Fim() && Atual().tipo == TipoToken::Variavel) do {
            x.parametros.push_back(Variavel(true));
        } while (AceitarSimbolo(","));
    if (parenteses) EsperarSimbolo(")");
    OpcoesDoObjeto();
    if (Palavra("FOR") && Palavra("REPLICATION", 1)) i_ += 2;
    Esperar("AS");
}

// ON tabela [WITH ...] {FOR | AFTER | INSTEAD OF} {INSERT, UPDATE, DELETE} AS
void Analisador::CabecalhoDoGatilho(instrucao::CriarObjeto& x) {
    Esperar("ON");
    x.tabelaDoGatilho = NomeDeObjeto();
    OpcoesDoObjeto();
    if (Aceitar("INSTEAD")) {
        Esperar("OF");
        x.emVezDe = true;
    } else if (!Aceitar("AFTER")) {
        Esperar("FOR");
    }
    do {
        if (!(Palavra("INSERT") || Palavra("UPDATE") || Palavra("DELETE"))) Erro();
        x.eventos.push_back(texto::Maiusculas(t_[i_++].texto));
    } while (AceitarSimbolo(","));
    if (Palavra("WITH") && Palavra("APPEND", 1)) i_ += 2;
    if (Palavra("NOT") && Palavra("FOR", 1) && Palavra("REPLICATION", 2)) i_ += 3;
    Esperar("AS");
}

// A query that runs to the end of the batch: the body of a view or inline function.
ConsultaLida Analisador::ConsultaAteOFim() {
    if (!(Palavra("SELECT") || Palavra("WITH") || Simbolo("("))) Erro();
    const std::size_t ini = i_;
    i_ = FimDaInstrucao(i_ + 1, Palavra("WITH") ? 1 : 0);
    if (Simbolo(")") && EhSimbolo(t_[ini], "(")) ++i_;
    return ConsultaDe({ini, i_});
}

std::unique_ptr<Comando> Analisador::Visao(std::unique_ptr<Comando> c, instrucao::CriarObjeto& x) {
    if (Simbolo("(")) x.colunasDaVisao = ListaDeNomes();
    OpcoesDoObjeto();
    Esperar("AS");
    x.corpo = ConsultaAteOFim();
    if (Palavra("WITH") && Palavra("CHECK", 1) && Palavra("OPTION", 2)) {
        i_ += 3;
        x.comVerificacao = true;
    }
    while (AceitarSimbolo(";")) {
    }
    if (!Fim()) Erro();
    return c;
}

// (parametros) RETURNS tipo | TABLE | @t TABLE (...) [WITH ...] [AS] corpo
std::unique_ptr<Comando> Analisador::Funcao(std::unique_ptr<Comando> c, instrucao::CriarObjeto& x) {
    EsperarSimbolo("(");
    if (!Simbolo(")")) do {
            x.parametros.push_back(Variavel(true));
        } while (AceitarSimbolo(","));
    EsperarSimbolo(")");
    Esperar("RETURNS");
    if (Aceitar("TABLE")) {
        x.tipoDeObjeto = "IF";
        OpcoesDoObjeto();
        Aceitar("AS");
        Esperar("RETURN");
        x.corpo = ConsultaAteOFim();
        while (AceitarSimbolo(";")) {
        }
        if (!Fim()) Erro();
        return c;
    }
    if (!Fim() && Atual().tipo == TipoToken::Variavel) {
        x.tipoDeObjeto = "TF";
        x.retorno.push_back(Variavel(false));
        if (!x.retorno.back().tabela) Erro();
    } else {
        instrucao::VariavelDeclarada r;
        r.tipo = Tipo();
        r.tipoDoUsuario = IguaisCiAs(tipoDoUsuario_, "sysname") ? "" : tipoDoUsuario_;
        x.retorno.push_back(std::move(r));
    }
    OpcoesDoObjeto();
    Aceitar("AS");
    if (!Palavra("BEGIN")) Erro();
    emCorpo_ = true;
    x.instrucoes.push_back(Instrucao(false));
    while (AceitarSimbolo(";")) {
    }
    if (!Fim()) Erro();
    // BEGIN ... END, not BEGIN TRAN or BEGIN TRY
    const auto* bloco = std::get_if<instrucao::Bloco>(&x.instrucoes.back()->instrucao);
    if (!bloco) ErroDeSintaxe(t_, x.instrucoes.back()->faixa.inicio + 1);
    if (!std::holds_alternative<instrucao::Retornar>(bloco->filhos.back()->instrucao))
        throw ErroDoServidor(455);
    VerificarCorpo(t_, x.instrucoes, true, x.tipoDeObjeto == "TF");
    return c;
}

}  // namespace zolvek::simulador
