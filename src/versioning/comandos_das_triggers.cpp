#include "versioning/comandos_das_triggers.hpp"

#include "admin/informacoes_tecnicas.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"
#include "versioning/nome_de_identificador.hpp"

namespace zolvek::versionamento {

namespace dic = zolvek::dicionario;

namespace {

using db::EntreApostrofos;
using db::EntreColchetes;

// The pieces every text of a table is made of.
struct Pecas {
    std::string T;   // table as the dictionary writes it
    std::string H;   // history table
    std::string K;   // first field (record key)
    std::string id;  // variable with the record key
    bool classeP = false;
    std::string declA, declB, selN, selB, intoN, intoB;
    std::vector<std::string> V;  // variable name of each recorded field
    std::vector<std::string> insNew, insOld;
};

void Acrescentar(std::string& lista, const std::string& item) {
    if (!lista.empty()) lista += ", ";
    lista += item;
}

std::string VariavelDaChave(const dic::TabelaDic& tabela, ClasseDeVersionamento classe) {
    if (TemChaveDoRegistro(tabela)) return "@" + NomeDeIdentificador(tabela.Campos.front().Nome);
    if (classe == ClasseDeVersionamento::P) return "@nRegsEmPar";
    admin::LevantarErroLocalizado("FLibRegVer", __LINE__, "CriarComandosDasTriggers",
                                  "Tabela '" + tabela.Nome + "' não tem campo chave identity");
}

Pecas MontarPecas(const dic::TabelaDic& tabela, ClasseDeVersionamento classe) {
    Pecas p;
    p.T = tabela.Nome;
    p.H = TabelaDeHistorico(classe);
    p.K = tabela.Campos.empty() ? std::string() : tabela.Campos.front().Nome;
    p.classeP = classe == ClasseDeVersionamento::P;
    p.id = VariavelDaChave(tabela, classe);
    for (const dic::CampoDic* campo : CamposVersionados(tabela)) {
        const std::string V = NomeDeIdentificador(campo->Nome);
        const std::string F = campo->Nome;
        const TipoDeValor tipo = TipoDeValorDoCampo(*campo);
        Acrescentar(p.declA, "@" + V + " " + tipo.TipoDaVariavel);
        Acrescentar(p.declB, "@" + V + "_before " + tipo.TipoDaVariavel);
        const std::string coluna = EntreColchetes(F);
        if (campo->Tipo == 'D') {
            Acrescentar(p.selN, "convert(varchar(23), n." + coluna + ", 121)");
            Acrescentar(p.selB, "convert(varchar(23), b." + coluna + ", 121)");
        } else {
            Acrescentar(p.selN, "n." + coluna);
            Acrescentar(p.selB, "b." + coluna);
        }
        Acrescentar(p.intoN, "@" + V);
        Acrescentar(p.intoB, "@" + V + "_before");
        const std::string insercao = "insert into " + p.H +
                                     " (Operacao, Tabela, idTabela, Campo, ValorEm" + tipo.Sufixo +
                                     ") values (@IUD, " + EntreApostrofos(p.T) + "," + p.id + ", " +
                                     EntreApostrofos(F) + ",@" + V;
        p.insNew.push_back(insercao + ")");
        p.insOld.push_back(insercao + "_before)");
        p.V.push_back(V);
    }
    return p;
}

std::string Cabecalho(const Pecas& p, const std::string& sufixo) {
    return "CREATE TRIGGER " + EntreColchetes(NomeDaTrigger(p.T, p.H, sufixo)) + " ON " +
           EntreColchetes(p.T);
}

std::string ContagemDeRegistros(const Pecas& p) {
    return "SET @nRegsEmPar = (select count(*) from " + EntreColchetes(p.T) + ")";
}

// One insert per recorded field whose value is not null.
void InsercoesDosNaoNulos(const Pecas& p, std::vector<std::string>& linhas) {
    for (std::size_t i = 0; i < p.V.size(); ++i) {
        linhas.push_back("   if not (@" + p.V[i] + " is null)");
        linhas.push_back("      " + p.insNew[i]);
    }
}

// The first recorded field's value, written even when null.
void InsercaoDoPrimeiro(const Pecas& p, std::vector<std::string>& linhas) {
    linhas.push_back("   " + (p.insNew.empty() ? std::string() : p.insNew.front()));
}

void Inicio(std::vector<std::string>& linhas, const std::string& operacao) {
    linhas.insert(linhas.end(), {"BEGIN", "SET ANSI_NULLS ON", "SET NOCOUNT ON",
                                 "SET @IUD = '" + operacao + "'"});
}

void AberturaDoCursor(std::vector<std::string>& linhas, const std::string& into) {
    linhas.insert(linhas.end(), {"open regs", "while 1=1", "   begin", "   fetch next from regs",
                                 "   into " + into, "   if @@fetch_status <> 0", "      break"});
}

void Fim(std::vector<std::string>& linhas) {
    linhas.insert(linhas.end(), {"   end", "close regs", "deallocate regs", "end"});
}

// The insert and the delete triggers differ only in their operation, the pseudo-table
// they read and which class writes a single row.
void CriarTriggerDeLinhas(const Pecas& p, bool insercao, std::vector<std::string>& linhas) {
    linhas.clear();
    linhas.push_back(Cabecalho(p, insercao ? "Ins" : "Del"));
    linhas.push_back("WITH ENCRYPTION");
    linhas.push_back(insercao ? "FOR INSERT" : "FOR DELETE");
    linhas.push_back("AS");
    linhas.push_back("DECLARE @IUD char(1),@nRegsEmPar int," + p.declA);
    Inicio(linhas, insercao ? "I" : "D");
    if (p.classeP) linhas.push_back(ContagemDeRegistros(p));
    linhas.push_back("declare regs cursor local fast_forward for");
    linhas.push_back("select " + p.selN + (insercao ? " from inserted n" : " from deleted n"));
    AberturaDoCursor(linhas, p.intoN);
    // RegTab keeps the key of an insert and every value of a delete; RegVer the reverse.
    if (insercao != p.classeP)
        InsercaoDoPrimeiro(p, linhas);
    else
        InsercoesDosNaoNulos(p, linhas);
    Fim(linhas);
}

void CriarTriggerDeAlteracao(const Pecas& p, std::vector<std::string>& linhas) {
    linhas.clear();
    linhas.push_back(Cabecalho(p, "Upd"));
    linhas.push_back("WITH ENCRYPTION");
    linhas.push_back("FOR UPDATE");
    linhas.push_back("AS");
    linhas.push_back("DECLARE @IUD char(1),@nRegsEmPar int," + p.declB + ", " + p.declA);
    Inicio(linhas, "U");
    if (p.classeP) linhas.push_back(ContagemDeRegistros(p));
    linhas.push_back("declare regs cursor local fast_forward for");
    linhas.push_back("select " + p.selB + "," + p.selN + " from deleted b");
    linhas.push_back("inner join inserted n");
    linhas.push_back(p.classeP ? std::string("on 1=1")
                               : "on b." + EntreColchetes(p.K) + "=n." + EntreColchetes(p.K));
    AberturaDoCursor(linhas, p.intoB + ", " + p.intoN);
    for (std::size_t i = 0; i < p.V.size(); ++i) {
        const std::string& V = p.V[i];
        linhas.push_back("   if (@" + V + " <> @" + V + "_before) or");
        linhas.push_back("      (@" + V + " is null and @" + V + "_before is not null) or");
        linhas.push_back("      (@" + V + " is not null and @" + V + "_before is null)");
        linhas.push_back("      " + (p.classeP ? p.insNew[i] : p.insOld[i]));
    }
    Fim(linhas);
}

void CriarProcedimentoDeConstrucao(const Pecas& p, std::vector<std::string>& linhas) {
    const std::string T = EntreColchetes(p.T);
    linhas.clear();
    linhas.push_back("CREATE PROCEDURE dbo." +
                     EntreColchetes(NomeDoProcedimentoDeConstrucao(p.T, p.H)));
    linhas.push_back("WITH ENCRYPTION");
    linhas.push_back("AS");
    linhas.push_back("DECLARE @IUD char(1),@nRegsEmPar int," + p.declA);
    Inicio(linhas, "B");
    linhas.push_back("if (select COUNT(*) from " + T + ") > 0 and (select top 1 id from " + p.H +
                     " where Tabela = " + EntreApostrofos(p.T) + ") is not null");
    linhas.push_back("   return");
    linhas.push_back(ContagemDeRegistros(p));
    linhas.push_back("declare regs cursor local fast_forward for");
    linhas.push_back("select " + p.selN + " from " + T + " n order by " + EntreColchetes(p.K));
    AberturaDoCursor(linhas, p.intoN);
    InsercoesDosNaoNulos(p, linhas);
    Fim(linhas);
}

}  // namespace

void CriarComandosDasTriggers(const dic::TabelaDic& tabela, ClasseDeVersionamento classe,
                              ComandosDasTriggers& comandos) {
    comandos.Insercao.clear();
    comandos.Alteracao.clear();
    comandos.Exclusao.clear();
    comandos.Construcao.clear();
    const Pecas p = MontarPecas(tabela, classe);
    CriarTriggerDeLinhas(p, true, comandos.Insercao);
    CriarTriggerDeAlteracao(p, comandos.Alteracao);
    CriarTriggerDeLinhas(p, false, comandos.Exclusao);
    if (p.classeP) CriarProcedimentoDeConstrucao(p, comandos.Construcao);
}

std::string TextoDoComando(const std::vector<std::string>& linhas) {
    std::string texto;
    for (const auto& linha : linhas) texto += linha + "\r\n";
    return texto;
}

std::string NomeDaTrigger(const std::string& tabela, const std::string& historico,
                          const std::string& operacao) {
    return "Trigr_" + tabela + "_" + historico + "_" + operacao;
}

std::string NomeDoProcedimentoDeConstrucao(const std::string& tabela,
                                           const std::string& historico) {
    return "Stprc_" + tabela + "_" + historico + "_Build";
}

}  // namespace zolvek::versionamento
