#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "comum/erros.hpp"

namespace zolvek::cli {

// Bad usage of the command line: exit status 2.
class ErroDeUso : public ErroDeEntrada {
  public:
    using ErroDeEntrada::ErroDeEntrada;
};

// Exit statuses shared by every command.
constexpr int kSaidaSucesso = 0;
constexpr int kSaidaFalha = 1;
constexpr int kSaidaUso = 2;

// The arguments of one command: options "--nome VALOR" (or "--nome=VALOR"), flags
// "--nome", and positional arguments ("-" alone is positional). Unknown options
// raise ErroDeUso.
class Argumentos {
  public:
    Argumentos(const std::vector<std::string>& argumentos, const std::set<std::string>& comValor,
               const std::set<std::string>& semValor);

    std::optional<std::string> Valor(const std::string& opcao) const;
    // Every value of a repeatable option, in the order given.
    std::vector<std::string> Valores(const std::string& opcao) const;
    bool Marcado(const std::string& opcao) const;
    const std::vector<std::string>& Posicionais() const { return posicionais_; }
    bool PediuAjuda() const { return Marcado("--help"); }

  private:
    std::vector<std::pair<std::string, std::string>> valores_;
    std::set<std::string> marcados_;
    std::vector<std::string> posicionais_;
};

// The connection string: --conexao, else the environment variable ZOLVEK_CONEXAO;
// ErroDeUso when neither is given. --versao-do-simulador adds the stand-in's
// "Versao do Servidor" key (the version of a server folder it creates).
std::string CadeiaDeConexao(const Argumentos& argumentos);

}  // namespace zolvek::cli
