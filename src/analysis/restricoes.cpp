#include "analysis/restricoes.hpp"

#include "analysis/passos_da_analise.hpp"
#include "analysis/sql_da_analise.hpp"
#include "comum/texto.hpp"

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

std::string SeExistirRemover(const std::string& tabela, const std::string& restricao) {
    return "if exists (select * from sysobjects where id = object_id(" + Literal(restricao) +
           ")) ALTER TABLE [" + tabela + "] DROP CONSTRAINT [" + restricao + "]";
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
                             Literal(t.Nome) + " and i.name is not null"
                       : "SELECT i.name FROM sysindexes i inner join sysobjects t on i.id=t.id "
                         "where t.name = " +
                             Literal(t.Nome) + " and i.rows>0");
    for (nomes.Primeiro(); !nomes.Fim(); nomes.Proximo()) {
        const std::string nome = nomes.Campos().at(0).Texto();
        const std::string sql = "DROP INDEX [" + t.Nome + "].[" + nome + "]";
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

std::string ColunasEntreColchetes(const std::string& lista) {
    std::vector<std::string> itens;
    for (const std::string& item : texto::Dividir(lista, ','))
        itens.push_back(!item.empty() && item[0] == '[' ? item : "[" + item + "]");
    return texto::Juntar(itens, ",");
}

std::vector<std::string> ValoresEntreAspas(const CampoDic& campo) {
    std::vector<std::string> valores;
    for (const std::string& v : campo.ListaDeValoresValidos())
        valores.push_back(Literal(PrimeirosCaracteres(v, campo.Tamanho)));
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
        const std::string sql = "ALTER TABLE [" + t.Nome + "] ADD CONSTRAINT [Deflt_" + t.Nome +
                                "_" + f.Nome + "] DEFAULT (" + v + ") FOR [" + f.Nome + "]";
        if (!ExecutarListando(c, sql, t.Nome, f.Nome, "Criar valor padrão") || !integridade)
            continue;
        const std::string preencher =
            "UPDATE [" + t.Nome + "] SET [" + f.Nome + "]=" + v + " WHERE [" + f.Nome + "] IS NULL";
        const int anterior = c.Trabalho.Timeout();
        c.Trabalho.DefinirTimeout(240);
        ExecutarListando(c, preencher, t.Nome, f.Nome, "Criar valor padrão");
        c.Trabalho.DefinirTimeout(anterior);
    }
}

void RemoverIndices(ContextoDaAnalise& c, const TabelaDic& t) {
    for (const IndiceDic& i : t.Indices) {
        const std::string sql =
            "IF EXISTS (SELECT name FROM sysindexes WHERE name = " + Literal(i.Nome) +
            ") DROP INDEX [" + t.Nome + "].[" + i.Nome + "]";
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
        const std::string sql = i.Primario ? "ALTER TABLE [" + t.Nome + "] ADD CONSTRAINT [Chvpr_" +
                                                 t.Nome + "] PRIMARY KEY (" + colunas + ")"
                                           : "CREATE " + std::string(i.Unico ? "UNIQUE " : "") +
                                                 "INDEX [" + i.Nome + "] ON [" + t.Nome + "](" +
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
    const std::string inicio = "ALTER TABLE [" + t.Nome + "]" + SemVerificacao(integridade) +
                               " ADD CONSTRAINT [Check_" + t.Nome + "_";
    for (const CampoDic& f : t.Campos) {
        const auto valores = ValoresEntreAspas(f);
        std::string sql;
        if (!valores.empty())
            sql = inicio + f.Nome + "] CHECK ([" + f.Nome + "] IN (" + texto::Juntar(valores, ",") +
                  "))";
        else if (!f.Validacao.empty())
            sql = inicio + f.Nome + "] CHECK (" + f.Validacao + ")";
        else
            continue;
        ExecutarListando(c, sql, t.Nome, f.Nome, "Criar validação");
    }
}

}  // namespace zolvek::analysis
