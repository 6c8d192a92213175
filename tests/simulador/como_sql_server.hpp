#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ambiente.hpp"
#include "comum/erros.hpp"
#include "db/conexao.hpp"

// Statement tests whose answers are SQL Server's own: they run on the stand-in and,
// when ZOLVEK_TESTE_MSSQL holds a connection string, on that server as well.
class ComoSqlServer : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        sufixo_ = "_" + std::to_string(getpid()) + "_" + std::to_string(n++);
        std::string cadeia;
        if (GetParam() == "simulador") {
            pasta_ = std::filesystem::temp_directory_path() / ("zolvek_como_sql" + sufixo_);
            std::filesystem::remove_all(pasta_);
            std::string base = "Provider=Simulador;Data Source=" + pasta_.string() +
                               ";User ID=sa;Password=;Initial Catalog=";
            zolvek::db::Conexao master;
            master.DefinirStringDeConexao(base + "master");
            master.Abrir();
            master.ConectorAberto().Executar("CREATE DATABASE Teste", {}, 0);
            cadeia = base + "Teste";
        } else {
            const char* env = std::getenv("ZOLVEK_TESTE_MSSQL");
            if (!env || !*env) GTEST_SKIP() << "ZOLVEK_TESTE_MSSQL não definida";
            cadeia = env;
        }
        banco_.DefinirStringDeConexao(cadeia);
        banco_.Abrir();
    }

    void TearDown() override {
        for (auto o = objetos_.rbegin(); o != objetos_.rend(); ++o) {
            try {
                Sql("DROP " + o->first + " [" + o->second + "]");
            } catch (...) {
            }
        }
        for (auto t = tabelas_.rbegin(); t != tabelas_.rend(); ++t) {
            try {
                Sql("DROP TABLE [" + *t + "]");
            } catch (...) {
            }
        }
        banco_.Fechar();
        if (!pasta_.empty()) {
            std::error_code e;
            std::filesystem::remove_all(pasta_, e);
        }
    }

    // A table name unique to this run (a real server is shared), dropped at the end.
    std::string Tabela(const std::string& base) {
        tabelas_.push_back(base + sufixo_);
        return tabelas_.back();
    }

    // A view, procedure, function or trigger name unique to this run, dropped (DROP
    // `tipo`) before the tables.
    std::string Objeto(const std::string& tipo, const std::string& base) {
        objetos_.emplace_back(tipo, base + sufixo_);
        return objetos_.back().second;
    }

    zolvek::db::Resultado Sql(const std::string& sql) {
        auto r = banco_.ConectorAberto().Executar(sql, {}, 0);
        return r.empty() ? zolvek::db::Resultado{} : r.back();
    }

    // The message of a batch that must fail, without the driver's [..] prefixes.
    std::string Falha(const std::string& sql) {
        try {
            Sql(sql);
        } catch (const std::exception& e) {
            std::string m = e.what();
            while (!m.empty() && m[0] == '[' && m.find(']') != std::string::npos)
                m.erase(0, m.find(']') + 1);
            return m;
        }
        return "(sem erro)";
    }

    // "número: mensagem" of a batch that must fail
    std::string Recusa(const std::string& sql) {
        try {
            Sql(sql);
        } catch (const zolvek::ErroDeBanco& e) {
            std::string m = e.what();
            while (!m.empty() && m[0] == '[' && m.find(']') != std::string::npos)
                m.erase(0, m.find(']') + 1);
            return std::to_string(e.Numero()) + ": " + m;
        }
        return "(sem erro)";
    }

    std::string Valor(const std::string& sql) {
        auto r = Sql(sql);
        if (r.linhas.empty()) return "(vazio)";
        return SimuladorTeste::Texto(r.linhas[0][0]);
    }

    // The first column of every row, joined by commas.
    std::string Coluna(const std::string& sql) {
        std::string s;
        for (const auto& l : Sql(sql).linhas)
            s += (s.empty() ? "" : ",") + SimuladorTeste::Texto(l[0]);
        return s;
    }

    zolvek::db::Conexao banco_;
    std::filesystem::path pasta_;
    std::string sufixo_;
    std::vector<std::string> tabelas_;
    std::vector<std::pair<std::string, std::string>> objetos_;  // DROP what, name
};
