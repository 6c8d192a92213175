#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/conector/conector.hpp"
#include "simulador/servidor/servidor.hpp"

// Pieces of the result sets the system procedures build themselves (sp_who, sp_help,
// sp_columns ...): their columns, SQL Server's padded and formatted values, and the LIKE
// of their name arguments.
namespace zolvek::simulador {

db::Coluna ColunaDoSistema(const std::string& nome, db::TipoDeCampo tipo, int tamanho = 0);
// nvarchar(n)/varchar(n); sysname is nvarchar(128).
db::Coluna TextoDoSistema(const std::string& nome, int tamanho = 128);
db::Coluna InteiroDoSistema(const std::string& nome);
db::Coluna CurtoDoSistema(const std::string& nome);  // smallint

// An nchar(n)/char(n) value: padded with blanks to its length, as the client reads it.
std::string Preenchido(std::string s, std::size_t n);

// LIKE of the catalog procedures' name arguments: % and _ (and [..] sets), any case.
bool CasaComPadrao(std::string_view nome, std::string_view padrao);

// STR(n, largura, casas): right-aligned in `largura` characters.
std::string NumeroAlinhado(double n, int largura, int casas);

// "1288 KB"; "3.00 MB" of a size in bytes, with two decimals.
std::string EmKb(std::int64_t kb);
std::string EmMb(std::int64_t bytes);

// sp_helpfile's set (and sp_helpdb's second): the database's files, or the one named.
db::Resultado ArquivosDoBanco(const InfoDoBanco& b, const std::optional<std::string>& filtro);

}  // namespace zolvek::simulador
