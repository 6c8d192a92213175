#include "maintenance/atualizar_impostos_dos_itens.hpp"

#include <cctype>

#include "comum/erros.hpp"
#include "db/cadeia_de_conexao.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"
#include "maintenance/atualizar_impostos_do_item.hpp"

namespace zolvek::manutencao {

namespace {

// Every occurrence of `de` (ASCII, any letter case) replaced by `para`.
std::string SubstituirSemCaixa(const std::string& s, const std::string& de,
                               const std::string& para) {
    std::string r;
    std::size_t i = 0;
    while (i < s.size()) {
        bool igual = i + de.size() <= s.size();
        for (std::size_t k = 0; igual && k < de.size(); ++k)
            igual = std::tolower(static_cast<unsigned char>(s[i + k])) ==
                    std::tolower(static_cast<unsigned char>(de[k]));
        if (igual) {
            r += para;
            i += de.size();
        } else {
            r += s[i++];
        }
    }
    return r;
}

// The state of one run.
struct Execucao {
    db::Conexao& banco;
    InterfaceDoComando& ui;
    ConsultasDoItem consultas;
    int erros = 0;
    int atualizados = 0;
    bool cancelada = false;
    int posicao = 0;
    int total = 0;

    Execucao(db::Conexao& b, InterfaceDoComando& i) : banco(b), ui(i), consultas(b) {}

    void AdicionarErro(const std::string& tabela, const std::string& descricao,
                       const std::string& comando) {
        ++erros;
        ui.AdicionarErro({tabela, "", "", descricao, comando});
    }
    void Avancar() { ui.DefinirBarra(++posicao, total); }
};

// Who the failing item is, for the "Comando" column of its error row.
std::string IdentificacaoDoItem(db::ConjuntoDeDados& q, const std::string& tabela) {
    return tabela + " Numint=" + q.CampoPorNome("Numint").Texto() +
           " Id_item=" + q.CampoPorNome("Id_item").Texto();
}

void DesfazerSemFalhar(db::Conexao& banco) {
    try {
        if (banco.EmTransacao()) banco.Desfazer();
    } catch (const std::exception&) {
        // The item's own failure is the one to list.
    }
}

// One item in its own transaction; a failure rolls it back and becomes an error row.
void AtualizarUmItem(Execucao& ex, db::Consulta& qryDocit, bool vendas, const std::string& tabela) {
    try {
        ex.banco.IniciarTransacao();
        AtualizarImpostosDoItem(ex.consultas, qryDocit, vendas);
        ex.banco.Confirmar();
        ++ex.atualizados;
    } catch (const std::exception& e) {
        DesfazerSemFalhar(ex.banco);
        std::string item;
        try {
            item = IdentificacaoDoItem(qryDocit, tabela);
        } catch (const std::exception&) {
            item = tabela;
        }
        ex.AdicionarErro(tabela, e.what(), item);
    }
}

void PercorrerItens(Execucao& ex, db::Consulta& qryDocit, bool vendas, const std::string& tabela) {
    qryDocit.Abrir();
    for (qryDocit.Primeiro(); !ex.cancelada && !qryDocit.Fim(); qryDocit.Proximo()) {
        AtualizarUmItem(ex, qryDocit, vendas, tabela);
        if (ex.ui.CancelamentoPedido()) {
            ex.cancelada = true;
            break;
        }
        ex.Avancar();
    }
}

int ContarCandidatos(db::Conexao& banco) {
    db::Consulta qryTotalRegistros(&banco);
    qryTotalRegistros.DefinirNomeDoComponente("qryTotalRegistros");
    qryTotalRegistros.DefinirTimeout(0);
    for (const auto& l : LinhasDoTotalDeRegistros()) qryTotalRegistros.AdicionarLinha(l);
    qryTotalRegistros.Abrir();
    const int total = static_cast<int>(qryTotalRegistros.CampoPorNome("totalRegistros").Inteiro());
    qryTotalRegistros.Fechar();
    return total;
}

void RodarAsFases(Execucao& ex) {
    db::Consulta qryDocit(&ex.banco);
    qryDocit.DefinirNomeDoComponente("qryDocit");
    qryDocit.DefinirTimeout(0);
    qryDocit.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);

    ex.ui.MostrarProgresso("Analisando impostos dos itens das saídas...");
    ex.cancelada = ex.ui.CancelamentoPedido();
    for (const auto& l : LinhasDoDocitBase()) qryDocit.AdicionarLinha(l);
    PercorrerItens(ex, qryDocit, true, "DOCRECIT");
    qryDocit.Fechar();

