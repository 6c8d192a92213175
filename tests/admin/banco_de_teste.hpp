#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "comum/comando.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"
#include "tds/cadeia_de_teste.hpp"

// A stand-in server in a folder of its own (removed at the end) with one company
// database, for the tests of the status records, the panel and the CLI.
namespace zolvek::teste {

inline std::filesystem::path PastaTemporariaUnica(const std::string& prefixo) {
    std::string modelo = (std::filesystem::temp_directory_path() / (prefixo + "XXXXXX")).string();
    if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
    return modelo;
}

class BancoDeTeste {
  public:
    // `versao` picks the SQL Server version the new server folder answers as ("10.50").
    explicit BancoDeTeste(std::string nome = "EMPRESA", std::string versao = "")
        : pasta_(PastaTemporariaUnica("zolvek_admin_")), nome_(std::move(nome)) {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(Cadeia("master") +
                                       (versao.empty() ? "" : ";Versao do Servidor=" + versao));
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL("CREATE DATABASE " + nome_);
        consulta.Executar();
    }
    ~BancoDeTeste() {
        std::error_code ignorado;
        std::filesystem::remove_all(pasta_, ignorado);
    }
    BancoDeTeste(const BancoDeTeste&) = delete;
    BancoDeTeste& operator=(const BancoDeTeste&) = delete;

    const std::filesystem::path& Pasta() const { return pasta_; }
    const std::string& Nome() const { return nome_; }

    std::string Cadeia(const std::string& banco = "", const std::string& usuario = "sa",
                       const std::string& senha = "") const {
        return CadeiaDeTeste(pasta_.string(), banco.empty() ? nome_ : banco, usuario, senha);
    }

    void Executar(const std::string& sql, const std::string& banco = "") const {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(Cadeia(banco));
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL(sql);
        consulta.Executar();
        conexao.Fechar();
    }

    // The values of the first column, as text ("<NULL>" for NULL).
    std::vector<std::string> Coluna(const std::string& sql) const {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(Cadeia());
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL(sql);
        consulta.Abrir();
        std::vector<std::string> valores;
        for (consulta.Primeiro(); !consulta.Fim(); consulta.Proximo())
            valores.push_back(consulta.Campos().at(0).Nulo() ? "<NULL>"
                                                             : consulta.Campos().at(0).Texto());
        return valores;
    }

    // The company tables as a database of the product has them.
    void CriarTabelasDaEmpresa(bool comRevisao = true, bool comValidacao = true) const {
        Executar(std::string("CREATE TABLE PEMPRESA (RAZAO_SOC varchar(60) NULL") +
                 (comRevisao ? ", RevisaoDoBD varchar(20) NULL" : "") + ", Script text NULL)");
        Executar("CREATE TABLE PARFN (CODIGO int NULL, Nome varchar(30) NULL)");
        Executar(std::string("CREATE TABLE StatusBD (Inicio datetime NULL, Final datetime NULL, "
                             "Operador varchar(50) NULL, [Parâmetros] text NULL, "
                             "Procedimentos text NULL, Status varchar(200) NULL, Erros text NULL, "
                             "[Hora da liberação] datetime NULL, [Liberado por] varchar(50) NULL") +
                 (comValidacao
                      ? ", [Hora da validação] datetime NULL, [Validado por] varchar(50) NULL)"
                      : ")"));
    }

  private:
    std::filesystem::path pasta_;
    std::string nome_;
};

// The front end of a test: answers questions with `resposta` and keeps what it was
// asked and shown.
class InterfaceDaAdministracao : public InterfaceDoComando {
  public:
    Resposta resposta = Resposta::Nao;
    std::vector<std::string> perguntas;
    std::vector<std::string> mensagens;

    void MostrarProgresso(const std::string&) override {}
    void DefinirBarra(int, int) override {}
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override {
        EXPECT_EQ(titulo, "Atenção");
        EXPECT_EQ(botoes, Botoes::SimNao);
        EXPECT_EQ(padrao, Resposta::Nao);
        perguntas.push_back(texto);
        return resposta;
    }
    void Mostrar(TipoDeMensagem, const std::string& texto) override { mensagens.push_back(texto); }
    bool CancelamentoPedido() override { return false; }
    void AdicionarErro(const LinhaDeErro&) override {}
};

}  // namespace zolvek::teste
