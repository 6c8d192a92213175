#include "simulador/tds/datas_tds.hpp"

#include <cmath>

namespace zolvek::simulador::tds {

namespace {

const std::int64_t kAno1 = db::DiasDesde1970(1, 1, 1);
const std::int64_t kAno1900 = db::DiasDesde1970(1900, 1, 1);
constexpr std::int64_t kCemNanosPorDia = 864000000000LL;

std::int64_t Dias1970(const db::DataHora& d) {
    return db::DiasDesde1970(d.ano, static_cast<unsigned>(d.mes), static_cast<unsigned>(d.dia));
}

}  // namespace

std::int64_t DiasDesdeOAno1(const db::DataHora& d) {
    return Dias1970(d) - kAno1;
}

void DefinirData(db::DataHora& d, std::int64_t diasDesdeOAno1) {
    db::DataCivil(diasDesdeOAno1 + kAno1, d.ano, d.mes, d.dia);
}

std::int64_t CemNanosDoDia(const db::DataHora& d) {
    return ((d.hora * 60LL + d.minuto) * 60 + d.segundo) * 10000000LL + d.milissegundo * 10000LL +
           d.cemNanos;
}

void DefinirHora(db::DataHora& d, std::int64_t cemNanos) {
    cemNanos %= kCemNanosPorDia;
    d.cemNanos = static_cast<int>(cemNanos % 10000);
    d.milissegundo = static_cast<int>(cemNanos / 10000 % 1000);
    const std::int64_t segundos = cemNanos / 10000000;
    d.segundo = static_cast<int>(segundos % 60);
    d.minuto = static_cast<int>(segundos / 60 % 60);
    d.hora = static_cast<int>(segundos / 3600);
}

void ComoDataHoraClassica(const db::DataHora& d, std::int32_t& dias, std::uint32_t& tiques) {
    std::int64_t dia = Dias1970(d) - kAno1900;
    const std::int64_t ms = ((d.hora * 60LL + d.minuto) * 60 + d.segundo) * 1000 + d.milissegundo;
    std::int64_t t = std::llround(static_cast<double>(ms) * 0.3);
    if (t >= 300LL * 86400) {  // 23:59:59.999 rounds to the next day, as SQL Server does
        t -= 300LL * 86400;
        ++dia;
    }
    dias = static_cast<std::int32_t>(dia);
    tiques = static_cast<std::uint32_t>(t);
}

db::DataHora DeDataHoraClassica(std::int32_t dias, std::uint32_t tiques) {
    db::DataHora d;
    db::DataCivil(dias + kAno1900, d.ano, d.mes, d.dia);
    // 1/300 s to milliseconds, rounded as SQL Server shows them (.003, .007)
    const std::int64_t ms = (static_cast<std::int64_t>(tiques) * 10 + 1) / 3;
    DefinirHora(d, ms * 10000);
    return d;
}

}  // namespace zolvek::simulador::tds