    ex.ui.MostrarProgresso("Analisando impostos dos itens das entradas...");
    ex.cancelada = ex.ui.CancelamentoPedido() || ex.cancelada;
    const std::vector<std::string> compras = LinhasDeCompras(qryDocit.LinhasSQL());
    qryDocit.LimparSQL();
    for (const auto& l : compras) qryDocit.AdicionarLinha(l);
    PercorrerItens(ex, qryDocit, false, "DOCPAGIT");
    ex.Avancar();
    qryDocit.Fechar();
}

std::string Desfecho(Execucao& ex) {
    const std::string inicio = "Atualização dos tributos dos itens ";
    if (ex.cancelada) return inicio + " cancelada, " + std::to_string(ex.erros) + " erro(s)";
    ex.ui.DefinirBarra(ex.total, ex.total);
    if (ex.erros == 0) return inicio + " executada com sucesso";
    return inicio + " executada até o fim com " + std::to_string(ex.erros) + " erro(s)";
}

void RegistrarExecucao(Execucao& ex, const std::string& desfecho) {
    db::Consulta registro(&ex.banco);
    registro.DefinirSQL(
        "insert RegMov (Hora, Operador, Tipo, Complemento) values (getdate(), suser_sname(), "
        "'Atualizar', " +
        db::EntreApostrofos(desfecho) + ")");
    try {
        registro.Executar();
    } catch (const std::exception& e) {
        ex.AdicionarErro("REGMOV", e.what(), registro.TextoSQL());
    }
}

// Single-user mode, or the question about the active users and a silent end.
void ObterAcessoExclusivo(db::Conexao& banco, InterfaceDoComando& ui) {
    const std::string nome = db::ObterValorDaConexao(banco.StringDeConexao(), "Initial Catalog");
    db::Consulta exclusivo(&banco);
    exclusivo.DefinirSQL(db::AlterarBanco(nome, "SET SINGLE_USER"));
    try {
        exclusivo.Executar();
        return;
    } catch (const ErroDeBanco& e) {
        const std::string texto =
            "Ocorreu o seguinte erro ao tentar acesso único ao banco de dados: " +
            std::string(e.what()) +
            ". Para executar esta rotina não deve haver outro usuário conectado. Será exibida "
            "uma lista com todos os usuários ativos caso seja esta a causa do erro";
        if (ui.Perguntar("Atenção", texto, Botoes::OkCancelar, Resposta::Ok) == Resposta::Ok)
            ui.MostrarUsuariosAtivos(nome);
    }
    throw Cancelamento();
}

}  // namespace

const std::vector<std::string>& LinhasDoTotalDeRegistros() {
    static const std::vector<std::string> linhas = {
        "select sum(totReg) as totalRegistros",
        "from(",
        "select count(*) as totReg",
        "from",
        "docrecit",
        "inner join Docrec on Docrecit.Numint=Docrec.Numint",
        "WHERE COALESCE(DOCRECIT.CODFIS,DOCREC.CODFIS) IS NOT NULL",
        "AND DOCREC.TIPO IN ('Nota de Serviço','Saída','Transferência','Devolução','Venda',"
        "'Simples remessa','Retorno') -- Docpag",
        "AND DOCRECIT.COMPONENTE='N' -- não em Docpag /*Linha 37*/",
        "AND ( DOCRECIT.BASECALC is null or DOCRECIT.BASEIPI is null )",
        "",
        "union all",
        "",
        "select count(*) as totReg",
        "from",
        "DOCPAGIT",
        "inner join DOCPAG on DOCPAGit.Numint=DOCPAG.Numint",
        "WHERE COALESCE(DOCPAGIT.CODFIS,DOCPAG.CODFIS) IS NOT NULL",
        "AND DOCPAG.TIPO IN ('Entrada', 'Entrada só fiscal', 'Simples Remessa')",
        "AND ( DOCPAGIT.BASECALC is null or DOCPAGIT.BASEIPI is null )",
        ")t",
    };
    return linhas;
}

