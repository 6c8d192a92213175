#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "comum/erros.hpp"
#include "db/conector/conector.hpp"
#include "simulador/simulador.hpp"

// A fresh server folder per test with a database "Teste" and an open connection to it.
class SimuladorTeste : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        pasta_ = std::filesystem::temp_directory_path() /
                 ("zolvek_motor_" + std::to_string(getpid()) + "_" + std::to_string(n++) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(pasta_);
        auto master = Conectar("master");
        master->Executar("CREATE DATABASE Teste", {}, 0);
        db_ = Conectar("Teste");
    }

    void TearDown() override {
        db_.reset();
        std::error_code e;
        std::filesystem::remove_all(pasta_, e);
    }

    std::string Cadeia(const std::string& banco, const std::string& login = "sa",
                       const std::string& senha = "") {
        return "Provider=Simulador;Data Source=" + pasta_.string() + ";Initial Catalog=" + banco +
               ";User ID=" + login + ";Password=" + senha +
               (versao_.empty() ? "" : ";Versao do Servidor=" + versao_);
    }

    std::unique_ptr<zolvek::db::Conector> Conectar(const std::string& banco,
                                                   const std::string& login = "sa",
                                                   const std::string& senha = "") {
        auto c = zolvek::simulador::CriarConector(Cadeia(banco, login, senha));
        c->Abrir();
        return c;
    }

    // Runs a batch; returns its last result.
    zolvek::db::Resultado Sql(const std::string& sql, const std::vector<zolvek::db::Valor>& p = {},
                              zolvek::db::Conector* c = nullptr) {
        auto r = (c ? c : db_.get())->Executar(sql, p, 0);
        return r.empty() ? zolvek::db::Resultado{} : r.back();
    }

    // The error message of a batch that must fail.
    std::string Falha(const std::string& sql, zolvek::db::Conector* c = nullptr) {
        try {
            Sql(sql, {}, c);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(sem erro)";
    }

    // The number and message of a batch that must fail ({0, "(sem erro)"} when it runs).
    std::pair<int, std::string> Recusa(const std::string& sql, zolvek::db::Conector* c = nullptr) {
        try {
            Sql(sql, {}, c);
        } catch (const zolvek::ErroDeBanco& e) {
            return {e.Numero(), e.what()};
        }
        return {0, "(sem erro)"};
    }

    // "numero/severidade/estado: mensagem" of a batch that must fail.
    std::string ErroNumerado(const std::string& sql, zolvek::db::Conector* c = nullptr) {
        try {
            Sql(sql, {}, c);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + "/" + std::to_string(e.Severidade()) + "/" +
                   std::to_string(e.Estado()) + ": " + e.what();
        }
        return "(sem erro)";
    }

  public:
    static std::string Texto(const zolvek::db::Valor& v) {
        if (std::holds_alternative<std::string>(v)) return std::get<std::string>(v);
        if (std::holds_alternative<std::int64_t>(v))
            return std::to_string(std::get<std::int64_t>(v));
        if (std::holds_alternative<zolvek::db::Decimal>(v))
            return std::get<zolvek::db::Decimal>(v).texto;
        if (std::holds_alternative<std::monostate>(v)) return "NULL";
        if (std::holds_alternative<bool>(v)) return std::get<bool>(v) ? "1" : "0";
        if (std::holds_alternative<double>(v)) {
            char b[64];
            std::snprintf(b, sizeof b, "%g", std::get<double>(v));
            return b;
        }
        if (const auto* bytes = std::get_if<zolvek::db::Bytes>(&v)) {
            static const char kHex[] = "0123456789ABCDEF";
            std::string h = "0x";
            for (std::uint8_t x : *bytes) h += {kHex[x >> 4], kHex[x & 15]};
            return h;
        }
        return "?";
    }

  protected:
    // The first column of a query's first row, as text.
    std::string Valor(const std::string& sql) {
        auto r = Sql(sql);
        if (r.linhas.empty()) return "(vazio)";
        return Texto(r.linhas[0][0]);
    }

    std::filesystem::path pasta_;
    std::string versao_;  // the SQL Server version of the folder ("": the default)
    std::unique_ptr<zolvek::db::Conector> db_;
};
