#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analisar.hpp"
#include "analysis/contexto_da_analise.hpp"
#include "comum/comando.hpp"
#include "comum/log.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"
#include "db/texto_sql.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/escritor.hpp"
#include "tds/cadeia_de_teste.hpp"

// A stand-in server of its own per test, a dictionary file written from text
// lines, a front end that answers from a script and keeps what it was shown,
// and the statements the analysis sent (read back from the log).
namespace zolvek::analysis::teste {

inline std::filesystem::path PastaTemporaria() {
  std::string modelo =
      (std::filesystem::temp_directory_path() / "zolvek_analise_XXXXXX")
          .string();
  if (!mkdtemp(modelo.data()))
    throw std::runtime_error("mkdtemp falhou");
  return modelo;
}

// The body lines of a dictionary (tables, fields, indexes) with its four header
// lines.
inline std::string TextoDoDicionario(const std::vector<std::string> &corpo,
                                     int revisao = 7) {
  std::string texto = "Dicionário versão 5\r\n" + std::to_string(revisao) +
                      "\r\nteste\r\n" +
                      dicionario::LinhaDeContagens(corpo) + "\r\n";
  for (const auto &linha : corpo)
    texto += linha + "\r\n";
  return texto;
}

// Thrown by the test front end to stop a run dead, as a killed process stops: no
// guard of the analysis catches it, so nothing after that point runs.
struct ProcessoMorto {};

// The front end of a test run.
class InterfaceGravada : public InterfaceDoComando {
public:
  std::vector<std::string> progresso;
  std::vector<std::string> perguntas;
  std::deque<Resposta> respostas; // answers to the table questions, in order
  Resposta respostaPadrao = Resposta::Sim;
  Resposta respostaAcessoUnico = Resposta::Cancelar;
  std::vector<std::string> usuariosAtivosPedidos;
  std::vector<LinhaDeErro> erros;
  std::vector<std::string>
      eventos; // "abrir:<titulo>", "finalizar:1"/"finalizar:0"
  int maximo = -1;
  int posicao = -1;
  int maiorPosicao = -1;
  // Cancels at the check that follows the progress text that contains this.
  std::string cancelarEm;
  bool cancelado = false;
  // Throws ProcessoMorto at the progress text that contains this.
  std::string morrerEm;

  void MostrarProgresso(const std::string &texto) override {
    progresso.push_back(texto);
    if (!cancelarEm.empty() && texto.find(cancelarEm) != std::string::npos)
      cancelado = true;
    if (!morrerEm.empty() && texto.find(morrerEm) != std::string::npos)
      throw ProcessoMorto{};
  }
  void DefinirBarra(int p, int m) override {
    posicao = p;
    maximo = m;
    maiorPosicao = std::max(maiorPosicao, p);
  }
  Resposta Perguntar(const std::string &titulo, const std::string &texto,
                     Botoes botoes, Resposta padrao) override {
    EXPECT_EQ(titulo, "Atenção");
    perguntas.push_back(texto);
    if (botoes == Botoes::OkCancelar) {
      EXPECT_EQ(padrao, Resposta::Ok);
      return respostaAcessoUnico;
    }
    EXPECT_EQ(botoes, Botoes::SimTodosNaoCancelar);
    EXPECT_EQ(padrao, Resposta::Sim);
    if (respostas.empty())
      return respostaPadrao;
    const Resposta r = respostas.front();
    respostas.pop_front();
    return r;
  }
  void Mostrar(TipoDeMensagem, const std::string &texto) override {
    perguntas.push_back(texto);
  }
  bool CancelamentoPedido() override { return cancelado; }
  void AdicionarErro(const LinhaDeErro &linha) override {
    erros.push_back(linha);
  }
  void AbrirEvolucao(const std::string &titulo) override {
    eventos.push_back("abrir:" + titulo);
  }
  void FinalizarEvolucao(bool concluido) override {
    eventos.push_back(concluido ? "finalizar:1" : "finalizar:0");
  }
  void MostrarUsuariosAtivos(const std::string &nomeDoBanco) override {
    usuariosAtivosPedidos.push_back(nomeDoBanco);
  }
};

class AmbienteDaAnalise {
public:
  explicit AmbienteDaAnalise(std::string nomeDoBanco = "EMPRESA")
      : pasta_(PastaTemporaria()), banco_(std::move(nomeDoBanco)) {
    Executar("CREATE DATABASE " + db::EntreColchetes(banco_), "master");
    modulo.Banco.DefinirStringDeConexao(Cadeia(banco_));
    modulo.Conectar();
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({true, pasta_.string()});
  }
  ~AmbienteDaAnalise() {
    modulo.Parametros.Fechar();
    modulo.Banco.Fechar();
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({});
    std::error_code ignorado;
    std::filesystem::remove_all(pasta_, ignorado);
  }
  AmbienteDaAnalise(const AmbienteDaAnalise &) = delete;
  AmbienteDaAnalise &operator=(const AmbienteDaAnalise &) = delete;

