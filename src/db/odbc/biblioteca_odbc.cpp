#include "db/odbc/biblioteca_odbc.hpp"

#include "comum/biblioteca_dinamica.hpp"
#include "comum/erros.hpp"

#ifndef ZOLVEK_BIBLIOTECA_ODBC
#ifdef _WIN32
#define ZOLVEK_BIBLIOTECA_ODBC "odbc32.dll"
#else
#define ZOLVEK_BIBLIOTECA_ODBC "libodbc.so.2"
#endif
#endif

namespace zolvek::db::odbc {

FuncoesOdbc CarregarFuncoesOdbc(const std::string& nome) {
    try {
        const BibliotecaDinamica b(nome);
        FuncoesOdbc f{};
#define ZOLVEK_LER(funcao) b.Ler(f.funcao, #funcao)
        ZOLVEK_LER(SQLAllocHandle);
        ZOLVEK_LER(SQLFreeHandle);
        ZOLVEK_LER(SQLSetEnvAttr);
        ZOLVEK_LER(SQLSetConnectAttr);
        ZOLVEK_LER(SQLSetStmtAttr);
        ZOLVEK_LER(SQLDriverConnectW);
        ZOLVEK_LER(SQLDisconnect);
        ZOLVEK_LER(SQLDrivers);
        ZOLVEK_LER(SQLEndTran);
        ZOLVEK_LER(SQLExecDirectW);
        ZOLVEK_LER(SQLCancel);
        ZOLVEK_LER(SQLBindParameter);
        ZOLVEK_LER(SQLNumResultCols);
        ZOLVEK_LER(SQLRowCount);
        ZOLVEK_LER(SQLMoreResults);
        ZOLVEK_LER(SQLFetch);
        ZOLVEK_LER(SQLGetData);
        ZOLVEK_LER(SQLDescribeColW);
        ZOLVEK_LER(SQLColAttributeW);
        ZOLVEK_LER(SQLPrimaryKeysW);
        ZOLVEK_LER(SQLGetDiagField);
        ZOLVEK_LER(SQLGetDiagRecW);
#undef ZOLVEK_LER
        return f;
    } catch (const Erro& e) {  // the loader's reason, told as this backend's failure
        throw ErroDeBanco("Não foi possível iniciar o gerenciador de drivers ODBC: " +
                          std::string(e.what()));
    }
}

const FuncoesOdbc& Odbc() {
    static const FuncoesOdbc funcoes = CarregarFuncoesOdbc(ZOLVEK_BIBLIOTECA_ODBC);
    return funcoes;
}

}  // namespace zolvek::db::odbc
