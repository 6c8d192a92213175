#pragma once

#include <cstdint>

#include "db/conector/valor.hpp"

// Dates and times as the protocol counts them.
namespace zolvek::simulador::tds {

// date, datetime2, datetimeoffset: days since 0001-01-01.
std::int64_t DiasDesdeOAno1(const db::DataHora& d);
void DefinirData(db::DataHora& d, std::int64_t diasDesdeOAno1);

// time and the time part of datetime2 and datetimeoffset: 100 ns units since midnight.
std::int64_t CemNanosDoDia(const db::DataHora& d);
void DefinirHora(db::DataHora& d, std::int64_t cemNanos);

// datetime: days since 1900-01-01 and three-hundredths of a second since midnight;
// smalldatetime: days and minutes.
void ComoDataHoraClassica(const db::DataHora& d, std::int32_t& dias, std::uint32_t& tiques);
db::DataHora DeDataHoraClassica(std::int32_t dias, std::uint32_t tiques);

}  // namespace zolvek::simulador::tds
