#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "comum/erros.hpp"
#include "db/conector/valor.hpp"
#include "simulador/motor/tipos/tipos.hpp"

// datetimeoffset: a date-time with the offset from UTC it was written in. The engine keeps
// it as the text CAST shows, "yyyy-mm-dd hh:nn:ss[.fffffff] +hh:mm", the date-time in its
// own offset; values compare by their UTC instant.
namespace zolvek::simulador {

struct DataComFuso {
    db::DataHora local;
    int fuso = 0;  // minutes east of UTC, -840 ... 840
};

// Takes a trailing offset off a date-time text ('... 10:00 +01:00', '...T10:00:00Z'):
// false, the text untouched, when it has none or the offset is out of range.
bool SepararFuso(std::string_view& texto, int& minutos);
// An offset alone ('+05:30', '-03:00'); false when it is none or out of -14:00 ... +14:00.
bool LerFuso(std::string_view texto, int& minutos);
// A text as datetimeoffset reads it: a date-time (year first as yyyy-mm-dd) and its
// offset, +00:00 when it has none.
bool LerDataComFuso(std::string_view texto, DataComFuso& d);
std::string FormatarFuso(int minutos);  // "+01:00", "-03:30"
std::string FormatarDataComFuso(const DataComFuso& d, int casas);
db::DataHora EmUtc(const DataComFuso& d);
// The instant `utc` as the clock reads it at the offset `fuso`.
DataComFuso NoFuso(const db::DataHora& utc, int fuso);
// A datetimeoffset value as CONVERT writes it; false with the refusal in `erro` for a
// style the stand-in does not write it in.
bool EscreverDataComFuso(const std::string& valor, const TipoSql& t, int estilo, std::string& saida,
                         std::optional<ErroDeBanco>& erro);

}  // namespace zolvek::simulador
