// Alias types: the columns and variables declared with them (CREATE TYPE, DROP TYPE,
// sp_addtype and sp_droptype in definicoes_tipos.cpp; a body's parameters in
// objetos_programados.cpp).

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// The alias type of that name of the running statement's database.
const TipoDoUsuario* TipoDoUsuarioEmCurso(const std::string& nome) {
    Executor* e = Executor::EmCurso();
    return e ? e->AcharTipoDoUsuario(nome) : nullptr;
}

// A char, varchar, binary or varbinary column made under SET ANSI_PADDING OFF would trim
// what it stores for good; the stand-in keeps every column padded, so it makes none such.
void RecusarSemPreenchimento(const DefColuna& d) {
    const TipoBase b = d.tipo.base;
    const bool afetada = b == TipoBase::Char || b == TipoBase::VarChar || b == TipoBase::Binary ||
                         b == TipoBase::VarBinary;
    if (afetada && d.tipo.tamanho != -1)
        throw Recusa("O simulador de SQL Server não cria a coluna '" + d.nome + "' (" +
                     TextoDoTipo(d.tipo) + ") com SET ANSI_PADDING OFF.");
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
    if (s_.Opcoes().semPreenchimentoAnsi)
        for (const DefColuna& d : r) RecusarSemPreenchimento(d);
    return r;
}

}  // namespace zolvek::simulador
