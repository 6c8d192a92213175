#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <string_view>

#include "simulador/motor/tipos/tipos.hpp"

// T-SQL's built-in functions, one row each: how the parser reads a call, how many
// arguments SQL Server takes, whether it folds a group's rows, what SQLite calls it and
// the type of its result. The parser, the checks of a call, the type rules and the
// generator all read these rows, so that one function is described in one place.
namespace zolvek::simulador {

enum class EspecieDeFuncao {
    Escalar,
    Agregada,       // COUNT, SUM...: folds a group's rows into one value (without OVER)
    Classificacao,  // ROW_NUMBER, RANK, LAG...: only with OVER
    Analitica,      // FIRST_VALUE, CUME_DIST, PERCENTILE_CONT...: only with OVER
};

// What comes between the parentheses besides the arguments.
enum class FormaDaChamada {
    Comum,
    ParteDeData,   // DATEADD(day, ...): a date part first
    TipoPrimeiro,  // CONVERT(int, ...): a type first
    TipoAoFim,     // CAST(x AS int): a type after AS
};

// How the generator knows the type of a call's result.
enum class RegraDoTipo {
    Desconhecida,
    Fixo,              // `tipo`
    FixoNaCriacao,     // `tipo`, only for the column SELECT ... INTO makes of it: the
                       // arithmetic leaves these to SQLite as it finds them
    Convertida,        // the type the call names (CAST, CONVERT, PARSE...)
    Ramos,             // IIF: its two values meet
    Escolha,           // CHOOSE: the values after the index meet
    Valores,           // COALESCE: all its values meet
    Fuso,              // TODATETIMEOFFSET, SWITCHOFFSET: datetimeoffset of the value's scale
    SomaDeData,        // DATEADD: the date's own type
    DoPrimeiro,        // MIN, MAX, ISNULL: the first argument's, also a text's
    DoPrimeiroNumero,  // ROUND, ABS, SIGN, NULLIF: the first argument's as the arithmetic
                       // knows it
    TextoDoPrimeiro,   // UPPER, LEFT...: a text of the first argument's kind and length, for
                       // the column SELECT ... INTO makes of it
    Teto,              // CEILING, FLOOR
    Potencia,          // POWER
    Angulo,            // RADIANS, DEGREES: an integer's or exact number's own kind, else float
    Soma,              // SUM
    Media,             // AVG
};

// What an aggregate takes: SQL Server refuses the others when it compiles the statement
// (8117), where SQLite would fold them (texts summed as zeros, bits compared).
enum class OperandoDoAgregado {
    Qualquer,
    Numero,      // SUM, AVG, STDEV, VAR...: no text, date or bit
    Comparavel,  // MIN, MAX: no bit, text, ntext or image
};

// Arguments no count limits: the call is checked elsewhere (CAST, IIF, GROUPING...) or
// by SQLite.
inline constexpr std::size_t kSemLimite = std::numeric_limits<std::size_t>::max();

struct FuncaoEmbutida {
    const char* nome;  // folded
    std::size_t minimo = 0;
    std::size_t maximo = kSemLimite;
    EspecieDeFuncao especie = EspecieDeFuncao::Escalar;
    FormaDaChamada forma = FormaDaChamada::Comum;
    const char* noSqlite = "";  // the function SQLite calls; "" for SQLite's own of that name
    RegraDoTipo regra = RegraDoTipo::Desconhecida;
    TipoSql tipo = {};
    int desdeVersao = 0;  // the major version that brought it (11: SQL Server 2012)
    OperandoDoAgregado operando = OperandoDoAgregado::Qualquer;
    bool semMoldura = false;      // OVER takes no ROWS or RANGE (10752)
    bool dentroDoGrupo = false;   // takes WITHIN GROUP
    bool hashDoServidor = false;  // SQL Server's own hash, which the simulator cannot reproduce
};

// The row of a built-in function by its folded name; nullptr for any other name.
const FuncaoEmbutida* FuncaoEmbutidaDe(std::string_view nome);
// Every row.
std::span<const FuncaoEmbutida> FuncoesEmbutidas();

}  // namespace zolvek::simulador
