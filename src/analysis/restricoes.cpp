#include "analysis/restricoes.hpp"

#include "analysis/passos_da_analise.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

namespace {

using dicionario::CampoDic;
using dicionario::IndiceDic;
using dicionario::TabelaDic;

// The first `n` characters (not bytes) of a UTF-8 text.
std::string PrimeirosCaracteres(const std::string& s, std::int32_t n) {
    std::size_t pos = 0;
    for (std::int32_t i = 0; i < n && pos < s.size(); ++i) {
        char32_t c = 0;
        if (!texto::LerUtf8(s, pos, c)) ++pos;
    }
    return s.substr(0, pos);
}

using db::EntreApostrofos;
using db::EntreColchetes;

std::string SeExistirRemover(const std::string& tabela, const std::string& restricao) {
    return "if exists (select * from sysobjects where id = object_id(" +
           db::NomeDeObjetoComoLiteral(restricao) + ")) ALTER TABLE " + EntreColchetes(tabela) +
           " DROP CONSTRAINT " + EntreColchetes(restricao);
}

// Runs one statement; a server error becomes a row and the caller goes on.
bool ExecutarListando(ContextoDaAnalise& c, const std::string& sql, const std::string& tabela,
                      const std::string& campo, const std::string& funcao) {
    try {
        c.Executar(sql);
        return true;
    } catch (const ErroDeBanco& e) {
        c.AdicionarErro(tabela, campo, funcao, e.what(), sql);
        return false;
    }
}

std::string SemVerificacao(bool integridade) {
    return integridade ? "" : " WITH NOCHECK";
}

// Drops the leftover named indexes the dictionary does not know of.
void RemoverIndicesRestantes(ContextoDaAnalise& c, const TabelaDic& t) {
    db::Consulta nomes(&c.Banco);
    c.Abrir(nomes, c.VersaoMaior >= 9
                       ? "SELECT i.name FROM sys.indexes i inner join sys.objects t on "
                         "i.object_id=t.object_id where t.name = " +
                             EntreApostrofos(t.Nome) + " and i.name is not null"
                       : "SELECT i.name FROM sysindexes i inner join sysobjects t on i.id=t.id "
                         "where t.name = " +
                             EntreApostrofos(t.Nome) + " and i.rows>0");
    for (nomes.Primeiro(); !nomes.Fim(); nomes.Proximo()) {
        const std::string nome = nomes.Campos().at(0).Texto();
        const std::string sql = "DROP INDEX " + EntreColchetes(t.Nome) + "." + EntreColchetes(nome);
        try {
            c.Executar(sql);
        } catch (const ErroDeBanco& e) {
            if (c.VersaoMaior >= 9)
                c.AdicionarErro(t.Nome, "", "Remover índice " + nome, e.what(), sql);
            return;
        }
    }
}

}  // namespace

namespace {

// An index column already in brackets ("[Data] DESC"): the name up to its closing
// bracket ("]]" inside stands for "]"), then nothing but an optional ASC or DESC.
std::string ColunaJaEntreColchetes(const std::string& item) {
    std::string nome;
    std::size_t i = 1;
    for (; i < item.size(); ++i) {
        if (item[i] != ']') {
            nome += item[i];
        } else if (i + 1 < item.size() && item[i + 1] == ']') {
            nome += ']';
            ++i;
        } else {
            break;
        }
    }
    const std::string ordem = i < item.size() ? item.substr(i + 1) : std::string();
    const std::string palavra = texto::Aparar(ordem);
    if (i >= item.size() || !(palavra.empty() || texto::IguaisSemCaixa(palavra, "ASC") ||
                              texto::IguaisSemCaixa(palavra, "DESC")))
        throw ErroDeEntrada("Coluna de índice inválida no dicionário de dados: " + item);
    return EntreColchetes(nome) + ordem;
}

}  // namespace

std::string ColunasEntreColchetes(const std::string& lista) {
    std::vector<std::string> itens;
    for (const std::string& item : texto::Dividir(lista, ','))
        itens.push_back(!item.empty() && item[0] == '[' ? ColunaJaEntreColchetes(item)
                                                        : EntreColchetes(item));
    return texto::Juntar(itens, ",");
}

std::vector<std::string> ValoresEntreAspas(const CampoDic& campo) {
    std::vector<std::string> valores;
    for (const std::string& v : campo.ListaDeValoresValidos())
        valores.push_back(EntreApostrofos(PrimeirosCaracteres(v, campo.Tamanho)));
    return valores;
}

