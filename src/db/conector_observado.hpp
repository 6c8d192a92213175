#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/conector.hpp"

namespace zolvek::db {

// Receives every command a connection sends: the SQL text of a batch, or "EXEC " and
// the name of a stored procedure. Called before the command runs, so that a command
// that fails is seen too.
using ObservadorDeComandos = std::function<void(std::string_view comando)>;

// Told how a command ended, after it ran: its results when it ran, or the backend's
// failure (the same error then reaches the caller); the other one is nullptr.
using ObservadorDeDesfechos = std::function<void(
    std::string_view comando, const std::vector<Resultado>* resultados, const ErroDeBanco* erro)>;

// Thrown by an observer of commands to hold a command back: it is not sent, it answers
// as a command that returned nothing, and no outcome is told for it.
struct ComandoRetido {};

// A backend that hands each command to its observers around the backend it wraps.
class ConectorObservado : public Conector {
  public:
    ConectorObservado(Conector& interno, ObservadorDeComandos observador,
                      ObservadorDeDesfechos desfechos)
        : interno_(interno), observador_(std::move(observador)), desfechos_(std::move(desfechos)) {}

    void Abrir() override { interno_.Abrir(); }
    void Fechar() noexcept override { interno_.Fechar(); }
    bool Aberto() const override { return interno_.Aberto(); }
    void IniciarTransacao() override { interno_.IniciarTransacao(); }
    void Confirmar() override { interno_.Confirmar(); }
    void Desfazer() override { interno_.Desfazer(); }
    bool EmTransacao() const override { return interno_.EmTransacao(); }

    std::vector<Resultado> Executar(const std::string& sql, const std::vector<Valor>& parametros,
                                    int timeoutSegundos) override {
        return Observar(sql, [&] { return interno_.Executar(sql, parametros, timeoutSegundos); });
    }

    std::vector<Resultado> ExecutarProcedimento(
        const std::string& nome, const std::vector<std::pair<std::string, Valor>>& parametros,
        int timeoutSegundos) override {
        return Observar("EXEC " + nome, [&] {
            return interno_.ExecutarProcedimento(nome, parametros, timeoutSegundos);
        });
    }

    std::vector<std::string> ColunasChave(const std::string& tabela) override {
        return interno_.ColunasChave(tabela);
    }
    std::vector<Mensagem> TomarMensagens() override { return interno_.TomarMensagens(); }

  private:
    template <typename Enviar>
    std::vector<Resultado> Observar(const std::string& comando, Enviar enviar) {
        if (observador_) {
            try {
                observador_(comando);
            } catch (const ComandoRetido&) {
                return {};
            }
        }
        if (!desfechos_) return enviar();
        std::vector<Resultado> r;
        try {
            r = enviar();
        } catch (const ErroDeBanco& e) {
            desfechos_(comando, nullptr, &e);
            throw;
        }
        desfechos_(comando, &r, nullptr);
        return r;
    }

    Conector& interno_;
    ObservadorDeComandos observador_;
    ObservadorDeDesfechos desfechos_;
};

}  // namespace zolvek::db
