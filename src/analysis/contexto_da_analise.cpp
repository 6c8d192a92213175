#include "analysis/contexto_da_analise.hpp"

#include <charconv>

#include "comum/log.hpp"
#include "comum/texto.hpp"

namespace zolvek::analysis {

namespace {

int LerVersaoMaior(db::TModuloDados& modulo) {
    try {
        return VersaoMaiorParaAnalise(modulo.VersaoDoServidor());
    } catch (const ErroDeBanco&) {
        return 10;  // the same as an unreadable version text
    }
}

}  // namespace

int VersaoMaiorParaAnalise(const std::string& versao) {
    const std::string parte = versao.substr(0, versao.find('.'));
    int n = 0;
    const auto [fim, erro] = std::from_chars(parte.data(), parte.data() + parte.size(), n);
    if (parte.empty() || erro != std::errc() || fim != parte.data() + parte.size()) return 10;
    return n;
}

ContextoDaAnalise::ContextoDaAnalise(db::TModuloDados& modulo,
                                     dicionario::DicionarioDeDados& dicionario,
                                     const OpcoesDaAnalise& opcoes, InterfaceDoComando& interface)
    : Modulo(modulo),
      Banco(modulo.Banco),
      Trabalho(&modulo.Banco),
      ProgramaAgregado(&modulo.Banco),
      Dicionario(dicionario),
      Opcoes(opcoes),
      ListaDeOpcoes(analysis::ListaDeOpcoes(opcoes)),
      NomeDoBanco(modulo.NomeDoBanco()),
      VersaoMaior(LerVersaoMaior(modulo)),
      Interface(interface) {
    Trabalho.DefinirTimeout(0);
    ProgramaAgregado.DefinirSQL("select * from PrgAgr where idPrgAgr=:idPrgAgr");
    ProgramaAgregado.ParametroPorNome("idPrgAgr").DefinirTipo(db::TipoDeParametro::Inteiro);
}

void ContextoDaAnalise::AdicionarErro(const std::string& tabela, const std::string& campo,
                                      const std::string& funcao, const std::string& descricao,
                                      const std::string& comando) {
    LinhaDeErro linha{tabela, campo, funcao, descricao, comando};
    erros_.push_back(linha);
    if (aberta_) Interface.AdicionarErro(linha);
}

void ContextoDaAnalise::AbrirEvolucao(const std::string& titulo) {
    Interface.AbrirEvolucao(titulo);
    aberta_ = true;
    for (const LinhaDeErro& linha : erros_) Interface.AdicionarErro(linha);
}

void ContextoDaAnalise::FinalizarEvolucao(bool concluido) {
    finalizada_ = true;
    if (aberta_) Interface.FinalizarEvolucao(concluido);
}

bool ContextoDaAnalise::Cancelado() {
    if (!cancelado_ && Interface.CancelamentoPedido()) cancelado_ = true;
    return cancelado_;
}

void ContextoDaAnalise::DefinirMaximoDaBarra(int maximo) {
    maximo_ = maximo;
    posicao_ = 0;
    Interface.DefinirBarra(posicao_, maximo_);
}

void ContextoDaAnalise::AvancarBarra() {
    ++posicao_;
    Interface.DefinirBarra(posicao_, maximo_);
}

void ContextoDaAnalise::CompletarBarra() {
    posicao_ = maximo_;
    Interface.DefinirBarra(posicao_, maximo_);
}

void ContextoDaAnalise::Executar(const std::string& sql) {
    Trabalho.Fechar();
    Trabalho.DefinirSQL(sql);
    RegistrarComando(sql);
    Trabalho.Executar();
}

void ContextoDaAnalise::Abrir(db::Consulta& consulta, const std::string& sql) {
    consulta.Fechar();
    consulta.DefinirSQL(sql);
    RegistrarComando(sql);
    consulta.Abrir();
}

void ContextoDaAnalise::RegistrarComando(const std::string& sql) {
    log::RegistrarNoLog("FAnalisar", 0, "ComandoDaAnalise", sql);
}

}  // namespace zolvek::analysis