void RemoverValoresPadrao(ContextoDaAnalise& c, const TabelaDic& t) {
    for (const CampoDic& f : t.Campos)
        ExecutarListando(c, SeExistirRemover(t.Nome, "Deflt_" + t.Nome + "_" + f.Nome), t.Nome,
                         f.Nome, "Remover valor padrão");
}

void CriarValoresPadrao(ContextoDaAnalise& c, const TabelaDic& t, bool integridade) {
    for (const CampoDic& f : t.Campos) {
        const auto valores = ValoresEntreAspas(f);
        const std::string v = valores.empty() ? f.ValorPadrao : valores.front();
        if (v.empty()) continue;
        const std::string sql = "ALTER TABLE " + EntreColchetes(t.Nome) + " ADD CONSTRAINT " +
                                EntreColchetes("Deflt_" + t.Nome + "_" + f.Nome) + " DEFAULT (" +
                                v + ") FOR " + EntreColchetes(f.Nome);
        if (!ExecutarListando(c, sql, t.Nome, f.Nome, "Criar valor padrão") || !integridade)
            continue;
        const std::string preencher = "UPDATE " + EntreColchetes(t.Nome) + " SET " +
                                      EntreColchetes(f.Nome) + "=" + v + " WHERE " +
                                      EntreColchetes(f.Nome) + " IS NULL";
        const int anterior = c.Trabalho.Timeout();
        c.Trabalho.DefinirTimeout(240);
        ExecutarListando(c, preencher, t.Nome, f.Nome, "Criar valor padrão");
        c.Trabalho.DefinirTimeout(anterior);
    }
}

void RemoverIndices(ContextoDaAnalise& c, const TabelaDic& t) {
    for (const IndiceDic& i : t.Indices) {
        const std::string sql =
            "IF EXISTS (SELECT name FROM sysindexes WHERE name = " + EntreApostrofos(i.Nome) +
            ") DROP INDEX " + EntreColchetes(t.Nome) + "." + EntreColchetes(i.Nome);
        try {
            c.Executar(sql);
        } catch (const ErroDeBanco& e) {
            // The primary key is a constraint named after the table: dropping it by its
            // dictionary name fails, and the drop below takes it.
            if (!i.Primario) c.AdicionarErro(t.Nome, "", "Remover índice " + i.Nome, e.what(), sql);
        }
        if (i.Primario)
            ExecutarListando(c, SeExistirRemover(t.Nome, "Chvpr_" + t.Nome), t.Nome, "",
                             "Remover índice " + i.Nome);
    }
    RemoverIndicesRestantes(c, t);
}

void CriarIndices(ContextoDaAnalise& c, const TabelaDic& t) {
    for (const IndiceDic& i : t.Indices) {
        const std::string colunas = ColunasEntreColchetes(i.Colunas);
        const std::string sql =
            i.Primario ? "ALTER TABLE " + EntreColchetes(t.Nome) + " ADD CONSTRAINT " +
                             EntreColchetes("Chvpr_" + t.Nome) + " PRIMARY KEY (" + colunas + ")"
                       : "CREATE " + std::string(i.Unico ? "UNIQUE " : "") + "INDEX " +
                             EntreColchetes(i.Nome) + " ON " + EntreColchetes(t.Nome) + "(" +
                             colunas + ")";
        ExecutarListando(c, sql, t.Nome, "", "Criar índice " + i.Nome);
    }
}

void RemoverValidacoes(ContextoDaAnalise& c, const TabelaDic& t) {
    for (const CampoDic& f : t.Campos)
        ExecutarListando(c, SeExistirRemover(t.Nome, "Check_" + t.Nome + "_" + f.Nome), t.Nome,
                         f.Nome, "Remover validação");
}

void CriarValidacoes(ContextoDaAnalise& c, const TabelaDic& t, bool integridade) {
    const std::string inicio =
        "ALTER TABLE " + EntreColchetes(t.Nome) + SemVerificacao(integridade) + " ADD CONSTRAINT ";
    for (const CampoDic& f : t.Campos) {
        const auto valores = ValoresEntreAspas(f);
        const std::string restricao = inicio + EntreColchetes("Check_" + t.Nome + "_" + f.Nome);
        std::string sql;
        if (!valores.empty())
            sql = restricao + " CHECK (" + EntreColchetes(f.Nome) + " IN (" +
                  texto::Juntar(valores, ",") + "))";
        else if (!f.Validacao.empty())
            sql = restricao + " CHECK (" + f.Validacao + ")";
        else
            continue;
        ExecutarListando(c, sql, t.Nome, f.Nome, "Criar validação");
    }
}

}  // namespace zolvek::analysis
