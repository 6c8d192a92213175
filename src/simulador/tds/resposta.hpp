#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/conector.hpp"
#include "simulador/tds/bytes.hpp"
#include "simulador/tds/tokens.hpp"

// The answer to one request, streamed to the client in packets as it grows. The last
// DONE of the answer is the one without the "more" bit: each DONE waits until the next
// token shows whether another one follows.
namespace zolvek::simulador::tds {

class Canal;

class Resposta {
  public:
    Resposta(Canal& canal, std::string servidor);
    Resposta(const Resposta&) = delete;
    Resposta& operator=(const Resposta&) = delete;

    Escritor& Corpo();  // for a token of the caller's own; sends the DONE waiting before it
    // A result set (COLMETADATA, rows, DONE with its count) or a row count. A value that
    // cannot be written ends the result with an error instead.
    void Resultado(const db::Resultado& r, std::uint8_t tokenDoFim);
    // ERROR for a failure of the request, with SQL Server's number, state and class.
    void Erro(const ErroDeBanco& e);
    void Info(std::int32_t numero, std::uint8_t classe, const std::string& texto,
              std::uint8_t estado = 1);
    // The batch's messages that came before result `indice`, in order.
    void MensagensAte(std::vector<db::Mensagem>& mensagens, std::size_t indice);
    void Fim(std::uint8_t token, std::uint16_t status, std::uint64_t linhas = 0);
    // Every answer ends with a DONE: a final one is added when the last was not.
    void Concluir(std::uint8_t tokenFinal = kFim);
    bool TeveErro() const { return teveErro_; }
    // The DONEs that follow carry DONE_INXACT.
    void DefinirEmTransacao(bool em) { emTransacao_ = em; }

  private:
    void EscreverFimPendente(bool mais);
    void Enviar(bool ultimo);

    Canal& canal_;
    std::string servidor_;
    Escritor e_;
    struct FimPendente {
        std::uint8_t token;
        std::uint16_t status;
        std::uint64_t linhas;
    };
    std::optional<FimPendente> pendente_;
    std::size_t mensagensEnviadas_ = 0;
    bool teveErro_ = false;
    bool emTransacao_ = false;
};

// ErroDeBanco's number, severity and state as the ERROR token carries them (the
// stand-in's own refusals keep their number 0, with severity 16).
MensagemDoServidor MensagemDoErro(const ErroDeBanco& e, const std::string& servidor);

}  // namespace zolvek::simulador::tds
