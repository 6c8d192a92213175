// SELECT ... INTO t: makes the table t with the columns the select list gives (no
// constraints) and fills it with the query's rows, as one statement.

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// The new table and the SQLite text of its rows.
struct Destino {
    std::shared_ptr<Tabela> tabela;
    std::string selecao;
    int flags = 0;
};

}  // namespace

void AlteracoesDeDados::SelecionarPara(const instrucao::Selecionar& c) {
    if (s_.Opcoes().semPreenchimentoAnsi)  // the new table's columns would not be padded
        throw Recusa(
            "O simulador de SQL Server não executa SELECT ... INTO com SET ANSI_PADDING "
            "OFF.");
    ContextoDeReescrita ctx = execucao_.Contexto();
    ctx.comDestino = true;
    Destino d;
    {
        const Consulta* consulta = &ArvoreDe(c.selecao);
        GeradorSqlite gerador(ctx);
        d.selecao = gerador.Gerar(*consulta);
        d.tabela = ctx.destino;
        d.flags = ctx.tabelasDoServidor;
        if (!d.tabela) throw ErroDoServidor(156, {"INTO"});
        const auto& partes = consulta->ramos[0].selecao->destino;
        const std::string banco = BancoDoNome(partes);
        if (!banco.empty() && !s_.EsquemaDoBanco(banco).empty())
            throw RecusaDeOutroBanco(banco, partes.back());
        execucao_.ExigirEsquemaDbo(partes);
    }
    Tabela& t = *d.tabela;
    Catalogo& cat = s_.CatalogoAtual();
    if (cat.IdDoObjeto(t.nome)) throw ErroDoServidor(2714, {t.nome});
    t.criacao = FormatarDataHora(DataHoraAtual());
    if (d.flags) s_.AtualizarTabelasDoServidor(d.flags);
    // the query compiles (its names resolve) before the table is made
    try {
        Preparada p = s_.Preparar(d.selecao);
        if (sqlite3_column_count(p.Bruta()) != static_cast<int>(t.colunas.size()))
            throw Recusa("O simulador de SQL Server não deduz as colunas de SELECT ... INTO de '" +
                         t.nome + "'.");
    } catch (const FalhaDoSqlite& f) {
        execucao_.FalhaTraduzida(f, 'S', "");
    }
    if (!ctx.destinoSemTipo.empty())
        throw Recusa("O simulador de SQL Server não deduz o tipo da coluna '" + ctx.destinoSemTipo +
                     "' de SELECT ... INTO.");
    std::string colunas, valores;
    for (std::size_t k = 0; k < t.colunas.size(); ++k) {
        const std::string n = "c" + std::to_string(k + 1);
        colunas += (k ? ", " : "") + ComoIdentificador(t.colunas[k].nome);
        valores += (k ? ", " : "") + n;
    }
    db::Resultado r;
    execucao_.Atomico([&] {
        t.id = cat.NovoId();
        cat.GravarTabela(s_.Conexao(), t);
        CriarTabelaSqlite(s_.Conexao(), cat, *cat.AcharTabela(t.nome));
        execucao_.AposDdl();
        // the query's columns are the table's, already of their types
        r = execucao_.Consultar("WITH zv_fonte(" + valores + ") AS (" + d.selecao +
                                    ") INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (" +
                                    colunas + ") SELECT " + valores + " FROM zv_fonte",
                                0, 'I', t.nome);
    });
    // #T and ##T live as long as the session that made them
    if (t.nome[0] == '#') execucao_.AnotarTemporaria(t.nome);
    AnotarIdentidade(t, r);
    Contar(std::move(r));
}

}  // namespace zolvek::simulador
