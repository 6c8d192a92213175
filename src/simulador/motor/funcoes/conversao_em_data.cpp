// Conversion of a value to datetime, smalldatetime, date, time or datetime2: how its text
// is read (datetime keeps the old rules of day order and fraction digits), the range of
// each type, and SQL Server's message when the value is out of it.
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_datas.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// "yyyy-mm-dd hh:nn:ss.zzz[zzzz]", as the engine keeps date-times, or a datetimeoffset's
// "yyyy-mm-dd hh:nn:ss[.fffffff] +hh:mm".
bool PareceGravada(const std::string& texto) {
    static const std::string modelo = "dddd-dd-dd dd:dd:dd.ddddddd";
    std::string_view s = texto;
    int fuso = 0;
    if (SepararFuso(s, fuso))
        return s.size() >= 19 && PareceGravada(std::string(s.substr(0, 19)) + ".000");
    if (s.size() != 23 && s.size() != 27) return false;
    for (std::size_t k = 0; k < s.size(); ++k) {
        const bool digito = s[k] >= '0' && s[k] <= '9';
        if (modelo[k] == 'd' ? !digito : s[k] != modelo[k]) return false;
    }
    return true;
}

// Whether the text is a stored date-time rather than a character string the user wrote:
// the first reads as yyyy-mm-dd whatever the session's order.
bool EhDataGravada(sqlite3_value* v, const OrigemDoValor& o) {
    if (o.origem != OrigemDaData::Desconhecida) return o.origem == OrigemDaData::DataHora;
    return sqlite3_value_subtype(v) == kSubtipoDataHora || PareceGravada(TextoDe(v));
}

// The bytes of a datetime (days since 1900-01-01, then 1/300 seconds since midnight) or of
// a smalldatetime (days, then minutes), as older generated scripts write date-times.
bool LerDataDosBytes(sqlite3_value* v, const TipoSql& t, db::DataHora& d) {
    const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(v));
    const int n = sqlite3_value_bytes(v);
    auto inteiro = [&](int de, int quantos) {
        std::uint32_t r = 0;
        for (int k = de; k < de + quantos; ++k) r = (r << 8) | p[k];
        return r;
    };
    if (t.base == TipoBase::DateTime && n == 8) {
        const auto dias = static_cast<std::int32_t>(inteiro(0, 4));
        d = DataHoraDeDias1900(dias + inteiro(4, 4) / (300.0 * 86400.0));
        return true;
    }
    if (t.base == TipoBase::SmallDateTime && n == 4) {
        d = DataHoraDeDias1900(inteiro(0, 2) + inteiro(2, 2) / 1440.0);
        return true;
    }
    return false;
}

bool EhClassica(const TipoSql& t) {
    return t.base == TipoBase::DateTime || t.base == TipoBase::SmallDateTime;
}

// SQL Server's error for a value out of the range of `t`, by where it came from.
ErroDeBanco ErroDeForaDoIntervalo(sqlite3_value* v, const TipoSql& t, const OrigemDoValor& o) {
    const std::string alvo = NomeDoTipo(t.base);
    const int tipo = sqlite3_value_type(v);
    if (tipo == SQLITE_INTEGER || tipo == SQLITE_FLOAT)
        return ErroDoServidor(8115, {"expression", alvo});
    std::string origem = "varchar";
    if (o.tipo) {
        origem = NomeDoTipo(o.tipo->base);
    } else if (EhDataGravada(v, o)) {
        // a stored value out of datetime's range can only come from a date or datetime2
        origem = t.base == TipoBase::SmallDateTime ? "datetime" : "datetime2";
    }
    if (origem == "datetime" && t.base == TipoBase::SmallDateTime) return ErroDoServidor(298);
    return ErroDoServidor(242, {origem, alvo});
}

// datetimeoffset from a text (with or without its offset) or another date-time (at +00:00).
void ConverterEmDataComFuso(sqlite3_context* c, sqlite3_value* v, const TipoSql& t, int estilo) {
    const int tipo = sqlite3_value_type(v);
    if (tipo == SQLITE_INTEGER || tipo == SQLITE_FLOAT)
        return FalharNaFuncao(
            c, ErroDoServidor(529, {(tipo == SQLITE_INTEGER ? "int" : "float"), "datetimeoffset"}));
    if (estilo)
        return FalharNaFuncao(c,
                              Recusa("O simulador de SQL Server não lê datetimeoffset em estilos "
                                     "de CONVERT."));
    DataComFuso d;
    const std::string texto = TextoDe(v);
    if (LerDataComFuso(texto, d)) return ResultadoDataComFuso(c, d, CasasDaFracao(t));
    if (DataForaDoIntervalo(texto))
        return FalharNaFuncao(c, ErroDoServidor(242, {"varchar", "datetimeoffset"}));
    FalharNaFuncao(c, ErroDoServidor(241));
}

}  // namespace

void ConverterEmData(sqlite3_context* c, sqlite3_value* v, const TipoSql& t, int estilo,
                     const OrigemDoValor& origem) {
    if (t.base == TipoBase::DateTimeOffset) return ConverterEmDataComFuso(c, v, t, estilo);
    const bool texto = sqlite3_value_type(v) == SQLITE_TEXT;
    const LeituraDeData leitura = EhClassica(t) && texto && !EhDataGravada(v, origem)
                                      ? LeituraDeData::Classica
                                      : LeituraDeData::Iso;
    db::DataHora d;
    std::optional<ErroDeBanco> erro;
    bool lida = false;
    if (estilo && texto)
        lida = LerDataNoEstilo(TextoDe(v), estilo, d, erro, leitura);
    else if (texto)
        lida = LerDataHora(TextoDe(v), d, leitura);
    else if (sqlite3_value_type(v) == SQLITE_BLOB)
        lida = LerDataDosBytes(v, t, d);
    else
        lida = LerDataHoraDoValor(v, d);
    if (erro) return FalharNaFuncao(c, *erro);
    if (!lida) {
        if (texto && DataForaDoIntervalo(TextoDe(v), leitura))
            return FalharNaFuncao(c, ErroDeForaDoIntervalo(v, t, origem));
        return FalharNaFuncao(c, ErroDoServidor(t.base == TipoBase::SmallDateTime ? 295 : 241));
    }
    // before rounding: 9999-12-31 23:59:59.999 would round past the last day
    const db::DataHora r = d.ano >= 1 && d.ano <= 9999 ? NoTipoDeData(d, t) : d;
    if (!DataCabeNoTipo(r, t) || !DataCabeNoTipo(d, TipoSql{TipoBase::DateTime2}))
        return FalharNaFuncao(c, ErroDeForaDoIntervalo(v, t, origem));
    ResultadoDataHora(c, r);
}

}  // namespace zolvek::simulador
