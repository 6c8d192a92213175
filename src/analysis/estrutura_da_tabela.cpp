#include <algorithm>

#include "analysis/passos_da_analise.hpp"
#include "analysis/tipos_sql.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

namespace {

using db::EntreApostrofos;
using db::EntreColchetes;
using dicionario::CampoDic;
using dicionario::CategoriaDeDados;
using dicionario::TabelaDic;

std::string AmostraDaTabela(const std::string& tabela) {
    return "select top 1 * from " + EntreColchetes(tabela);
}

bool EhTextual(CategoriaDeDados k) {
    return k == CategoriaDeDados::Texto || k == CategoriaDeDados::Blob ||
           k == CategoriaDeDados::Memo;
}

// Size and declared type of a text or binary column; may widen the field. False when
// the column must be altered (narrower, or of an old or single-byte type other than
// the VARCHAR that a text of more than 4000 characters is made with).
bool TamanhoDaColunaConfere(ContextoDaAnalise& c, const std::string& tabela, CampoDic& campo) {
    db::Consulta consulta(&c.Banco);
    c.Abrir(
        consulta,
        "select c.prec as length,st.name as UserType,bt.name as BaseType from dbo.syscolumns c "
        "INNER JOIN dbo.systypes st ON st.xusertype = c.xusertype INNER JOIN dbo.systypes bt ON "
        "bt.xusertype = c.xtype where c.id=object_id(" +
            db::NomeDeObjetoComoLiteral(tabela) + ") and c.name = " + EntreApostrofos(campo.Nome));
    bool confere = true;
    const std::int64_t tamanho = consulta.CampoPorNome("length").Inteiro();
    if (CategoriaDaColunaCriada(campo) == CategoriaDeDados::Texto && tamanho != -1) {
        if (tamanho < campo.Tamanho)
            confere = false;
        else if (tamanho > campo.Tamanho)
            campo.Tamanho = static_cast<std::int32_t>(tamanho);
    }
    const std::string tipo = texto::Minusculas(consulta.CampoPorNome("UserType").Texto());
    if (tipo == "text" || tipo == "image") confere = false;
    if (tipo.rfind("varchar", 0) == 0 && !(tipo == "varchar" && CriaVarchar(campo)))
        confere = false;
    return confere;
}

// Precision and scale of a decimal column; may widen the field.
bool PrecisaoDaColunaConfere(ContextoDaAnalise& c, const std::string& tabela, CampoDic& campo) {
    const std::string coluna = campo.Nome.find(' ') != std::string::npos
                                   ? EntreApostrofos(campo.Nome)
                                   : "lower(" + EntreApostrofos(campo.Nome) + ")";
    db::Consulta consulta(&c.Banco);
    c.Abrir(consulta,
            "select numeric_precision,numeric_scale from information_schema.columns where "
            "table_catalog=lower(" +
                EntreApostrofos(c.NomeDoBanco) + ") and table_name=lower(" +
                EntreApostrofos(tabela) + ") and column_name=" + coluna);
    const std::int64_t p = consulta.CampoPorNome("numeric_precision").Inteiro();
    const std::int64_t s = consulta.CampoPorNome("numeric_scale").Inteiro();
    consulta.Fechar();
    if (p > 38)
        throw Erro("Campo '" + campo.Nome + "' deveria ser decimal " +
                   std::to_string(campo.Tamanho) + "," + std::to_string(campo.Decimais) +
                   ". Verificar se é float e convertê-lo para decimal na precisão desejada");
    if (p > campo.Tamanho) campo.Tamanho = static_cast<std::int32_t>(p);
    if (s > campo.Decimais) campo.Decimais = static_cast<std::int32_t>(s);
    return p >= campo.Tamanho && s >= campo.Decimais;
}

}  // namespace

bool TabelaExiste(ContextoDaAnalise& c, const std::string& nome, db::Consulta* consulta) {
    db::Consulta propria(&c.Banco);
    db::Consulta& q = consulta ? *consulta : propria;
    const std::string sql =
        "select * from sysobjects where id = object_id(" + db::NomeDeObjetoComoLiteral(nome) + ")";
    try {
        c.Abrir(q, sql);
        const bool existe = !q.Vazio();
        q.Fechar();
        return existe;
    } catch (const ErroDeBanco& e) {
        q.Fechar();
        c.AdicionarErro(nome, "", "Verificar se tabela existe", e.what(), sql);
        return false;
    }
}

