#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "db/conector/valor.hpp"

namespace zolvek::db::odbc {

// The buffers of a statement's input parameters; they must outlive its execution.
class ParametrosLigados {
  public:
    explicit ParametrosLigados(const std::vector<Valor>& valores);
    void Ligar(SQLHSTMT h);

  private:
    struct Ligado {
        SQLSMALLINT tipoC = SQL_C_CHAR;
        SQLSMALLINT tipoSql = SQL_VARCHAR;
        SQLULEN tamanho = 1;
        SQLSMALLINT decimais = 0;
        std::vector<unsigned char> dados;
        SQLLEN indicador = 0;
    };
    std::vector<Ligado> ligados_;
};

}  // namespace zolvek::db::odbc
