// The table variables and #tables of a batch, and the dbo schema it names.
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/definicoes_da_tabela.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void Executor::ExigirEsquemaDbo(const std::vector<std::string>& partes) {
    if (partes.size() < 2) return;
    const std::string& esquema = partes[partes.size() - 2];
    if (esquema.empty() || IguaisCiAs(esquema, "dbo")) return;
    throw ErroDoServidor(2760, {esquema});
}

void Definicoes::ExigirEsquemaDbo(const std::vector<std::string>& partes) {
    Executor::ExigirEsquemaDbo(partes);
}

// DECLARE @t TABLE (...): the table variables of a batch or a procedure's body are made
// when it begins to run and dropped when it ends.
Tabela Executor::TabelaDaVariavel(const instrucao::VariavelDeclarada& v) {
    std::vector<DefRestricao> restricoes;
    Tabela t = Definicoes(*this).ColunasDeclaradas(v.nome, v.colunas, v.restricoes, restricoes);
    for (const auto& r : restricoes) {
        if (r.tipo == "F") throw ErroDoServidor(156, {"REFERENCES"});
        AdicionarRestricao(s_.CatalogoAtual(), s_.Banco(), s_.Conexao(), t, r, false, true);
    }
    if (t.VersaoDeLinha())
        throw Recusa(
            "O simulador de SQL Server não aceita colunas timestamp em "
            "variáveis de tabela (" +
            v.nome + ").");
    return t;
}

void Executor::CriarVariaveisDeTabela() {
    if (tabelasCriadas_) return;
    tabelasCriadas_ = true;
    if (!quadro_) return;
    for (const instrucao::VariavelDeclarada* v : quadro_->Tabelas()) {
        s_.CriarVariavelDeTabela(TabelaDaVariavel(*v));
        variaveisDeTabela_.push_back(v->nome);
    }
}

// A #table lives as long as the session, or as the procedure call or dynamic batch
// (EXEC ('...'), sp_executesql) that made it; a ##table as the session.
void Executor::AnotarTemporaria(const std::string& nome) {
    s_.AnotarTemporaria(nome);
    if (estado_ != &estadoProprio_ && nome.rfind("##", 0) != 0) temporarias_.push_back(nome);
}

Executor::~Executor() {
    emCurso_ = anterior_;
    for (const auto& nome : variaveisDeTabela_) s_.ExcluirVariavelDeTabela(nome);
    if (temporarias_.empty()) return;
    try {
        instrucao::ExcluirTabela x;
        x.nomes = temporarias_;
        x.seExistir = true;
        Definicoes(*this).ExcluirTabela(x);
    } catch (...) {
        // the session drops it when it ends
    }
}

}  // namespace zolvek::simulador