const std::vector<std::string>& LinhasDoDocitBase() {
    static const std::vector<std::string> linhas = {
        "select",
        "Docrecit.Numint,Docrecit.Id_item,",
        "Docrecit.NUMREF,",
        "Docrecit.BASECALC,",
        "Docrecit.LF_ISENCAO,",
        "Docrecit.LF_SUSPENS,",
        "Docrecit.LF_NAOINCI,",
        "Docrecit.LF_DIFERIM,",
        "Docrecit.LF_OUTRAS,",
        "Docrecit.LF_SUBSTRB, -- LF_SUBTRIB em Docpag",
        "Docrecit.BASESTRIB,",
        "Docrecit.ICMSSTINC,",
        "Docrecit.BASEIPI,",
        "Docrecit.ISENTASIPI,",
        "Docrecit.OUTRASIPI,",
        "coalesce(Docrecit.IcmsSemIsenção,0) as [IcmsSemIsenção], /*LINHA 15 não em Docpag*/",
        "Docrecit.ICM, /*LINHA 16 -- ICMS em Docpag*/",
        "coalesce(Docrecit.CODFIS,Docrec.CODFIS) as CODFIS,",
        "Docrecit.Valor,",
        "coalesce(Docrecit.ValorUnitárioSemIsenção,0) as [ValorUnitárioSemIsenção], /*LINHA 19 "
        "não em Docpag*/",
        "coalesce(Docrecit.IPI,0) as IPI,",
        "coalesce(Docrec.IPI,0) as IPITotal,",
        "coalesce(Docrec.IPIDESPINC,0) as IPIDespesasInclusas,",
        "Docrecit.CODICMS,",
        "Docrecit.REDICMS,",
        "Docrecit.ALIQICMS,",
        "Docrec.Tipo,",
        "Docrec.DESCINC,",
        "Docrec.TOTITENS,",
        "Docrec.BaseCálculoICMSReduzida, /*LINHA 29 não em Docpag*/",
        "Docrec.LOCAL,",
        "Docrec.DESTINO, /*LINHA 31 não em Docpag*/",
        "Docrec.Cliente -- fornecedor em Docpag",
        "from docrecit",
        "inner join Docrec on Docrecit.Numint=Docrec.Numint",
        "WHERE COALESCE(DOCRECIT.CODFIS,DOCREC.CODFIS) IS NOT NULL",
        "AND DOCREC.TIPO IN ('Nota de Serviço','Saída','Transferência','Devolução','Venda',"
        "'Simples remessa','Retorno') -- Docpag",
        "AND DOCRECIT.COMPONENTE='N' /*LINHA 37 não em Docpag*/",
        "AND ( DOCRECIT.BASECALC is null or DOCRECIT.BASEIPI is null )",
        "",
    };
    return linhas;
}

std::vector<std::string> LinhasDeCompras(std::vector<std::string> linhas) {
    for (auto& l : linhas) {
        l = SubstituirSemCaixa(l, "DOCREC", "DOCPAG");
        l = SubstituirSemCaixa(l, "LF_SUBSTRB", "LF_SUBTRIB");
        l = SubstituirSemCaixa(l, "CLIENTE", "FORNECEDOR");
    }
    if (linhas.size() < 38) linhas.resize(38);
    for (std::size_t n : {15u, 19u, 29u, 31u, 37u}) linhas[n].clear();
    linhas[16] = "Docpagit.ICMS,";
    linhas[36] =
        "AND Docpag.TIPO IN ('Entrada', 'Entrada só fiscal', 'Simples Remessa', 'Nota de "
        "serviço')";
    return linhas;
}

ResultadoDaAtualizacao AtualizarImpostosDosItens(db::Conexao& banco, InterfaceDoComando& ui) {
    ObterAcessoExclusivo(banco, ui);
    ui.AbrirEvolucao(kTituloDaEvolucao);
    ui.MostrarProgresso("Aguarde...");
    try {
        Execucao ex(banco, ui);
        ex.total = ContarCandidatos(banco);
        if (ex.total == 0) throw Erro("Não há registros a atualizar");
        ui.DefinirBarra(0, ex.total);
        RodarAsFases(ex);

        ui.MostrarProgresso("Registrando execução...");
        ResultadoDaAtualizacao r;
        r.desfecho = Desfecho(ex);
        RegistrarExecucao(ex, r.desfecho);
        r.cancelada = ex.cancelada;
        r.erros = ex.erros;
        r.itens = ex.atualizados;
        ui.MostrarProgresso(ex.cancelada ? "Atualização cancelada" : "Atualização concluída");
        ui.FinalizarEvolucao(true);
        return r;
    } catch (...) {
        ui.FinalizarEvolucao(false);
        throw;
    }
}

}  // namespace zolvek::manutencao
