#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/conector/valor.hpp"
#include "simulador/tds/bytes.hpp"
#include "simulador/tds/tipos_tds.hpp"

// An RPC request: one or more calls of a procedure, by name or by the number of one of
// the server's own (sp_executesql, sp_prepare...), each with its typed parameters.
namespace zolvek::simulador::tds {

enum ProcedimentoDoServidor : std::uint16_t {
    kSpCursor = 1,
    kSpCursorClose = 9,
    kSpExecuteSql = 10,
    kSpPrepare = 11,
    kSpExecute = 12,
    kSpPrepExec = 13,
    kSpPrepExecRpc = 14,
    kSpUnprepare = 15,
};

struct ParametroRpc {
    std::string nome;  // with its @, or empty for a positional one
    bool saida = false;
    bool padrao = false;  // DEFAULT
    TipoTds tipo;
    db::Valor valor;
};

struct ChamadaRpc {
    std::string nome;  // empty when called by number
    std::uint16_t numero = 0;
    std::vector<ParametroRpc> parametros;
};

// The whole request is read before any call runs: a malformed one runs nothing.
std::vector<ChamadaRpc> LerRpc(const Bytes& dados);

}  // namespace zolvek::simulador::tds
