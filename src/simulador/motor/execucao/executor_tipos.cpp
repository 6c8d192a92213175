// Alias types: CREATE TYPE ... FROM, DROP TYPE, sp_addtype, sp_droptype, and the columns,
// variables and parameters declared with them.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// The alias type of that name of the running statement's database.
const TipoDoUsuario* TipoDoUsuarioEmCurso(const std::string& nome) {
    Executor* e = Executor::EmCurso();
    return e ? e->AcharTipoDoUsuario(nome) : nullptr;
}

}  // namespace

const TipoDoUsuario* Executor::AcharTipoDoUsuario(const std::string& nome) {
    return s_.CatalogoAtual().AcharTipo(nome);
}

TipoSql TipoDeclarado(const instrucao::VariavelDeclarada& v) {
    if (v.tipoDoUsuario.empty()) return v.tipo;
    if (const TipoDoUsuario* t = TipoDoUsuarioEmCurso(v.tipoDoUsuario)) return t->tipo;
    throw ErroDoServidor(2715, {"1", v.tipoDoUsuario});
}

// A procedure's, function's or trigger's parameters and variables name types there are
// (2715 when one does not), as SQL Server finds when it compiles them.
void Executor::ExigirTiposDoCorpo(const instrucao::CriarObjeto& c) {
    for (std::size_t k = 0; k < c.parametros.size(); ++k)
        if (!c.parametros[k].tipoDoUsuario.empty() &&
            !AcharTipoDoUsuario(c.parametros[k].tipoDoUsuario))
            throw ErroDoServidor(2715, {std::to_string(k + 1), c.parametros[k].tipoDoUsuario});
    for (const auto& r : c.retorno) TipoDeclarado(r);
    QuadroDeVariaveis variaveis;
    variaveis.DeclararDe(c.instrucoes);
}

// The columns with their alias types' system types and nullability (a column's own NULL
// or NOT NULL wins).
std::vector<DefColuna> Executor::ColunasComTipos(const std::vector<DefColuna>& colunas) {
    std::vector<DefColuna> r = colunas;
    for (std::size_t k = 0; k < r.size(); ++k) {
        DefColuna& d = r[k];
        if (d.tipoDoUsuario.empty() || IguaisCiAs(d.tipoDoUsuario, "sysname")) continue;
        const TipoDoUsuario* t = AcharTipoDoUsuario(d.tipoDoUsuario);
        if (!t) throw ErroDoServidor(2715, {std::to_string(k + 1), d.tipoDoUsuario});
        d.tipo = t->tipo;
        d.tipoDoUsuario = t->nome;
        if (!d.anulavel) d.anulavel = t->anulavel;
    }
    return r;
}

void Executor::ComandoDeTipo(const instrucao::CriarTipo& c) {
    CriarTipoDoUsuario(c.objeto.Nome(), c.tipo, c.anulavel.value_or(true), c.objeto);
}

void Executor::CriarTipoDoUsuario(const std::string& nome, const TipoSql& tipo, bool anulavel,
                                  const NomeComposto& escrito) {
    Catalogo& cat = s_.CatalogoAtual();
    if (cat.AcharTipo(nome) || TipoPeloNome(Dobrar(nome)) || IguaisCiAs(nome, "sysname")) {
        std::string n;
        for (const auto& p : escrito.partes) n += (n.empty() ? "" : ".") + p;
        throw ErroDoServidor(219, {n});
    }
    Atomico([&] {
        cat.GravarTipo(s_.Conexao(), {0, nome, tipo, anulavel});
        AposDdl();
    });
    AtualizarTiposDoUsuario(s_.Conexao(), cat.TiposDoUsuario());
}

void Executor::ComandoDeTipo(const instrucao::ExcluirTipo& c) {
    Catalogo& cat = s_.CatalogoAtual();
    const TipoDoUsuario* t = cat.AcharTipo(c.objeto.Nome());
    if (!t) {
        if (c.seExistir) return;
        throw ErroDoServidor(218, {c.objeto.Nome()});
    }
    for (Tabela* tabela : cat.Tabelas())
        for (const auto& col : tabela->colunas)
            if (IguaisCiAs(col.tipoDoUsuario, t->nome) && tabela->id > 0)
                throw ErroDoServidor(3732, {t->nome, tabela->nome});
    const std::string nome = t->nome;
    Atomico([&] {
        cat.ExcluirTipo(s_.Conexao(), nome);
        AposDdl();
    });
    AtualizarTiposDoUsuario(s_.Conexao(), cat.TiposDoUsuario());
}

// sp_addtype nome, 'tipo' [, 'NULL' | 'NOT NULL' | 'NONULL']: NULL unless said, bit NOT NULL.
void Executor::AdicionarTipo(const Argumentos& args) {
    const auto nome = ArgumentoDoSistema(args, 0, "typename");
    const auto fisico = ArgumentoDoSistema(args, 1, "phystype");
    const auto nulo = ArgumentoDoSistema(args, 2, "nulltype");
    if (!nome || !fisico)
        throw ErroDoServidor(
            201, {"sp_addtype", std::string("@") + std::string(nome ? "phystype" : "typename")});
    const auto tipo = LerTextoDeTipo(texto::Minusculas(*fisico));
    if (!tipo) throw ErroDoServidor(2715, {"1", *fisico});
    bool anulavel = tipo->base != TipoBase::Bit;
    if (nulo) anulavel = Dobrar(*nulo) == "null";
    CriarTipoDoUsuario(*nome, *tipo, anulavel, NomeComposto{{*nome}});
    resultados_.push_back(db::Resultado{});
}

void Executor::RemoverTipo(const Argumentos& args) {
    instrucao::ExcluirTipo c;
    c.objeto.partes = {ArgumentoDoSistema(args, 0, "typename").value_or("")};
    ComandoDeTipo(c);
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
