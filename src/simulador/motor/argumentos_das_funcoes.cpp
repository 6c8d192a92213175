#include "simulador/motor/argumentos_das_funcoes.hpp"

#include <map>
#include <utility>

#include "comum/erros.hpp"
#include "simulador/motor/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

// The fewest and the most arguments of each function.
const std::map<std::string, std::pair<std::size_t, std::size_t>>& Aridades() {
    static const std::map<std::string, std::pair<std::size_t, std::size_t>> a = {
        {"abs", {1, 1}},
        {"hashbytes", {2, 2}},
        {"rand", {0, 1}},
        {"varp", {1, 1}},
        {"var", {1, 1}},
        {"stdevp", {1, 1}},
        {"stdev", {1, 1}},
        {"object_definition", {1, 1}},
        {"object_schema_name", {1, 2}},
        {"schema_name", {0, 1}},
        {"schema_id", {0, 1}},
        {"ident_seed", {1, 1}},
        {"ident_incr", {1, 1}},
        {"choose", {2, 254}},
        {"type_name", {1, 1}},
        {"type_id", {1, 1}},
        {"columnproperty", {3, 3}},
        {"col_name", {2, 2}},
        {"col_length", {2, 2}},
        {"format", {2, 3}},
        {"difference", {2, 2}},
        {"soundex", {1, 1}},
        {"patindex", {2, 2}},
        {"nchar", {1, 1}},
        {"unicode", {1, 1}},
        {"eomonth", {1, 2}},
        {"datefromparts", {3, 3}},
        {"app_name", {0, 0}},
        {"ascii", {1, 1}},
        {"avg", {1, 1}},
        {"ceiling", {1, 1}},
        {"char", {1, 1}},
        {"charindex", {2, 3}},
        {"count", {1, 1}},
        {"count_big", {1, 1}},
        {"concat", {2, 254}},
        {"datalength", {1, 1}},
        {"dateadd", {3, 3}},
        {"datediff", {3, 3}},
        {"datename", {2, 2}},
        {"datepart", {2, 2}},
        {"day", {1, 1}},
        {"db_id", {0, 1}},
        {"db_name", {0, 1}},
        {"floor", {1, 1}},
        {"getdate", {0, 0}},
        {"getutcdate", {0, 0}},
        {"has_dbaccess", {1, 1}},
        {"host_name", {0, 0}},
        {"ident_current", {1, 1}},
        {"is_member", {1, 1}},
        {"is_srvrolemember", {1, 2}},
        {"isdate", {1, 1}},
        {"isnull", {2, 2}},
        {"isnumeric", {1, 1}},
        {"left", {2, 2}},
        {"len", {1, 1}},
        {"lower", {1, 1}},
        {"ltrim", {1, 1}},
        {"max", {1, 1}},
        {"min", {1, 1}},
        {"month", {1, 1}},
        {"newid", {0, 0}},
        {"nullif", {2, 2}},
        {"object_id", {1, 2}},
        {"object_name", {1, 2}},
        {"objectproperty", {2, 2}},
        {"power", {2, 2}},
        {"quotename", {1, 2}},
        {"replace", {3, 3}},
        {"replicate", {2, 2}},
        {"reverse", {1, 1}},
        {"right", {2, 2}},
        {"round", {2, 3}},
        {"rtrim", {1, 1}},
        {"scope_identity", {0, 0}},
        {"serverproperty", {1, 1}},
        {"sign", {1, 1}},
        {"space", {1, 1}},
        {"sqrt", {1, 1}},
        {"square", {1, 1}},
        {"str", {1, 3}},
        {"stuff", {4, 4}},
        {"substring", {3, 3}},
        {"sum", {1, 1}},
        {"suser_name", {0, 1}},
        {"suser_sname", {0, 1}},
        {"sysdatetime", {0, 0}},
        {"sysdatetimeoffset", {0, 0}},
        {"todatetimeoffset", {2, 2}},
        {"switchoffset", {2, 2}},
        {"sysutcdatetime", {0, 0}},
        {"upper", {1, 1}},
        {"user_name", {0, 1}},
        {"year", {1, 1}},
    };
    return a;
}

}  // namespace

void ExigirArgumentos(const std::string& funcao, std::size_t quantos) {
    auto it = Aridades().find(funcao);
    if (it == Aridades().end()) return;
    const auto [minimo, maximo] = it->second;
    if (quantos >= minimo && quantos <= maximo) return;
    if (minimo == maximo) throw ErroDoServidor(174, {funcao, std::to_string(minimo)});
    throw ErroDoServidor(189, {funcao, std::to_string(minimo), std::to_string(maximo)});
}

}  // namespace zolvek::simulador
