// Alias types: CREATE TYPE ... FROM, DROP TYPE, sp_addtype and sp_droptype.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void Definicoes::ComandoDeTipo(const instrucao::CriarTipo& c) {
    CriarTipoDoUsuario(c.objeto.Nome(), c.tipo, c.anulavel.value_or(true), c.objeto);
}

void Definicoes::CriarTipoDoUsuario(const std::string& nome, const TipoSql& tipo, bool anulavel,
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

void Definicoes::ComandoDeTipo(const instrucao::ExcluirTipo& c) {
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
void Definicoes::AdicionarTipo(const Argumentos& args) {
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

void Definicoes::RemoverTipo(const Argumentos& args) {
    instrucao::ExcluirTipo c;
    c.objeto.partes = {ArgumentoDoSistema(args, 0, "typename").value_or("")};
    ComandoDeTipo(c);
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
