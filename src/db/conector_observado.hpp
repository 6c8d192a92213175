#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"

namespace zolvek::db {

// Receives every command a connection sends: the SQL text of a batch, or "EXEC " and
// the name of a stored procedure. Called before the command runs, so that a command
// that fails is seen too.
using ObservadorDeComandos = std::function<void(std::string_view comando)>;

// A backend that hands each command to an observer and then to the backend it wraps.
class ConectorObservado : public Conector {
  public:
    ConectorObservado(Conector& interno, ObservadorDeComandos observador)
        : interno_(interno), observador_(std::move(observador)) {}

    void Abrir() override { interno_.Abrir(); }
    void Fechar() noexcept override { interno_.Fechar(); }
    bool Aberto() const override { return interno_.Aberto(); }
    void IniciarTransacao() override { interno_.IniciarTransacao(); }
    void Confirmar() override { interno_.Confirmar(); }
    void Desfazer() override { interno_.Desfazer(); }
    bool EmTransacao() const override { return interno_.EmTransacao(); }

    std::vector<Resultado> Executar(const std::string& sql, const std::vector<Valor>& parametros,
                                    int timeoutSegundos) override {
        observador_(sql);
        return interno_.Executar(sql, parametros, timeoutSegundos);
    }

    std::vector<Resultado> ExecutarProcedimento(
        const std::string& nome, const std::vector<std::pair<std::string, Valor>>& parametros,
        int timeoutSegundos) override {
        observador_("EXEC " + nome);
        return interno_.ExecutarProcedimento(nome, parametros, timeoutSegundos);
    }

    std::vector<std::string> ColunasChave(const std::string& tabela) override {
        return interno_.ColunasChave(tabela);
    }
    std::vector<Mensagem> TomarMensagens() override { return interno_.TomarMensagens(); }

  private:
    Conector& interno_;
    ObservadorDeComandos observador_;
};

}  // namespace zolvek::db
