// The duplicate key value a broken key tells: "The duplicate key value is (...)." after
// SQL Server's message, found by running the statement's new rows again.
#include <string>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/materializacao.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// A key value as SQL Server shows it in "The duplicate key value is (...)".
std::string TextoDaChave(const db::Valor& v) {
    return db::EhNulo(v) ? "<NULL>" : ComoTextoDeValor(v);
}

}  // namespace

// " The duplicate key value is (...)." for the INSERT that broke the key just named: the
// first new row whose key is already in the table or comes twice among the new rows.
// The rows are those of the statement's own text (VALUES or its query), run again.
std::string AlteracoesDeDados::ValorDuplicado(const std::string& insercao, const Tabela& t) {
    const std::string inicio = "INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (";
    const auto p = insercao.find(inicio);
    const auto fimDasColunas = p == std::string::npos ? p : insercao.find(") ", p);
    if (e_.chaveViolada_.empty() || fimDasColunas == std::string::npos) return "";
    const std::string colunas =
        insercao.substr(p + inicio.size(), fimDasColunas - p - inicio.size());
    // a key column the statement does not write (identity, default) is not known here
    for (const auto& k : e_.chaveViolada_)
        if (colunas.find(ComoIdentificador(k)) == std::string::npos) return "";
    std::string antes = insercao.substr(0, p);
    while (!antes.empty() && antes.back() == ' ') antes.pop_back();
    const std::string novas =
        "zv_novas(" + colunas + ") AS (" + insercao.substr(fimDasColunas + 2) + ")";
    return BuscarValorDuplicado(antes.empty() ? "WITH " + novas : antes + ", " + novas, "", t);
}

// The same for an UPDATE: the rows it changes, with their new keys, against the rows it
// leaves as they are and against each other.
std::string AlteracoesDeDados::ValorDuplicado(const PartesDaAtualizacao& p, const Tabela& t) {
    if (e_.chaveViolada_.empty()) return "";
    std::string colunas, valores;
    for (const auto& k : e_.chaveViolada_) {
        std::string valor = (p.alvo.find(" AS zv_alvo") == std::string::npos ? "" : "zv_alvo.") +
                            ComoIdentificador(k);
        for (const auto& [coluna, novo] : p.valores)
            if (IguaisCiAs(coluna, k)) valor = novo;
        colunas += ComoIdentificador(k) + ", ";
        valores += valor + ", ";
    }
    const std::string novas = (p.prefixo.empty() ? "WITH " : p.prefixo + ", ") + "zv_novas(" +
                              colunas + "zv_linha) AS (SELECT " + valores +
                              (p.alvo.find(" AS zv_alvo") == std::string::npos ? "" : "zv_alvo.") +
                              ColunaDaLinha(t) + " FROM " + p.alvo + p.onde + ")";
    return BuscarValorDuplicado(
        novas, " AND x." + ColunaDaLinha(t) + " NOT IN (SELECT zv_linha FROM zv_novas)", t);
}

// Runs `novas` (a WITH that names the new rows zv_novas) and tells the first new key that
// is already in the table (in a row that `outras` leaves) or comes twice among the new.
std::string AlteracoesDeDados::BuscarValorDuplicado(const std::string& novas,
                                                    const std::string& outras, const Tabela& t) {
    std::string chave, iguaisNaTabela, iguaisNasNovas;
    for (const auto& k : e_.chaveViolada_) {
        const std::string id = ComoIdentificador(k);
        if (!chave.empty()) {
            chave += ", ";
            iguaisNaTabela += " AND ";
            iguaisNasNovas += " AND ";
        }
        chave += "n." + id;
        // a NULL is a key value as any other
        iguaisNaTabela += "x." + id + " IS n." + id;
        iguaisNasNovas += "m." + id + " IS n." + id;
    }
    const std::string sql =
        novas + " SELECT " + chave + " FROM zv_novas n WHERE EXISTS (SELECT 1 FROM " +
        (t.id < 0 ? "temp." : "main.") +  // a table variable's are in the temp schema
        IdentificadorNoSqlite(t.nome) + " x WHERE " + iguaisNaTabela + outras +
        ") OR (SELECT count(*) FROM zv_novas m WHERE " + iguaisNasNovas + ") > 1 LIMIT 1";
    try {
        db::Resultado r = execucao_.Consultar(sql, 0, 'S', "");
        if (r.linhas.empty()) return "";
        std::string valores;
        for (const auto& v : r.linhas[0])
            valores += (valores.empty() ? "" : ", ") + TextoDaChave(v);
        return " The duplicate key value is (" + valores + ").";
    } catch (const ErroDeBanco&) {
        return "";  // the message stands without the value
    }
}

}  // namespace zolvek::simulador
