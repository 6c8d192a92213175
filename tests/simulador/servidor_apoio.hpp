#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "comum/erros.hpp"
#include "simulador/servidor/servidor.hpp"

#ifndef _WIN32
#include <unistd.h>
#endif

// A fresh server folder per test, removed afterwards, unique across parallel runs.
class PastaDeServidor : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> contador{0};
        const auto* teste = ::testing::UnitTest::GetInstance()->current_test_info();
        pasta_ = std::filesystem::temp_directory_path() /
                 ("zolvek_servidor_" +
                  std::to_string(
#ifdef _WIN32
                      0
#else
                      getpid()
#endif
                      ) +
                  "_" + std::to_string(contador++) + "_" + teste->name());
        std::filesystem::remove_all(pasta_);
    }
    void TearDown() override {
        std::error_code erro;
        std::filesystem::remove_all(pasta_, erro);
    }

    // The message of the ErroDeBanco that `acao` raises ("" when it raises nothing).
    template <typename Acao>
    static std::string MensagemDe(Acao&& acao) {
        try {
            acao();
        } catch (const zolvek::ErroDeBanco& e) {
            return e.what();
        }
        return "";
    }

    std::filesystem::path pasta_;
};