bool ColunaConfere(ContextoDaAnalise& c, const std::string& tabela, CampoDic& campo,
                   db::ConjuntoDeDados& amostra, bool& existe) {
    const db::Campo* coluna = amostra.AcharCampo(campo.Nome);
    existe = coluna != nullptr;
    if (!existe) return false;
    // The field's own category, or the one of the column the analysis makes for it.
    const CategoriaDeDados criada = CategoriaDaColunaCriada(campo);
    const CategoriaDeDados daColuna = CategoriaDaColuna(coluna->Definicao());
    bool confere = true;
    if (EhTextual(criada) && !TamanhoDaColunaConfere(c, tabela, campo)) confere = false;
    if (confere && daColuna != campo.Categoria() && daColuna != criada) confere = false;
    // An INT column of an "F" field has no precision to take: only decimal columns do.
    if (confere && daColuna == CategoriaDeDados::Flutuante &&
        !PrecisaoDaColunaConfere(c, tabela, campo))
        confere = false;
    return confere;
}

bool EstruturaConfere(ContextoDaAnalise& c, TabelaDic& tabela) {
    bool confere = true;
    try {
        c.Abrir(c.Trabalho, AmostraDaTabela(tabela.Nome));
        for (CampoDic& campo : tabela.Campos) {
            bool existe = false;
            if (!ColunaConfere(c, tabela.Nome, campo, c.Trabalho, existe)) confere = false;
        }
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro&) {
        confere = false;
    }
    c.Trabalho.Fechar();
    return confere;
}

void CriarTabela(ContextoDaAnalise& c, const TabelaDic& tabela) {
    std::vector<std::string> colunas;
    for (const CampoDic& campo : tabela.Campos)
        colunas.push_back(DefinicaoDaColuna(campo, ModoDeNulo::ConformeCampo, c.VersaoMaior));
    c.Executar("CREATE TABLE " + EntreColchetes(tabela.Nome) + "(" + texto::Juntar(colunas, ",") +
               ")");
    InserirDadosIniciais(c, tabela);
}

void AtualizarEstrutura(ContextoDaAnalise& c, TabelaDic& tabela) {
    db::Consulta amostra(&c.Banco);
    c.Abrir(amostra, AmostraDaTabela(tabela.Nome));
    std::vector<std::string> novas;
    bool alterar = false;
    for (CampoDic& campo : tabela.Campos) {
        bool existe = false;
        if (ColunaConfere(c, tabela.Nome, campo, amostra, existe)) continue;
        if (existe)
            alterar = true;
        else
            novas.push_back(DefinicaoDaColuna(campo, ModoDeNulo::Omitido, c.VersaoMaior));
    }
    if (!novas.empty())
        c.Executar("ALTER TABLE " + EntreColchetes(tabela.Nome) + " ADD " +
                   texto::Juntar(novas, ","));
    if (!alterar) return;
    RemoverIndices(c, tabela);
    for (CampoDic& campo : tabela.Campos) {
        bool existe = false;
        if (!ColunaConfere(c, tabela.Nome, campo, amostra, existe) && existe)
            c.Executar("ALTER TABLE " + EntreColchetes(tabela.Nome) + " ALTER COLUMN " +
                       DefinicaoDaColuna(campo, ModoDeNulo::Omitido, c.VersaoMaior));
    }
}

namespace {

// One ALTER COLUMN per field that `incluir` selects; a server error is listed under
// `funcao` and the next field follows.
template <typename Filtro>
void AlterarNulos(ContextoDaAnalise& c, const TabelaDic& tabela, ModoDeNulo modo,
                  const char* funcao, Filtro incluir) {
    for (const CampoDic& campo : tabela.Campos) {
        if (!incluir(campo)) continue;
        const std::string sql = "ALTER TABLE " + EntreColchetes(tabela.Nome) + " ALTER COLUMN " +
                                DefinicaoDaColuna(campo, modo, c.VersaoMaior);
        try {
            c.Executar(sql);
        } catch (const ErroDeBanco& e) {
            c.AdicionarErro(tabela.Nome, campo.Nome, funcao, e.what(), sql);
        }
    }
}

}  // namespace

void RemoverNaoNulos(ContextoDaAnalise& c, const TabelaDic& tabela) {
    AlterarNulos(c, tabela, ModoDeNulo::SempreNulo, "Remover não nulo", [](const CampoDic& f) {
        return f.Tipo != 'S' && f.Tipo != 'M' && f.Tipo != 'B' && f.Tipo != 'R';
    });
}

void CriarNaoNulos(ContextoDaAnalise& c, const TabelaDic& tabela) {
    AlterarNulos(c, tabela, ModoDeNulo::ConformeCampo, "Criar não nulo",
                 [](const CampoDic& f) { return f.Obrigatorio && f.Tipo != 'S' && f.Tipo != 'R'; });
}

}  // namespace zolvek::analysis
