#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dictionary/dicionario.hpp"
#include "dictionary/escritor.hpp"

namespace zolvek::dicionario::teste {

// A folder of its own for each test, removed at the end (tests run in parallel).
class PastaTemporaria {
  public:
    PastaTemporaria() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        caminho_ = std::filesystem::temp_directory_path() /
                   ("zolvek_dic_" + std::to_string(::getpid()) + "_" +
                    (info ? std::string(info->test_suite_name()) + "_" + info->name() : "x"));
        std::filesystem::remove_all(caminho_);
        std::filesystem::create_directories(caminho_);
    }
    ~PastaTemporaria() {
        std::error_code ignorado;
        std::filesystem::remove_all(caminho_, ignorado);
    }
    const std::filesystem::path& caminho() const { return caminho_; }
    std::filesystem::path operator/(const std::string& nome) const { return caminho_ / nome; }

  private:
    std::filesystem::path caminho_;
};

// The four header lines (line 4 with the counts of the given lines) followed by them.
inline std::vector<std::string> ComCabecalho(const std::vector<std::string>& corpo,
                                             const std::string& revisao = "7") {
    std::vector<std::string> linhas = {"Dicionário versão 5", revisao, "comentário",
                                       LinhaDeContagens(corpo)};
    linhas.insert(linhas.end(), corpo.begin(), corpo.end());
    return linhas;
}

// A field line with the 16 positions.
inline std::string LinhaDeCampo(const std::string& nome, const std::string& tipo,
                                const std::string& tamanho = "10",
                                const std::string& resto = ",,\"Título\",,,,,,N,,,,") {
    return nome + "," + tipo + "," + tamanho + ",0" + resto;
}

// Loads the lines into the dictionary as a file would hold them.
inline void Carregar(DicionarioDeDados& d, const std::vector<std::string>& linhas,
                     std::vector<std::string>* script = nullptr,
                     std::vector<std::string>* parametros = nullptr,
                     TipoDeServidor tipo = TipoDeServidor::SqlServer) {
    d.CarregarDeBytes(CodificarLinhas(linhas), "teste.DicD", tipo, script, parametros);
}

}  // namespace zolvek::dicionario::teste
