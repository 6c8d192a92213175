#include "simulador/motor/tipos/registro_das_funcoes.hpp"

#include <unordered_map>

namespace zolvek::simulador {

namespace {

using Esp = EspecieDeFuncao;
using Chamar = FormaDaChamada;
using Regra = RegraDoTipo;
using Aceita = OperandoDoAgregado;

constexpr TipoSql kTipoInt{TipoBase::Int, 0, 10, 0};
constexpr TipoSql kTipoBigInt{TipoBase::BigInt, 0, 19, 0};
constexpr TipoSql kTipoFloat{TipoBase::Float, 0, 53, 0};
constexpr TipoSql kTipoDate{TipoBase::Date, 0, 10, 0};
constexpr TipoSql kTipoDateTime{TipoBase::DateTime, 0, 0, 0};
constexpr TipoSql kTipoDateTime2{TipoBase::DateTime2, 0, 27, 7};
constexpr TipoSql kTipoSysname{TipoBase::NVarChar, 128, 0, 0};
constexpr int kVersao2012 = 11;

// One row per function: SQLite's name where it is not T-SQL's, SQL Server's count of
// arguments where the engine checks it, and what the result's type follows.
const FuncaoEmbutida kFuncoes[] = {
    // clang-format off
    // dates and times
    {.nome = "getdate", .maximo = 0, .noSqlite = "zv_getdate", .regra = Regra::FixoNaCriacao,
     .tipo = kTipoDateTime},
    {.nome = "getutcdate", .maximo = 0, .noSqlite = "zv_getutcdate", .regra = Regra::FixoNaCriacao,
     .tipo = kTipoDateTime},
    {.nome = "current_timestamp", .noSqlite = "zv_getdate"},
    {.nome = "sysdatetime", .maximo = 0, .noSqlite = "zv_sysdatetime", .regra = Regra::Fixo,
     .tipo = kTipoDateTime2},
    {.nome = "sysutcdatetime", .maximo = 0, .noSqlite = "zv_sysutcdatetime", .regra = Regra::Fixo,
     .tipo = kTipoDateTime2},
    {.nome = "sysdatetimeoffset", .maximo = 0, .noSqlite = "zv_sysdatetimeoffset",
     .regra = Regra::Fixo, .tipo = {TipoBase::DateTimeOffset, 0, 34, 7}},
    {.nome = "todatetimeoffset", .minimo = 2, .maximo = 2, .noSqlite = "zv_todatetimeoffset",
     .regra = Regra::Fuso},
    {.nome = "switchoffset", .minimo = 2, .maximo = 2, .noSqlite = "zv_switchoffset",
     .regra = Regra::Fuso},
    {.nome = "dateadd", .minimo = 3, .maximo = 3, .forma = Chamar::ParteDeData,
     .noSqlite = "zv_dateadd", .regra = Regra::SomaDeData},
    {.nome = "datediff", .minimo = 3, .maximo = 3, .forma = Chamar::ParteDeData,
     .noSqlite = "zv_datediff", .regra = Regra::Fixo, .tipo = kTipoInt},
    {.nome = "datepart", .minimo = 2, .maximo = 2, .forma = Chamar::ParteDeData,
     .noSqlite = "zv_datepart", .regra = Regra::Fixo, .tipo = kTipoInt},
    {.nome = "datename", .minimo = 2, .maximo = 2, .forma = Chamar::ParteDeData,
     .noSqlite = "zv_datename", .regra = Regra::Fixo, .tipo = {TipoBase::NVarChar, 30, 0, 0}},
    {.nome = "year", .minimo = 1, .maximo = 1, .noSqlite = "zv_year", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "month", .minimo = 1, .maximo = 1, .noSqlite = "zv_month", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "day", .minimo = 1, .maximo = 1, .noSqlite = "zv_day", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "isdate", .minimo = 1, .maximo = 1, .noSqlite = "zv_isdate"},
    {.nome = "datefromparts", .minimo = 3, .maximo = 3, .noSqlite = "zv_datefromparts",
     .regra = Regra::Fixo, .tipo = kTipoDate, .desdeVersao = kVersao2012},
    {.nome = "eomonth", .minimo = 1, .maximo = 2, .noSqlite = "zv_eomonth", .regra = Regra::Fixo,
     .tipo = kTipoDate, .desdeVersao = kVersao2012},

    // texts
    {.nome = "len", .minimo = 1, .maximo = 1, .noSqlite = "zv_len", .regra = Regra::FixoNaCriacao,
     .tipo = kTipoInt},
    {.nome = "datalength", .minimo = 1, .maximo = 1, .noSqlite = "zv_datalength",
     .regra = Regra::FixoNaCriacao, .tipo = kTipoInt},
    {.nome = "charindex", .minimo = 2, .maximo = 3, .noSqlite = "zv_charindex",
     .regra = Regra::FixoNaCriacao, .tipo = kTipoInt},
    {.nome = "patindex", .minimo = 2, .maximo = 2, .noSqlite = "zv_patindex",
     .regra = Regra::FixoNaCriacao, .tipo = kTipoInt},
    {.nome = "substring", .minimo = 3, .maximo = 3, .noSqlite = "substr",
     .regra = Regra::TextoDoPrimeiro},
    {.nome = "left", .minimo = 2, .maximo = 2, .noSqlite = "zv_left",
     .regra = Regra::TextoDoPrimeiro},
    {.nome = "right", .minimo = 2, .maximo = 2, .noSqlite = "zv_right",
     .regra = Regra::TextoDoPrimeiro},
    {.nome = "ltrim", .minimo = 1, .maximo = 1, .regra = Regra::TextoDoPrimeiro},
    {.nome = "rtrim", .minimo = 1, .maximo = 1, .regra = Regra::TextoDoPrimeiro},
    {.nome = "upper", .minimo = 1, .maximo = 1, .noSqlite = "zv_upper",
     .regra = Regra::TextoDoPrimeiro},
    {.nome = "lower", .minimo = 1, .maximo = 1, .noSqlite = "zv_lower",
     .regra = Regra::TextoDoPrimeiro},
    {.nome = "space", .minimo = 1, .maximo = 1, .noSqlite = "zv_space"},
    {.nome = "replicate", .minimo = 2, .maximo = 2, .noSqlite = "zv_replicate"},
    {.nome = "reverse", .minimo = 1, .maximo = 1, .noSqlite = "zv_reverse"},
    {.nome = "replace", .minimo = 3, .maximo = 3, .noSqlite = "zv_replace"},
    {.nome = "stuff", .minimo = 4, .maximo = 4, .noSqlite = "zv_stuff"},
    {.nome = "str", .minimo = 1, .maximo = 3, .noSqlite = "zv_str"},
    {.nome = "quotename", .minimo = 1, .maximo = 2, .noSqlite = "zv_quotename",
     .regra = Regra::Fixo,
     .tipo = {TipoBase::NVarChar, 258, 0, 0}},
    {.nome = "ascii", .minimo = 1, .maximo = 1, .noSqlite = "zv_ascii", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "unicode", .minimo = 1, .maximo = 1, .noSqlite = "zv_unicode", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "char", .minimo = 1, .maximo = 1, .noSqlite = "zv_char", .regra = Regra::Fixo,
     .tipo = {TipoBase::Char, 1, 0, 0}},
    {.nome = "nchar", .minimo = 1, .maximo = 1, .noSqlite = "zv_nchar", .regra = Regra::Fixo,
     .tipo = {TipoBase::NChar, 1, 0, 0}},
    {.nome = "soundex", .minimo = 1, .maximo = 1, .noSqlite = "zv_soundex", .regra = Regra::Fixo,
     .tipo = {TipoBase::VarChar, 4, 0, 0}},
    {.nome = "difference", .minimo = 2, .maximo = 2, .noSqlite = "zv_difference",
     .regra = Regra::Fixo, .tipo = kTipoInt},
    {.nome = "format", .minimo = 2, .maximo = 3, .noSqlite = "zv_format", .regra = Regra::Fixo,
     .tipo = {TipoBase::NVarChar, 4000, 0, 0},
    .desdeVersao = kVersao2012},
    {.nome = "concat", .minimo = 2, .maximo = 254, .desdeVersao = kVersao2012},
    {.nome = "hashbytes", .minimo = 2, .maximo = 2, .noSqlite = "zv_hashbytes",
     .regra = Regra::Fixo,
     .tipo = {TipoBase::VarBinary, 8000, 0, 0}},
    {.nome = "checksum", .hashDoServidor = true},
    {.nome = "binary_checksum", .hashDoServidor = true},

    // numbers, NULLs and conversions
    {.nome = "abs", .minimo = 1, .maximo = 1, .regra = Regra::DoPrimeiroNumero},
    {.nome = "sign", .minimo = 1, .maximo = 1, .regra = Regra::DoPrimeiroNumero},
    {.nome = "round", .minimo = 2, .maximo = 3, .noSqlite = "zv_round",
     .regra = Regra::DoPrimeiroNumero},
    {.nome = "ceiling", .minimo = 1, .maximo = 1, .noSqlite = "zv_ceiling", .regra = Regra::Teto},
    {.nome = "floor", .minimo = 1, .maximo = 1, .noSqlite = "zv_floor", .regra = Regra::Teto},
    {.nome = "power", .minimo = 2, .maximo = 2, .noSqlite = "zv_power", .regra = Regra::Potencia},
    {.nome = "sqrt", .minimo = 1, .maximo = 1, .noSqlite = "zv_sqrt", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "exp", .minimo = 1, .maximo = 1, .noSqlite = "zv_exp", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "log", .minimo = 1, .maximo = 2, .noSqlite = "zv_log", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "log10", .minimo = 1, .maximo = 1, .noSqlite = "zv_log10", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "asin", .minimo = 1, .maximo = 1, .noSqlite = "zv_asin", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "acos", .minimo = 1, .maximo = 1, .noSqlite = "zv_acos", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "cot", .minimo = 1, .maximo = 1, .noSqlite = "zv_cot", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "atn2", .minimo = 2, .maximo = 2, .noSqlite = "zv_atn2", .regra = Regra::Fixo,
     .tipo = kTipoFloat},
    {.nome = "square", .minimo = 1, .maximo = 1, .noSqlite = "zv_square"},
    {.nome = "radians", .minimo = 1, .maximo = 1, .regra = Regra::Angulo},
    {.nome = "degrees", .minimo = 1, .maximo = 1, .regra = Regra::Angulo},
    {.nome = "rand", .maximo = 1, .noSqlite = "zv_rand", .regra = Regra::Fixo, .tipo = kTipoFloat},
    {.nome = "newid", .maximo = 0, .noSqlite = "zv_newid", .regra = Regra::FixoNaCriacao,
     .tipo = {TipoBase::UniqueIdentifier, 0, 0, 0}},
    {.nome = "isnumeric", .minimo = 1, .maximo = 1, .noSqlite = "zv_isnumeric"},
    {.nome = "isnull", .minimo = 2, .maximo = 2, .noSqlite = "ifnull", .regra = Regra::DoPrimeiro},
    {.nome = "nullif", .minimo = 2, .maximo = 2, .regra = Regra::DoPrimeiroNumero},
    {.nome = "coalesce", .regra = Regra::Valores},
    {.nome = "iif", .regra = Regra::Ramos, .desdeVersao = kVersao2012},
    {.nome = "choose", .minimo = 2, .maximo = 254, .noSqlite = "zv_choose", .regra = Regra::Escolha,
     .desdeVersao = kVersao2012},
    {.nome = "cast", .forma = Chamar::TipoAoFim, .noSqlite = "zv_cast", .regra = Regra::Convertida},
    {.nome = "convert", .forma = Chamar::TipoPrimeiro, .noSqlite = "zv_convert",
     .regra = Regra::Convertida},
    {.nome = "try_cast", .forma = Chamar::TipoAoFim, .noSqlite = "zv_try_cast",
     .regra = Regra::Convertida, .desdeVersao = kVersao2012},
    {.nome = "try_convert", .forma = Chamar::TipoPrimeiro, .noSqlite = "zv_try_convert",
     .regra = Regra::Convertida, .desdeVersao = kVersao2012},
    {.nome = "parse", .forma = Chamar::TipoAoFim, .regra = Regra::Convertida,
     .desdeVersao = kVersao2012},
    {.nome = "try_parse", .forma = Chamar::TipoAoFim, .regra = Regra::Convertida,
     .desdeVersao = kVersao2012},

    // aggregates
    {.nome = "count", .minimo = 1, .maximo = 1, .especie = Esp::Agregada,
     .regra = Regra::FixoNaCriacao, .tipo = kTipoInt},
    {.nome = "count_big", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .noSqlite = "count",
     .regra = Regra::FixoNaCriacao, .tipo = kTipoBigInt},
    {.nome = "sum", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .regra = Regra::Soma,
     .operando = Aceita::Numero},
    {.nome = "avg", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .regra = Regra::Media,
     .operando = Aceita::Numero},
    {.nome = "min", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .regra = Regra::DoPrimeiro,
     .operando = Aceita::Comparavel},
    {.nome = "max", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .regra = Regra::DoPrimeiro,
     .operando = Aceita::Comparavel},
    {.nome = "stdev", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .noSqlite = "zv_stdev",
     .regra = Regra::Fixo, .tipo = kTipoFloat, .operando = Aceita::Numero},
    {.nome = "stdevp", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .noSqlite = "zv_stdevp",
     .regra = Regra::Fixo, .tipo = kTipoFloat, .operando = Aceita::Numero},
    {.nome = "var", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .noSqlite = "zv_var",
     .regra = Regra::Fixo, .tipo = kTipoFloat, .operando = Aceita::Numero},
    {.nome = "varp", .minimo = 1, .maximo = 1, .especie = Esp::Agregada, .noSqlite = "zv_varp",
     .regra = Regra::Fixo, .tipo = kTipoFloat, .operando = Aceita::Numero},
    // GROUPING and GROUPING_ID check their own arguments against the GROUP BY
    {.nome = "grouping", .especie = Esp::Agregada},
    {.nome = "grouping_id"},
    {.nome = "checksum_agg", .especie = Esp::Agregada, .hashDoServidor = true},

    // ranking, offset and analytic functions
    {.nome = "row_number", .especie = Esp::Classificacao, .semMoldura = true},
    {.nome = "rank", .especie = Esp::Classificacao, .semMoldura = true},
    {.nome = "dense_rank", .especie = Esp::Classificacao, .semMoldura = true},
    {.nome = "ntile", .especie = Esp::Classificacao, .semMoldura = true},
    {.nome = "lag", .especie = Esp::Classificacao, .desdeVersao = kVersao2012, .semMoldura = true},
    {.nome = "lead", .especie = Esp::Classificacao, .desdeVersao = kVersao2012, .semMoldura = true},
    {.nome = "first_value", .especie = Esp::Analitica, .desdeVersao = kVersao2012},
    {.nome = "last_value", .especie = Esp::Analitica, .desdeVersao = kVersao2012},
    {.nome = "cume_dist", .especie = Esp::Analitica, .desdeVersao = kVersao2012},
    {.nome = "percent_rank", .especie = Esp::Analitica, .desdeVersao = kVersao2012},
    {.nome = "percentile_cont", .especie = Esp::Analitica, .desdeVersao = kVersao2012,
     .dentroDoGrupo = true},
    {.nome = "percentile_disc", .especie = Esp::Analitica, .desdeVersao = kVersao2012,
     .dentroDoGrupo = true},

    // the catalog, the session and the server
    {.nome = "suser_sname", .maximo = 1, .noSqlite = "zv_suser_sname"},
    {.nome = "suser_name", .maximo = 1, .noSqlite = "zv_suser_sname"},
    {.nome = "user_name", .maximo = 1, .noSqlite = "zv_user_name"},
    {.nome = "user", .noSqlite = "zv_user_name"},
    {.nome = "is_member", .minimo = 1, .maximo = 1, .noSqlite = "zv_is_member"},
    {.nome = "is_srvrolemember", .minimo = 1, .maximo = 2, .noSqlite = "zv_is_srvrolemember"},
    {.nome = "has_dbaccess", .minimo = 1, .maximo = 1, .noSqlite = "zv_has_dbaccess"},
    {.nome = "host_name", .maximo = 0, .noSqlite = "zv_host_name"},
    {.nome = "app_name", .maximo = 0, .noSqlite = "zv_app_name"},
    {.nome = "serverproperty", .minimo = 1, .maximo = 1, .noSqlite = "zv_serverproperty"},
    {.nome = "fulltextserviceproperty", .minimo = 1, .maximo = 1,
     .noSqlite = "zv_fulltextserviceproperty", .regra = Regra::Fixo, .tipo = kTipoInt},
    {.nome = "db_name", .maximo = 1, .noSqlite = "zv_db_name"},
    {.nome = "db_id", .maximo = 1, .noSqlite = "zv_db_id"},
    {.nome = "object_id", .minimo = 1, .maximo = 2, .noSqlite = "zv_object_id"},
    {.nome = "object_name", .minimo = 1, .maximo = 2, .noSqlite = "zv_object_name"},
    {.nome = "objectproperty", .minimo = 2, .maximo = 2, .noSqlite = "zv_objectproperty"},
    {.nome = "object_definition", .minimo = 1, .maximo = 1, .noSqlite = "zv_object_definition",
     .regra = Regra::Fixo, .tipo = {TipoBase::NVarChar, -1, 0, 0}},
    {.nome = "object_schema_name", .minimo = 1, .maximo = 2, .noSqlite = "zv_object_schema_name",
     .regra = Regra::Fixo, .tipo = kTipoSysname},
    {.nome = "schema_name", .maximo = 1, .noSqlite = "zv_schema_name", .regra = Regra::Fixo,
     .tipo = kTipoSysname},
    {.nome = "schema_id", .maximo = 1, .noSqlite = "zv_schema_id", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "scope_identity", .maximo = 0, .noSqlite = "zv_identity"},
    {.nome = "ident_current", .minimo = 1, .maximo = 1, .noSqlite = "zv_ident_current"},
    {.nome = "ident_seed", .minimo = 1, .maximo = 1, .noSqlite = "zv_ident_seed"},
    {.nome = "ident_incr", .minimo = 1, .maximo = 1, .noSqlite = "zv_ident_incr"},
    {.nome = "col_length", .minimo = 2, .maximo = 2, .noSqlite = "zv_col_length",
     .regra = Regra::Fixo, .tipo = {TipoBase::SmallInt, 0, 5, 0}},
    {.nome = "col_name", .minimo = 2, .maximo = 2, .noSqlite = "zv_col_name", .regra = Regra::Fixo,
     .tipo = kTipoSysname},
    {.nome = "columnproperty", .minimo = 3, .maximo = 3, .noSqlite = "zv_columnproperty"},
    {.nome = "type_id", .minimo = 1, .maximo = 1, .noSqlite = "zv_type_id", .regra = Regra::Fixo,
     .tipo = kTipoInt},
    {.nome = "type_name", .minimo = 1, .maximo = 1, .noSqlite = "zv_type_name",
     .regra = Regra::Fixo,
     .tipo = kTipoSysname},
    // clang-format on
};

}  // namespace

const FuncaoEmbutida* FuncaoEmbutidaDe(std::string_view nome) {
    static const std::unordered_map<std::string_view, const FuncaoEmbutida*> porNome = [] {
        std::unordered_map<std::string_view, const FuncaoEmbutida*> m;
        for (const FuncaoEmbutida& f : kFuncoes) m.emplace(f.nome, &f);
        return m;
    }();
    const auto it = porNome.find(nome);
    return it == porNome.end() ? nullptr : it->second;
}

std::span<const FuncaoEmbutida> FuncoesEmbutidas() {
    return kFuncoes;
}

}  // namespace zolvek::simulador
