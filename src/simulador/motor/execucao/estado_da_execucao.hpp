#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/execucao/variaveis.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

struct ContextoDoGatilho;
struct PlanoDeLote;
struct Tabela;

// EXEC @r = P @a, @b = @v OUTPUT, as the call of a procedure reads it.
struct ChamadaDeProcedimento {
    std::vector<bool> padrao;         // per argument: DEFAULT
    std::vector<std::string> saidas;  // per argument: the variable of an OUTPUT one
    std::string retorno;              // EXEC @r = P
    bool temSaidas = false;
};

// Where a run's flow stands after a statement: BREAK, CONTINUE and RETURN end the
// statements around them up to their loop, or to the run.
enum class Fluxo { Seguir, Interromper, Continuar, Retornar };

// One run's state: a batch's, or a procedure's, trigger's or function's body. What it
// runs and with what parameters, the result sets it has given, its variables and cursors,
// its flow, and what it is (a procedure's body, a function's). A run inside another has
// a state of its own and shares its caller's EstadoProcedural. The executor and the
// procedural interpreter work on it; the fields keep the names the executor's files have
// always read them by.
struct EstadoDaExecucao {
    EstadoDaExecucao(PlanoDeLote& plano, const std::vector<db::Valor>& parametros)
        : plano_(plano), parametros_(parametros) {}
    EstadoDaExecucao(const EstadoDaExecucao&) = delete;
    EstadoDaExecucao& operator=(const EstadoDaExecucao&) = delete;

    PlanoDeLote& plano_;
    const std::vector<db::Valor>& parametros_;
    std::vector<db::Resultado> resultados_;
    std::unique_ptr<QuadroDeVariaveis> quadro_;  // none: a batch without variables
    EstadoProcedural estadoProprio_;
    EstadoProcedural* estado_ = &estadoProprio_;  // the outermost run's
    Fluxo fluxo_ = Fluxo::Seguir;
    std::int64_t retorno_ = 0;                        // a procedure's RETURN value
    bool emProcedimento_ = false;                     // a procedure's body
    const ChamadaDeProcedimento* chamada_ = nullptr;  // of the EXEC statement being run
    bool erroDeChamada_ = false;              // the error in flight came from a called procedure
    bool emFuncao_ = false;                   // a function's body: an error ends it, whatever it is
    bool funcaoDeTabela_ = false;             // a table function's body: it fills its table
    const TipoSql* tipoDoRetorno_ = nullptr;  // of the scalar function whose body this runs
    db::Valor valorRetornado_;
    const ContextoDoGatilho* gatilho_ = nullptr;  // of the trigger whose body this runs

    // Of the statement being run, for the data changes: the literals bound to its text, the
    // tables its clauses read by alias or name, the columns of the key its last failure broke.
    const std::vector<db::Valor>* literais_ = nullptr;
    std::vector<std::pair<std::string, Tabela*>> escopoAlvo_;
    std::vector<std::string> chaveViolada_;
};

}  // namespace zolvek::simulador
