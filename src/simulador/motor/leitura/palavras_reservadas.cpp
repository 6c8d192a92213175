#include <string_view>
#include <unordered_set>

#include "simulador/motor/leitura/analisador_de_expressoes.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server's reserved words, as its documentation lists them. COALESCE, NULLIF,
// TRY_CONVERT and PRECISION are keywords too, read where they stand.
constexpr std::string_view kReservadas =
    "ADD ALL ALTER AND ANY AS ASC BACKUP BEGIN BETWEEN BREAK BY CASCADE CASE CHECK CLOSE "
    "COLLATE COLUMN COMMIT CONSTRAINT CONTINUE CREATE CROSS CURRENT CURSOR DATABASE "
    "DEALLOCATE DECLARE DEFAULT DELETE DENY DESC DISTINCT DROP ELSE END ESCAPE EXCEPT "
    "EXEC EXECUTE EXISTS FETCH FOR FOREIGN FROM FULL FUNCTION GOTO GRANT GROUP HAVING IF "
    "IN INDEX INNER INSERT INTERSECT INTO IS JOIN KEY KILL LIKE MERGE NOT NULL OF OFF ON "
    "OPEN OPTION OR ORDER OUTER OVER PERCENT PIVOT PRIMARY PRINT PROC PROCEDURE PUBLIC "
    "RAISERROR REFERENCES RESTORE RETURN REVOKE ROLLBACK SAVE SELECT SET SOME TABLE THEN "
    "TO TOP TRAN TRANSACTION TRIGGER TRUNCATE UNION UNIQUE UNPIVOT UPDATE USE VALUES VIEW "
    "WHEN WHERE WHILE WITH LEFT RIGHT CONVERT CURRENT_TIMESTAMP SYSTEM_USER CURRENT_USER "
    "SESSION_USER USER IDENTITY AUTHORIZATION BROWSE BULK CHECKPOINT CLUSTERED COMPUTE "
    "CONTAINS CONTAINSTABLE CURRENT_DATE CURRENT_TIME DBCC DISK DISTRIBUTED DOUBLE DUMP "
    "ERRLVL EXIT EXTERNAL FILE FILLFACTOR FREETEXT FREETEXTTABLE HOLDLOCK IDENTITY_INSERT "
    "IDENTITYCOL LINENO LOAD NATIONAL NOCHECK NONCLUSTERED OFFSETS OPENDATASOURCE "
    "OPENQUERY OPENROWSET OPENXML PLAN READ READTEXT RECONFIGURE REPLICATION RESTRICT "
    "REVERT ROWCOUNT ROWGUIDCOL RULE SCHEMA SECURITYAUDIT SETUSER SHUTDOWN STATISTICS "
    "TABLESAMPLE TEXTSIZE TSEQUAL UPDATETEXT VARYING WAITFOR WRITETEXT ";

// A hash of views into kReservadas: looked up at every name of every statement.
std::unordered_set<std::string_view> ConjuntoDasReservadas() {
    std::unordered_set<std::string_view> r;
    for (std::size_t i = 0; i < kReservadas.size();) {
        const std::size_t fim = kReservadas.find(' ', i);
        r.insert(kReservadas.substr(i, fim - i));
        i = fim + 1;
    }
    return r;
}

}  // namespace

bool PalavraReservada(const Token& t) {
    static const std::unordered_set<std::string_view> reservadas = ConjuntoDasReservadas();
    constexpr std::size_t kMaisLonga = 17;  // CURRENT_TIMESTAMP
    if (t.tipo != TipoToken::Palavra || t.texto.size() > kMaisLonga) return false;
    char maiusculas[kMaisLonga];
    // the words are ASCII: only its letters fold
    for (std::size_t i = 0; i < t.texto.size(); ++i) {
        const char c = t.texto[i];
        maiusculas[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    }
    return reservadas.count(std::string_view(maiusculas, t.texto.size())) != 0;
}

}  // namespace zolvek::simulador
