#include "execucao/analise_de_um_banco.hpp"

#include "admin/conexao_do_programa.hpp"
#include "admin/copia_antes_de_alterar.hpp"
#include "analysis/grupo_para_acesso.hpp"
#include "execucao/arquivos_de_saida.hpp"

namespace zolvek::execucao {

namespace {

using RelogioDaExecucao = std::chrono::system_clock;

void RelatarResultado(ExecucaoRelatada& e, const analysis::ResultadoDaAnalise& r) {
    e.desfecho = r.Complemento;
    e.classe = ClasseDaAnalise(r.classificacao);
    e.erros = r.erros;
    e.mudancas = r.mudancas;
    e.contagens.tabelasCriadas = r.contagem.tabelasCriadas;
    e.contagens.tabelasAlteradas = r.contagem.tabelasAlteradas;
    e.contagens.objetosRecriados = r.contagem.objetosRecriados;
    e.retidos = r.retidos;
}

// The script of a simulation; a file that cannot be written becomes an error row.
void GravarScript(ExecucaoRelatada& e, const PedidoDeAnalise& p,
                  const analysis::ResultadoDaAnalise& r) {
    if (p.arquivoDoScript.empty() || !r.simulada) return;
    try {
        GravarArquivoDeSaida(p.arquivoDoScript, r.script);
    } catch (const Erro& x) {
        e.erros.push_back({"", "", "Gravar o script", x.what(), ""});
    }
}

// Connected as db_owner; runs and reports the analysis.
void RodarConectado(AnaliseRelatada& r, const PedidoDeAnalise& p, db::TModuloDados& modulo,
                    InterfaceDoComando& interface, dicionario::DicionarioDeDados& dicionario) {
    ExecucaoRelatada& e = r.relato;
    AnotarSessao(e, modulo, -1);
    analysis::OpcoesDaAnalise opcoes = p.opcoes;
    opcoes.GrupoParaAcesso = p.grupo ? *p.grupo : analysis::LerGrupoParaAcesso(modulo);
    if (p.grupo && !p.extras.simular) analysis::GravarGrupoParaAcesso(modulo, *p.grupo);
    e.opcoes = OpcoesRelatadas(opcoes);
    r.resultado =
        analysis::Analisar(modulo, dicionario, p.arquivoDoDicionario, opcoes, interface, p.extras);
    RelatarResultado(e, *r.resultado);
    GravarScript(e, p, *r.resultado);
}

}  // namespace

ClasseDoDesfecho ClasseDaAnalise(analysis::ClassificacaoDaAnalise c) {
    switch (c) {
        case analysis::ClassificacaoDaAnalise::Sucesso:
            return ClasseDoDesfecho::Sucesso;
        case analysis::ClassificacaoDaAnalise::ForaDoPadrao:
            return ClasseDoDesfecho::ForaDoPadrao;
        case analysis::ClassificacaoDaAnalise::ComErros:
            return ClasseDoDesfecho::ComErros;
        case analysis::ClassificacaoDaAnalise::Cancelada:
            break;
    }
    return ClasseDoDesfecho::Cancelada;
}

std::vector<std::pair<std::string, std::string>> OpcoesRelatadas(
    const analysis::OpcoesDaAnalise& opcoes) {
    std::vector<std::pair<std::string, std::string>> r;
    for (const std::string& linha : analysis::ListaDeOpcoes(opcoes)) {
        const auto igual = linha.find('=');
        r.emplace_back(linha.substr(0, igual),
                       igual == std::string::npos ? "" : linha.substr(igual + 1));
    }
    return r;
}

AnaliseRelatada AnalisarBanco(const PedidoDeAnalise& p, InterfaceDoComando& interface,
                              dicionario::DicionarioDeDados& dicionario) {
    AnaliseRelatada r;
    r.relato = NovaExecucao(p.cadeia);
    ExecucaoRelatada& e = r.relato;
    e.copiaDeSeguranca = p.extras.copiaAntes;
    e.simulacao = p.extras.simular;
    e.script = p.arquivoDoScript.string();
    e.opcoes = OpcoesRelatadas(p.opcoes);
    const std::string interrompida = p.extras.simular ? "Simulação interrompida: nada foi alterado"
                                                      : "Análise interrompida: nada foi registrado";
    bool conectado = false;
    try {
        db::TModuloDados modulo;
        admin::AbrirComoDbOwner(modulo, p.cadeia);
        conectado = true;
        if (p.aoConectar) p.aoConectar(modulo);
        RodarConectado(r, p, modulo, interface, dicionario);
    } catch (const Cancelamento&) {
        e.classe = ClasseDoDesfecho::Interrompida;
        e.desfecho = interrompida;
    } catch (const admin::ErroDaCopiaAntes& x) {
        e.classe = ClasseDoDesfecho::Falhou;
        e.desfecho = x.what();
    } catch (const std::exception& x) {
        e.classe = conectado ? ClasseDoDesfecho::Interrompida : ClasseDoDesfecho::Falhou;
        e.desfecho = conectado ? std::string(x.what()) + "\n" + interrompida : x.what();
    }
    if (dicionario.RevisaoDoDicionario() >= 0)
        e.revisaoDoDicionario = dicionario.RevisaoDoDicionario();
    e.fim = RelogioDaExecucao::now();
    return r;
}

}  // namespace zolvek::execucao
