#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

// A stand-in server in a folder of its own (removed at the end) with the database
// EMPRESA and an open connection to it.
namespace zolvek::teste {

class BancoSimulado {
  public:
    BancoSimulado() : pasta_(CriarPasta()) {
        db::Conexao master;
        master.DefinirStringDeConexao(Cadeia("master"));
        master.Abrir();
        master.ConectorAberto().Executar("CREATE DATABASE EMPRESA", {}, 0);
        conexao.DefinirStringDeConexao(Cadeia("EMPRESA"));
        conexao.Abrir();
    }
    ~BancoSimulado() {
        conexao.Fechar();
        std::error_code ignorado;
        std::filesystem::remove_all(pasta_, ignorado);
    }
    BancoSimulado(const BancoSimulado&) = delete;
    BancoSimulado& operator=(const BancoSimulado&) = delete;

    std::string Cadeia(const std::string& banco = "EMPRESA") const {
        return "Provider=Simulador;Data Source=" + pasta_.string() + ";Initial Catalog=" + banco +
               ";User ID=sa;Password=";
    }
    const std::filesystem::path& Pasta() const { return pasta_; }

    void Executar(const std::string& sql) { conexao.ConectorAberto().Executar(sql, {}, 0); }

    // The values of the first column, as text ("<NULL>" for NULL).
    std::vector<std::string> Coluna(const std::string& sql) {
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL(sql);
        consulta.Abrir();
        std::vector<std::string> valores;
        for (; !consulta.Fim(); consulta.Proximo())
            valores.push_back(consulta.Campos().at(0).Nulo() ? "<NULL>"
                                                             : consulta.Campos().at(0).Texto());
        return valores;
    }

    // The programmed objects of the database, "name type" in name order.
    std::vector<std::string> Objetos() {
        return Coluna(
            "select rtrim(name) + ' ' + rtrim(xtype) from sysobjects where xtype in "
            "('P','TR','V','FN','IF','TF') order by name");
    }

    db::Conexao conexao;

  private:
    static std::filesystem::path CriarPasta() {
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_versionamento_XXXXXX").string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
        return modelo;
    }

    std::filesystem::path pasta_;
};

}  // namespace zolvek::teste
