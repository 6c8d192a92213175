#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "comum/comando.hpp"
#include "comum/decimal.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "tds/cadeia_de_teste.hpp"

// A stand-in server in a folder of its own (removed at the end) and a front end that
// records what a command tells it.
namespace zolvek::teste {

class ServidorDeTeste {
  public:
    ServidorDeTeste() {
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_manutencao_XXXXXX").string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
        pasta_ = modelo;
    }
    ~ServidorDeTeste() {
        std::error_code ignorado;
        std::filesystem::remove_all(pasta_, ignorado);
    }
    ServidorDeTeste(const ServidorDeTeste&) = delete;
    ServidorDeTeste& operator=(const ServidorDeTeste&) = delete;

    std::string Cadeia(const std::string& banco) const {
        return zolvek::teste::CadeiaDeTeste(pasta_.string(), banco);
    }
    void CriarBanco(const std::string& nome) const {
        db::Conexao c;
        c.DefinirStringDeConexao(Cadeia("master"));
        c.Abrir();
        Executar(c, "CREATE DATABASE " + nome);
    }

    static void Executar(db::Conexao& c, const std::string& sql) {
        db::Consulta q(&c);
        q.DefinirSQL(sql);
        q.Executar();
    }
    // The values of the first column, as text ("<NULL>" for NULL).
    static std::vector<std::string> Coluna(db::Conexao& c, const std::string& sql) {
        db::Consulta q(&c);
        q.DefinirSQL(sql);
        q.Abrir();
        std::vector<std::string> v;
        for (q.Primeiro(); !q.Fim(); q.Proximo())
            v.push_back(q.Campos().at(0).Nulo() ? "<NULL>" : q.Campos().at(0).Texto());
        return v;
    }

  private:
    std::filesystem::path pasta_;
};

// Numbers compared by value: "25.2" == "25.20".
inline bool MesmoNumero(const std::string& a, const std::string& b) {
    Decimal da, db;
    if (!Decimal::TentarLer(a, da) || !Decimal::TentarLer(b, db)) return a == b;
    return da == db;
}

class InterfaceDeTeste : public InterfaceDoComando {
  public:
    std::vector<std::string> progresso;
    std::vector<LinhaDeErro> erros;
    std::vector<std::string> perguntas;
    std::vector<std::string> eventos;  // "abrir:TITULO", "finalizar:1", "usuarios:BANCO"
    Resposta resposta = Resposta::Ok;
    int cancelarNaChamada = 0;  // 0: never
    int chamadas = 0;
    int posicao = 0, maximo = 0, maiorPosicao = 0;
    int posicaoDasLinhas = 0, maximoDasLinhas = 0;

    void MostrarProgresso(const std::string& texto) override { progresso.push_back(texto); }
    void DefinirBarra(int p, int m) override {
        posicao = p;
        maximo = m;
        maiorPosicao = std::max(maiorPosicao, p);
    }
    void DefinirBarraSecundaria(int p, int m) override {
        posicaoDasLinhas = p;
        maximoDasLinhas = m;
    }
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes,
                       Resposta) override {
        perguntas.push_back(titulo + "|" + texto);
        return resposta;
    }
    void Mostrar(TipoDeMensagem, const std::string& texto) override { eventos.push_back(texto); }
    bool CancelamentoPedido() override {
        ++chamadas;
        return cancelarNaChamada > 0 && chamadas >= cancelarNaChamada;
    }
    void AdicionarErro(const LinhaDeErro& linha) override { erros.push_back(linha); }
    void AbrirEvolucao(const std::string& titulo) override { eventos.push_back("abrir:" + titulo); }
    void FinalizarEvolucao(bool concluido) override {
        eventos.push_back(std::string("finalizar:") + (concluido ? "1" : "0"));
    }
    void MostrarUsuariosAtivos(const std::string& banco) override {
        eventos.push_back("usuarios:" + banco);
    }
};

}  // namespace zolvek::teste
