#pragma once

#include <cstdint>
#include <string>

#include "simulador/tds/bytes.hpp"

// The tokens of the server's answers that carry no data rows.
namespace zolvek::simulador::tds {

enum Token : std::uint8_t {
    kRetornoDeStatus = 0x79,
    kMetadados = 0x81,
    kErro = 0xAA,
    kInfo = 0xAB,
    kValorDeRetorno = 0xAC,
    kLoginAck = 0xAD,
    kLinha = 0xD1,
    kLinhaComNulos = 0xD2,
    kMudancaDeAmbiente = 0xE3,
    kFim = 0xFD,
    kFimDeProcedimento = 0xFE,
    kFimNoProcedimento = 0xFF,
};

// Status bits of DONE, DONEPROC and DONEINPROC.
enum StatusDoFim : std::uint16_t {
    kFimFinal = 0x00,
    kFimMais = 0x01,
    kFimErro = 0x02,
    kFimEmTransacao = 0x04,
    kFimContagem = 0x10,
    kFimAtencao = 0x20,
};

// ENVCHANGE types.
enum TipoDeAmbiente : std::uint8_t {
    kAmbienteBanco = 1,
    kAmbienteIdioma = 2,
    kAmbienteTamanhoDoPacote = 4,
    kAmbienteColacao = 7,
    kAmbienteInicioDeTransacao = 8,
    kAmbienteConfirmacao = 9,
    kAmbienteDesfazimento = 10,
    kAmbienteReinicio = 18,
};

// SQL_Latin1_General_CP1_CI_AS as the protocol writes a collation (code page 1252,
// without case, with accents).
inline const Bytes kColacao = {0x09, 0x04, 0xD0, 0x00, 0x34};

void EscreverLoginAck(Escritor& e, const std::string& versaoDoProduto);
void EscreverAmbiente(Escritor& e, std::uint8_t tipo, const std::string& novo,
                      const std::string& antigo);
void EscreverAmbienteBinario(Escritor& e, std::uint8_t tipo, const Bytes& novo,
                             const Bytes& antigo);

struct MensagemDoServidor {
    bool erro = true;  // ERROR; INFO otherwise
    std::int32_t numero = 0;
    std::uint8_t estado = 1;
    std::uint8_t classe = 16;
    std::string texto;
    std::string servidor;
    std::string procedimento;
    std::int32_t linha = 1;
};
void EscreverMensagem(Escritor& e, const MensagemDoServidor& m);

void EscreverFim(Escritor& e, std::uint8_t token, std::uint16_t status, std::uint64_t linhas,
                 std::uint16_t comando = 0);
void EscreverRetornoDeStatus(Escritor& e, std::int32_t valor);

}  // namespace zolvek::simulador::tds
