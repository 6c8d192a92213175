#include "simulador/motor/execucao/procedimentos_do_servidor.hpp"

#include <cstdint>

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

db::Resultado VersaoDoProduto(SessaoDeExecucao& s, const ArgumentosDoSistema& args) {
    db::Resultado r;
    r.colunas = {InteiroDoSistema("Index"), TextoDoSistema("Name"),
                 InteiroDoSistema("Internal_Value"), TextoDoSistema("Character_Value", 255)};
    struct Linha {
        int i;
        const char* n;
        std::int64_t v;
        std::string t;
    };
    const VersaoDoServidor& versao = s.ServidorAtual().Versao();
    const Linha linhas[] = {
        {1, "ProductName", 0, "Microsoft SQL Server"},
        {2, "ProductVersion", versao.maior * 65536 + versao.menor, versao.produto},
        {3, "Language", 1033, "English (United States)"},
        {4, "Platform", 0, "NT x64"}};
    const auto filtro = ArgumentoDoSistema(args, 0, "optname");
    for (const auto& l : linhas)
        if (!filtro || IguaisCiAs(*filtro, l.n))
            r.linhas.push_back({static_cast<std::int64_t>(l.i), std::string(l.n), l.v, l.t});
    return r;
}

namespace {

db::Resultado ListaDeOpcoes(const std::string& titulo, const std::vector<std::string>& opcoes) {
    db::Resultado r;
    r.colunas = {TextoDoSistema(titulo, 35)};
    for (const auto& o : opcoes) r.linhas.push_back({o});
    return r;
}

}  // namespace

db::Resultado OpcaoDoBanco(SessaoDeExecucao& s, const std::string& nome,
                           const ArgumentosDoSistema& args) {
    Servidor& srv = s.ServidorAtual();
    if (srv.Versao().maior >= 11) throw ErroDoServidor(2812, {nome});
    const auto banco = ArgumentoDoSistema(args, 0, "dbname");
    const auto opcao = ArgumentoDoSistema(args, 1, "optname");
    const auto valor = ArgumentoDoSistema(args, 2, "optvalue");
    if (!banco) return ListaDeOpcoes("Settable database options:", Servidor::OpcoesValidas());
    auto info = srv.AcharBanco(*banco);
    if (!info)
        throw ErroDoServidor(15010, {*banco, "Use sys.databases to show available databases."});
    if (!opcao) return ListaDeOpcoes("The following options are set:", info->opcoesLigadas);
    const std::string canonico = Servidor::NomeDaOpcao(*opcao);
    if (!valor) {
        db::Resultado r;
        r.colunas = {TextoDoSistema("OptionName", 35), TextoDoSistema("CurrentSetting", 3)};
        r.linhas.push_back(
            {canonico, std::string(srv.LerOpcao(info->nome, canonico) ? "ON" : "OFF")});
        return r;
    }
    if (!s.Sysadmin() && !(IguaisCiAs(info->nome, s.Banco()) && s.EhMembro("db_owner") == 1))
        throw ErroDoServidor(15244);
    srv.DefinirOpcao(info->nome, canonico, *valor, s.Spid());
    return db::Resultado{};
}

}  // namespace zolvek::simulador
