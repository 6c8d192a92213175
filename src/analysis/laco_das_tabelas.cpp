#include "analysis/laco_das_tabelas.hpp"

#include "analysis/passos_da_analise.hpp"
#include "comum/texto.hpp"

namespace zolvek::analysis {

namespace {

using dicionario::TabelaDic;

// Leaves the table loop (not an error: the run goes on).
struct SaidaDoLaco {};

// Shows the progress text of a step and checks for cancellation.
void Passo(ContextoDaAnalise& c, const std::string& texto) {
    c.MostrarProgresso(texto);
    if (c.Cancelado()) throw SaidaDoLaco{};
}

// Runs the work of one table; an error that escapes it becomes the table's row.
template <typename Trabalho>
void ProtegerTabela(ContextoDaAnalise& c, const TabelaDic& t, Trabalho trabalho) {
    try {
        trabalho();
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        c.AdicionarErro(t.Nome, "", "", e.what(), "");
    }
}

// The two "para todos" flags of the run: once set, no more questions of that kind.
struct SemPerguntas {
    bool alterar;
    bool criar;
};

// Asks before altering or creating a table; "Cancelar" aborts the run.
bool Confirmar(ContextoDaAnalise& c, const std::string& texto, bool& semMaisPerguntas) {
    if (semMaisPerguntas) return true;
    switch (c.Interface.Perguntar("Atenção", texto, Botoes::SimTodosNaoCancelar, Resposta::Sim)) {
        case Resposta::Sim:
            return true;
        case Resposta::SimParaTodos:
            semMaisPerguntas = true;
            return true;
        case Resposta::Cancelar:
            throw Cancelamento();
        default:
            return false;
    }
}

bool ProcessaPorIntegridade(const ContextoDaAnalise& c, const TabelaDic& t) {
    return c.Opcoes.VerificarIntegridade && !texto::IguaisSemCaixa(t.Nome, "REGMOV");
}

// A table whose columns match is still processed by the integrity option, after an
// unfinished run, and when it lacks its primary key or one of its indexes.
bool ProcessarMesmoConferindo(ContextoDaAnalise& c, const TabelaDic& t) {
    return ProcessaPorIntegridade(c, t) || c.RefazerTodasAsTabelas || !IndicesPresentes(c, t);
}

// Table loop step 3, for a table that exists: true when it must be processed.
bool TratarTabelaExistente(ContextoDaAnalise& c, TabelaDic& t, SemPerguntas& sem) {
    const OpcoesDaAnalise& o = c.Opcoes;
    const std::string r = RotuloDaTabela(t);
    const bool confere = EstruturaConfere(c, t);
    if (confere && !ProcessarMesmoConferindo(c, t)) return false;
    if (o.RemoverDefault || o.CriarDefault) {
        Passo(c, "Removendo valores padrão da tabela" + r + "...");
        RemoverValoresPadrao(c, t);
    }
    if (o.RemoverIndices) {
        Passo(c, "Removendo índices da tabela" + r + "...");
        RemoverIndices(c, t);
    }
    if (o.RemoverChecks || o.CriarChecks) {
        Passo(c, "Removendo validações de campos da tabela" + r + "...");
        RemoverValidacoes(c, t);
    }
    if (o.VerificarEstrutura) {
        Passo(c, "Verificando estrutura da tabela" + r + "...");
        if (!confere &&
            Confirmar(c,
                      "Será necessário atualizar a estrutura da tabela" + r + ". Atualizar agora ?",
                      sem.alterar)) {
            Passo(c, "Atualizando estrutura da tabela" + r + "...");
            AtualizarEstrutura(c, t);
        }
    }
    return true;
}

// Table loop steps 6 to 10: the dependent objects of a processed table.
void RecriarDependentes(ContextoDaAnalise& c, const TabelaDic& t) {
    const OpcoesDaAnalise& o = c.Opcoes;
    const std::string r = RotuloDaTabela(t);
    if (o.CriarDefault) {
        Passo(c, "Criando valores padrão da tabela" + r + "...");
        CriarValoresPadrao(c, t, o.VerificarIntegridade);
    }
    if (o.RemoverChecks || o.CriarChecks) {
        Passo(c, "Removendo verificação de nulos da tabela" + r + "...");
        RemoverNaoNulos(c, t);
    }
    if (o.CriarChecks) {
        Passo(c, "Criando verificação de nulos da tabela" + r + "...");
        CriarNaoNulos(c, t);
    }
    if (o.GerarIndices) {
        Passo(c, "Criando índices da tabela" + r + "...");
        CriarIndices(c, t);
    }
    if (o.CriarChecks) {
        Passo(c, "Criando validações de campo da tabela" + r + "...");
        CriarValidacoes(c, t, o.VerificarIntegridade);
    }
}

void AnalisarTabela(ContextoDaAnalise& c, TabelaDic& t, SemPerguntas& sem) {
    const std::string r = RotuloDaTabela(t);
    Passo(c, "Verificando existência da tabela" + r + "...");
    bool processar = false;
    if (TabelaExiste(c, t.Nome)) {
        processar = TratarTabelaExistente(c, t, sem);
    } else if (Confirmar(c, "Será necessário criar a tabela" + r + ". Criar agora ?", sem.criar)) {
        Passo(c, "Criando tabela" + r + "...");
        CriarTabela(c, t);
        processar = true;
    }
    if (ProcessaPorIntegridade(c, t)) processar = true;
    if (processar) RecriarDependentes(c, t);
    ConcederAcesso(c, t, c.Opcoes.GrupoParaAcesso);
}

}  // namespace

std::string RotuloDaTabela(const TabelaDic& tabela) {
    return " \"" + tabela.Nome + "\" - " + tabela.Descricao;
}

void RemoverRelacionamentosDasTabelas(ContextoDaAnalise& c) {
    for (const TabelaDic& t : c.Dicionario.Tabelas()) {
        c.MostrarProgresso("Removendo relacionamentos da tabela" + RotuloDaTabela(t) + "...");
        if (c.Cancelado()) return;
        try {
            RemoverRelacionamentos(c, t);
        } catch (const Cancelamento&) {
            throw;
        } catch (const Erro& e) {
            // A table that does not exist yet has no relationship to remove: its
            // failed column read is not an error of the run.
            if (TabelaExiste(c, t.Nome)) c.AdicionarErro(t.Nome, "", "", e.what(), "");
        }
        c.AvancarBarra();
    }
}

void AnalisarTabelas(ContextoDaAnalise& c) {
    SemPerguntas sem{!c.Opcoes.ConfirmarAlteracao, !c.Opcoes.ConfirmarAlteracao};
    try {
        for (TabelaDic& t : c.Dicionario.Tabelas()) {
            ProtegerTabela(c, t, [&] { AnalisarTabela(c, t, sem); });
            c.AvancarBarra();
        }
    } catch (const SaidaDoLaco&) {
    }
}

void CriarRelacionamentosDasTabelas(ContextoDaAnalise& c) {
    for (const TabelaDic& t : c.Dicionario.Tabelas()) {
        c.MostrarProgresso("Criando relacionamentos da tabela" + RotuloDaTabela(t) + "...");
        if (c.Cancelado()) return;
        ProtegerTabela(c, t, [&] { CriarRelacionamentos(c, t, c.Opcoes.VerificarIntegridade); });
        c.AvancarBarra();
    }
}

}  // namespace zolvek::analysis
