#include "admin/usuarios_ativos.hpp"

#include "comum/erros.hpp"
#include "comum/texto.hpp"

namespace zolvek::admin {

const char* const kConsultaDosProcessos =
    "SELECT hostname,loginame, max(datediff(minute,login_time,getdate())) as Tempo FROM "
    "master.dbo.sysprocesses where DB_NAME(dbid)=:BD group by hostname,loginame";
const char* const kProcedimentoMatarProcesso = "MatarProcesso";

UsuariosAtivos::UsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco)
    : qryProcessos(&conexao),
      stpMatarProcesso(&conexao),
      conexao_(conexao),
      nomeDoBanco_(nomeDoBanco) {
    qryProcessos.DefinirNomeDoComponente("qryProcessos");
    qryProcessos.DefinirSQL(kConsultaDosProcessos);
    qryProcessos.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    qryProcessos.DefinirTimeout(0);
    auto& bd = qryProcessos.ParametroPorNome("BD");
    bd.DefinirTipo(db::TipoDeParametro::Texto);
    bd.DefinirTexto(nomeDoBanco);
    stpMatarProcesso.DefinirNomeDoComponente("stpMatarProcesso");
    stpMatarProcesso.DefinirNome(kProcedimentoMatarProcesso);
    stpMatarProcesso.DefinirTimeout(0);
    stpMatarProcesso.CriarParametro("NOME", db::TipoDeParametro::Texto);
    stpMatarProcesso.CriarParametro("HOST", db::TipoDeParametro::Texto);
}

void UsuariosAtivos::Atualizar() {
    qryProcessos.Fechar();
    qryProcessos.Abrir();
}

std::vector<UsuarioAtivo> UsuariosAtivos::Linhas() {
    std::vector<UsuarioAtivo> linhas;
    if (!qryProcessos.Aberto()) return linhas;
    const db::Marcador marcador = qryProcessos.MarcadorAtual();
    for (qryProcessos.Primeiro(); !qryProcessos.Fim(); qryProcessos.Proximo()) {
        UsuarioAtivo linha;
        linha.hostname = qryProcessos.CampoPorNome("hostname").Texto();
        linha.loginame = qryProcessos.CampoPorNome("loginame").Texto();
        linha.tempo = qryProcessos.CampoPorNome("Tempo").Inteiro();
        linhas.push_back(std::move(linha));
    }
    if (!linhas.empty()) qryProcessos.IrParaMarcador(marcador);
    return linhas;
}

void UsuariosAtivos::MatarProcesso(const std::string& loginame, const std::string& hostname) {
    stpMatarProcesso.ParametroPorNome("NOME").DefinirTexto(loginame);
    stpMatarProcesso.ParametroPorNome("HOST").DefinirTexto(hostname);
    stpMatarProcesso.Preparar();
    stpMatarProcesso.Executar();
    Atualizar();
}

bool UsuariosAtivos::EhDaPropriaConexao(const std::string& loginame, const std::string& hostname) {
    const int propria = SessaoPropria(conexao_);
    for (const ProcessoAtivo& p : ProcessosDoBanco(conexao_, nomeDoBanco_))
        if (p.spid == propria)
            return texto::IguaisSemCaixa(p.loginame, texto::Aparar(loginame)) &&
                   texto::IguaisSemCaixa(p.hostname, texto::Aparar(hostname));
    return false;
}

std::vector<ProcessoAtivo> ProcessosDoBanco(db::Conexao& conexao, const std::string& nomeDoBanco) {
    db::Consulta consulta(&conexao);
    consulta.DefinirSQL(
        "SELECT spid,hostname,loginame FROM master.dbo.sysprocesses where DB_NAME(dbid)=:BD "
        "order by spid");
    consulta.DefinirTimeout(0);
    consulta.ParametroPorNome("BD").DefinirTexto(nomeDoBanco);
    consulta.Abrir();
    std::vector<ProcessoAtivo> processos;
    for (consulta.Primeiro(); !consulta.Fim(); consulta.Proximo())
        processos.push_back({static_cast<int>(consulta.CampoPorNome("spid").Inteiro()),
                             texto::Aparar(consulta.CampoPorNome("loginame").Texto()),
                             texto::Aparar(consulta.CampoPorNome("hostname").Texto())});
    return processos;
}

int SessaoPropria(db::Conexao& conexao) {
    db::Consulta consulta(&conexao);
    consulta.DefinirSQL("select @@SPID as spid");
    consulta.Abrir();
    return static_cast<int>(consulta.CampoPorNome("spid").Inteiro());
}

ProcessoAtivo ProcessoParaEliminar(db::Conexao& conexao, const std::string& nomeDoBanco, int spid) {
    const int propria = SessaoPropria(conexao);
    const std::string numero = std::to_string(spid);
    if (spid == propria)
        throw ErroDeEntrada("O processo " + numero +
                            " é a sessão deste programa: ele não pode eliminá-la");
    const auto processos = ProcessosDoBanco(conexao, nomeDoBanco);
    const ProcessoAtivo* alvo = nullptr;
    const ProcessoAtivo* nosso = nullptr;
    for (const ProcessoAtivo& p : processos) {
        if (p.spid == spid) alvo = &p;
        if (p.spid == propria) nosso = &p;
    }
    if (!alvo)
        throw ErroDeEntrada("O processo " + numero + " não está conectado ao banco de dados " +
                            nomeDoBanco);
    if (nosso && texto::IguaisSemCaixa(alvo->loginame, nosso->loginame) &&
        texto::IguaisSemCaixa(alvo->hostname, nosso->hostname))
        throw ErroDeEntrada("O processo " + numero + " é do usuário " + alvo->loginame +
                            " no computador " + alvo->hostname +
                            ", os mesmos desta sessão: eliminar os processos dele encerraria "
                            "também a conexão deste programa");
    return *alvo;
}

}  // namespace zolvek::admin
