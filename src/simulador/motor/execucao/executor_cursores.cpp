// Cursors of a batch or procedure call: OPEN reads the query's rows once, FETCH walks
// them into variables and sets @@FETCH_STATUS.

#include "comum/erros.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void Interpretador::DeclararCursor(const instrucao::DeclararCursor& x) {
    if (x.cursor.rfind('@', 0) == 0)
        throw Recusa("O simulador de SQL Server não interpreta variáveis de cursor.");
    if (e_.quadro_->Cursor(x.cursor)) throw ErroDoServidor(16915, {x.cursor});
    CursorDoLote c;
    c.nome = x.cursor;
    c.selecao = x.selecao;
    for (const auto& o : x.opcoes)
        if (o == "SCROLL" || o == "STATIC" || o == "KEYSET" || o == "DYNAMIC" || o == "INSENSITIVE")
            c.rolavel = true;
    for (const auto& o : x.opcoes)
        if (o == "FORWARD_ONLY" || o == "FAST_FORWARD") c.rolavel = false;
    e_.quadro_->Cursores().emplace(Dobrar(x.cursor), std::move(c));
}

CursorDoLote& Interpretador::CursorDeclarado(const std::string& nome) {
    CursorDoLote* c = e_.quadro_ ? e_.quadro_->Cursor(nome) : nullptr;
    if (!c) throw ErroDoServidor(16916, {nome});
    return *c;
}

CursorDoLote& Interpretador::CursorAberto(const std::string& nome) {
    CursorDoLote& c = CursorDeclarado(nome);
    if (!c.aberto) throw ErroDoServidor(16917);
    return c;
}

void Interpretador::AbrirCursor(const instrucao::AbrirCursor& x) {
    CursorDoLote& c = CursorDeclarado(x.cursor);
    if (c.aberto) throw ErroDoServidor(16905);
    int flags = 0;
    std::vector<std::optional<TipoSql>> tipos;
    const std::string sql = execucao_.Gerada(ArvoreDe(c.selecao), &flags, &tipos);
    db::Resultado r = execucao_.Consultar(sql, flags, 'S', "", &tipos);
    c.colunas = std::move(r.colunas);
    c.linhas = std::move(r.linhas);
    c.posicao = -1;
    c.aberto = true;
    e_.estado_->linhas = static_cast<std::int64_t>(c.linhas.size());
}

// FETCH NEXT (PRIOR, FIRST, LAST of a scrollable cursor) [INTO @a, @b]: without INTO
// the row comes back as a result.
void Interpretador::BuscarCursor(const instrucao::BuscarCursor& x) {
    CursorDoLote& c = CursorAberto(x.cursor);
    if (x.direcao != "NEXT" && !c.rolavel) {
        std::string d = x.direcao;
        for (auto& ch : d) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        throw ErroDoServidor(16911, {d});
    }
    if (x.direcao == "ABSOLUTE" || x.direcao == "RELATIVE")
        throw Recusa("O simulador de SQL Server não interpreta FETCH " + x.direcao + ".");
    if (!x.destinos.empty() && x.destinos.size() != c.colunas.size()) throw ErroDoServidor(16924);
    const auto n = static_cast<std::ptrdiff_t>(c.linhas.size());
    if (x.direcao == "NEXT")
        c.posicao = std::min(c.posicao + 1, n);
    else if (x.direcao == "PRIOR")
        c.posicao = std::max<std::ptrdiff_t>(c.posicao - 1, -1);
    else if (x.direcao == "FIRST")
        c.posicao = n ? 0 : -1;
    else
        c.posicao = n - 1;
    const bool achou = c.posicao >= 0 && c.posicao < n;
    e_.estado_->buscaDoCursor = achou ? 0 : -1;
    e_.estado_->linhas = achou ? 1 : 0;
    if (x.destinos.empty()) {
        db::Resultado r;
        r.colunas = c.colunas;
        if (achou) r.linhas.push_back(c.linhas[static_cast<std::size_t>(c.posicao)]);
        e_.resultados_.push_back(std::move(r));
        return;
    }
    if (!achou) return;  // the variables keep their values
    const auto linha = c.linhas[static_cast<std::size_t>(c.posicao)];
    for (std::size_t k = 0; k < x.destinos.size(); ++k)
        AtribuirValor(VariavelDeclarada(x.destinos[k]), linha[k]);
}

}  // namespace zolvek::simulador
