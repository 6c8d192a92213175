// Computed columns (nome AS expressão): their type is their expression's, over the table's
// other columns, and no computed column reads another.

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/leitura/reescrita.hpp"
#include "simulador/motor/leitura/textos_guardados.hpp"

namespace zolvek::simulador {

void Executor::TiparColunasCalculadas(Tabela& t) {
    for (auto& c : t.colunas) {
        if (c.calculo.empty()) continue;
        for (const auto& nome : ColunasDaExpressao(c.calculo)) {
            const ColunaDaTabela* lida = t.Coluna(nome);
            if (!lida) throw ErroDoServidor(207, {nome});
            if (!lida->calculo.empty()) throw ErroDoServidor(1759, {lida->nome, t.nome});
        }
        Expr e = ExpressaoGuardada(c.calculo);
        ContextoDeReescrita ctx = Contexto();
        ctx.escopoPadrao = {{t.nome, &t}};
        GeradorSqlite gerador(ctx);
        c.tipo = gerador.TipoDoValor(*e).value_or(TipoSql{TipoBase::SqlVariant, 0, 0, 0});
        c.identidade = false;
    }
}

}  // namespace zolvek::simulador