  db::TModuloDados modulo;
  dicionario::DicionarioDeDados dicionario;
  InterfaceGravada interface;
  OpcoesDaAnalise opcoes;
  ExtrasDaAnalise extras;

  const std::string &Banco() const { return banco_; }
  const std::filesystem::path &Pasta() const { return pasta_; }
  std::string Cadeia(const std::string &banco) const {
    return zolvek::teste::CadeiaDeTeste(pasta_.string(), banco);
  }

  // Runs one statement on a connection of its own.
  void Executar(const std::string &sql, const std::string &banco = "") const {
    db::Conexao conexao;
    conexao.DefinirStringDeConexao(Cadeia(banco.empty() ? banco_ : banco));
    conexao.Abrir();
    db::Consulta consulta(&conexao);
    consulta.DefinirSQL(sql);
    consulta.Executar();
  }

  // Runs one statement on the test's module (the database may be single-user).
  void ExecutarAqui(const std::string &sql) {
    db::Consulta consulta(&modulo.Banco);
    consulta.DefinirSQL(sql);
    consulta.Executar();
  }

  // The first column of a query, as text ("<NULL>" for NULL), on the test's
  // module.
  std::vector<std::string> Coluna(const std::string &sql) {
    db::Consulta consulta(&modulo.Banco);
    consulta.DefinirSQL(sql);
    consulta.Abrir();
    std::vector<std::string> valores;
    for (consulta.Primeiro(); !consulta.Fim(); consulta.Proximo())
      valores.push_back(consulta.Campos().at(0).Nulo()
                            ? "<NULL>"
                            : consulta.Campos().at(0).Texto());
    return valores;
  }

  void EscreverDicionario(const std::vector<std::string> &corpo,
                          int revisao = 7) {
    EscreverTextoDoDicionario(TextoDoDicionario(corpo, revisao));
  }
  // The dictionary file from its whole text (header lines included).
  void EscreverTextoDoDicionario(const std::string &texto) {
    arquivo_ = pasta_ / "teste.DicD";
    std::ofstream saida(arquivo_, std::ios::binary);
    saida << dicionario::CodificarTexto(texto);
  }

  // The demo company dictionary of the repository.
  void UsarDicionarioDeDemonstracao() {
    std::ifstream entrada(std::filesystem::path(ZOLVEK_PASTA_TESTES) / ".." /
                              "src" / "dictionary" / "demo" / "ZAV_Molvena.txt",
                          std::ios::binary);
    std::stringstream texto;
    texto << entrada.rdbuf();
    arquivo_ = pasta_ / "demo.DicD";
    std::ofstream saida(arquivo_, std::ios::binary);
    saida << dicionario::CodificarTexto(texto.str());
  }

  // Loads the dictionary as the run does, for the tests of single steps.
  void CarregarDicionario() {
    dicionario.CarregarDicionario(arquivo_,
                                  dicionario::TipoDeServidor::SqlServer);
  }

  ResultadoDaAnalise Analisar() { return Analisar(interface); }
  // A run with a front end of the test's own.
  ResultadoDaAnalise Analisar(InterfaceDoComando &outra) {
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({true, pasta_.string()});
    return analysis::Analisar(modulo, dicionario, arquivo_, opcoes, outra,
                              extras);
  }

  // The statements sent through the run's context since the log was last
  // emptied.
  static std::vector<std::string> Comandos() {
    const std::string marca = "/ComandoDaAnalise,";
    std::vector<std::string> comandos;
    for (const auto &entrada : log::EntradasDoLog()) {
      const auto pos = entrada.find(marca);
      if (pos != std::string::npos)
        comandos.push_back(entrada.substr(pos + marca.size()));
    }
    return comandos;
  }
  static void EsquecerComandos() {
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({true, ""});
  }

private:
  std::filesystem::path pasta_;
  std::string banco_;
  std::filesystem::path arquivo_;
};

} // namespace zolvek::analysis::teste
