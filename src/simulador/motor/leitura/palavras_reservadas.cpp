#include <string_view>
#include <unordered_set>

#include "simulador/motor/leitura/analisador_de_expressoes.hpp"

namespace zolvek::simulador {

bool PalavraReservada(const Token& t) {
    // looked up at every name of every statement: a hash of views, not a walk with strlen
    static const std::unordered_set<std::string_view> reservadas = {
        "ADD",         "ALL",          "ALTER",        "AND",        "ANY",
        "AS",          "ASC",          "BACKUP",       "BEGIN",      "BETWEEN",
        "BREAK",       "BY",           "CASCADE",      "CASE",       "CHECK",
        "CLOSE",       "COLLATE",      "COLUMN",       "COMMIT",     "CONSTRAINT",
        "CONTINUE",    "CREATE",       "CROSS",        "CURRENT",    "CURSOR",
        "DATABASE",    "DEALLOCATE",   "DECLARE",      "DEFAULT",    "DELETE",
        "DENY",        "DESC",         "DISTINCT",     "DROP",       "ELSE",
        "END",         "ESCAPE",       "EXCEPT",       "EXEC",       "EXECUTE",
        "EXISTS",      "FETCH",        "FOR",          "FOREIGN",    "FROM",
        "FULL",        "FUNCTION",     "GOTO",         "GRANT",      "GROUP",
        "HAVING",      "IF",           "IN",           "INDEX",      "INNER",
        "INSERT",      "INTERSECT",    "INTO",         "IS",         "JOIN",
        "KEY",         "KILL",         "LIKE",         "MERGE",      "NOT",
        "NULL",        "OF",           "OFF",          "ON",         "OPEN",
        "OPTION",      "OR",           "ORDER",        "OUTER",      "OVER",
        "PERCENT",     "PIVOT",        "PRIMARY",      "PRINT",      "PROC",
        "PROCEDURE",   "PUBLIC",       "RAISERROR",    "REFERENCES", "RESTORE",
        "RETURN",      "REVOKE",       "ROLLBACK",     "SAVE",       "SELECT",
        "SET",         "SOME",         "TABLE",        "THEN",       "TO",
        "TOP",         "TRAN",         "TRANSACTION",  "TRIGGER",    "TRUNCATE",
        "UNION",       "UNIQUE",       "UNPIVOT",      "UPDATE",     "USE",
        "VALUES",      "VIEW",         "WHEN",         "WHERE",      "WHILE",
        "WITH",        "LEFT",         "RIGHT",        "CONVERT",    "CURRENT_TIMESTAMP",
        "SYSTEM_USER", "CURRENT_USER", "SESSION_USER", "USER",       "IDENTITY"};
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
