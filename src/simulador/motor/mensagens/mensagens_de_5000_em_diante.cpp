#include "simulador/motor/mensagens/tabela_de_mensagens.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server's messages numbered 5000 on, in number order.
constexpr LinhaDeMensagem kMensagensDe5000EmDiante[] = {
    {5011, 14, 5,
     "User does not have permission to alter database '%1', the database does not exist, or the "
     "database is not in a state that allows access checks."},
    {5058, 16, 1, "Option '%1' cannot be set in database '%2'."},
    {5061, 16, 1,
     "ALTER DATABASE failed because a lock could not be placed on database '%1'. Try again later."},
    {5069, 16, 1, "ALTER DATABASE statement failed."},
    {5074, 16, 1, "The %1 '%2' is dependent on column '%3'."},
    {5170, 16, 1,
     "Cannot create file '%1' because it already exists. Change the file path or the file name, "
     "and retry the operation."},
    {5324, 15, 1,
     "In a MERGE statement, a '%1' clause with a search condition cannot appear after a '%2' "
     "clause with no search condition."},
    {6102, 14, 1, "User does not have permission to use the KILL statement."},
    {6104, 16, 1, "Cannot use KILL to kill your own process."},
    {6106, 16, 2, "Process ID %1 is not an active process ID."},
    {6401, 16, 1, "Cannot roll back %1. No transaction or savepoint of that name was found."},
    {6615, 16, 1, "KILL command cannot be used inside user transactions."},
    {6819, 16, 1, "The FOR XML clause is not allowed in a %1 statement."},
    {6841, 16, 1,
     "FOR XML could not serialize the data for node '%1' because it contains a character (0x%2) "
     "which is not allowed in XML. To retrieve this data using FOR XML, convert it to binary, "
     "varbinary or image data type and use the BINARY BASE64 directive."},
    {6850, 16, 1,
     "%1 name '%2' contains an invalid XML identifier as required by FOR XML; '%3'(0x%4) is the "
     "first character at fault."},
    {6852, 16, 1,
     "Attribute-centric column '@%1' must not come after a non-attribute-centric sibling in XML "
     "hierarchy in FOR XML PATH."},
    {6861, 16, 1, "Empty root tag name can't be specified with FOR XML."},
    {6864, 16, 1,
     "Row tag omission (empty row tag name) cannot be used with attribute-centric FOR XML "
     "serialization."},
    {7119, 16, 1, "Attempting to grow LOB beyond maximum allowed size of 2147483647 bytes."},
    {7983, 14, 1, "User '%1' does not have permission to run DBCC checkdb for database '%2'."},
    {7997, 16, 1, "'%1' does not contain an identity column."},
    {8003, 16, 1,
     "The incoming request has too many parameters. The server supports a maximum of 2100 "
     "parameters. Reduce the number of parameters and resend the request."},
    {8101, 16, 1,
     "An explicit value for the identity column in table '%1' can only be specified when a column "
     "list is used and IDENTITY_INSERT is ON."},
    {8102, 16, 1, "Cannot update identity column '%1'."},
    {8106, 16, 1, "Table '%1' does not have the identity property. Cannot perform SET operation."},
    {8107, 16, 1,
     "IDENTITY_INSERT is already ON for table '%1.dbo.%2'. Cannot perform SET operation for table "
     "'%3'."},
    {8111, 16, 1, "Cannot define PRIMARY KEY constraint on nullable column in table '%1'."},
    {8114, 16, 5, "Error converting data type %1 to %2."},
    {8115, 16, 8, "Arithmetic overflow error converting %1 to data type %2."},
    {8116, 16, 1, "Argument data type %1 is invalid for argument %2 of %3 function."},
    {8117, 16, 1, "Operand data type %1 is invalid for %2 operator."},
    {8120, 16, 1,
     "Column '%1.%2' is invalid in the %3 because it is not contained in either an aggregate "
     "function or the GROUP BY clause."},
    {8134, 16, 1, "Divide by zero error encountered."},
    {8143, 16, 1, "Parameter '@%1' was supplied multiple times."},
    {8144, 16, 2, "Procedure or function %1 has too many arguments specified."},
    {8145, 16, 2, "@%1 is not a parameter for procedure %2."},
    {8147, 16, 1, "Could not create IDENTITY attribute on nullable column '%1', table '%2'."},
    {8152, 16, 14, "String or binary data would be truncated."},
    {8154, 16, 1, "The table '%1' is ambiguous."},
    {8155, 16, 2, "No column name was specified for column %1 of '%2'."},
    {8156, 16, 1, "The column '%1' was specified multiple times for '%2'."},
    {8158, 16, 1, "'%1' has more columns than were specified in the column list."},
    {8159, 16, 1, "'%1' has fewer columns than were specified in the column list."},
    {8161, 16, 1,
     "Argument %1 of the %2 function does not match any of the expressions in the GROUP BY "
     "clause."},
    {8162, 16, 2,
     "The formal parameter \"%1\" was not declared as an OUTPUT parameter, but the actual "
     "parameter passed in requested output."},
    {8164, 16, 1, "An INSERT EXEC statement cannot be nested."},
    {8167, 16, 1,
     "The type of column \"%1\" conflicts with the type of other columns specified in the UNPIVOT "
     "list."},
    {8169, 16, 2, "Conversion failed when converting from a character string to uniqueidentifier."},
    {8172, 16, 1,
     "The argument %1 of the XML data type method \"value\" must be a string literal."},
    {8178, 16, 1,
     "The parameterized query '(%1)%2' expects the parameter '%3', which was not supplied."},
    {8179, 16, 4, "Could not find prepared statement with handle %1."},
    {8197, 16, 4, "The object '%1' does not exist or is invalid for this operation."},
    {8623, 16, 1,
     "The query processor ran out of internal resources and could not produce a query plan. This "
     "is a rare event and only expected for extremely complex queries or queries that reference a "
     "very large number of tables or partitions. Please simplify the query. If you believe you "
     "have received this message in error, contact Customer Support Services for more "
     "information."},
    {8672, 16, 1,
     "The MERGE statement attempted to UPDATE or DELETE the same row more than once. This happens "
     "when a target row matches more than one source row. A MERGE statement cannot UPDATE/DELETE "
     "the same row of the target table multiple times. Refine the ON clause to ensure a target row "
     "matches at most one source row, or use the GROUP BY clause to group the source rows."},
    {8989, 16, 1, "CHECKDB found 0 allocation errors and %1 consistency errors in database '%2'."},
    {9810, 16, 10, "The datepart %1 is not supported by date function %2 for data type %3."},
    {9812, 16, 1, "The timezone provided to builtin function %1 is invalid."},
    {9818, 16, 1, "The culture parameter '%1' provided in the function call is not supported."},
    {9819, 16, 1, "Error converting string value '%1' into data type %2 using culture '%3'."},
    {10709, 16, 1,
     "The number of columns for each row in a table value constructor must be the same."},
    {10711, 15, 1,
     "An action of type '%1' is not allowed in the '%2' clause of a MERGE statement."},
    {10713, 15, 1, "A MERGE statement must be terminated by a semi-colon (;)."},
    {10714, 15, 1,
     "An action of type '%1' cannot appear more than once in a '%2' clause of a MERGE statement."},
    {10741, 15, 2, "A TOP cannot be used in the same query or sub-query as an OFFSET."},
    {10742, 15, 1, "The offset specified in an OFFSET clause may not be negative."},
    {10743, 15, 1, "The number of rows provided for an OFFSET clause must be an integer."},
    {10744, 15, 1, "The number of rows provided for a FETCH clause must be greater then zero."},
    {10752, 15, 1, "The function '%1' may not have a window frame."},
    {10756, 15, 1, "Window frame with ROWS or RANGE must have an ORDER BY clause."},
    {10757, 15, 9, "The function '%1' may not have a WITHIN GROUP clause."},
    {11415, 16, 1,
     "Object '%1' cannot be disabled or enabled. This action applies only to foreign key and check "
     "constraints."},
    {15007, 16, 1, "'%1' is not a valid login or you do not have permission."},
    {15009, 16, 1,
     "The object '%1' does not exist in database '%2' or is invalid for this operation."},
    // %1: the advice, worded differently by the procedures that raise it
    {15010, 16, 1, "The database '%1' does not exist. %2"},
    {15011, 16, 1, "Database option '%1' does not exist. Specify a valid database option."},
    {15023, 16, 1, "User, group, or role '%1' already exists in the current database."},
    {15025, 16, 2, "The server principal '%1' already exists."},
    {15063, 16, 1, "The login already has an account under a different user name."},
    {15080, 16, 1, "Cannot use parameter PASSWORD for a Windows login."},
    {15151, 16, 1,
     "Cannot %1 the %2 '%3', because it does not exist or you do not have permission."},
    {15197, 16, 1, "There is no text for object '%1'."},
    {15235, 16, 1, "Views do not have space allocated."},
    {15241, 16, 1, "Usage: sp_dboption [dbname [,optname [,'true' | 'false']]]"},
    {15242, 16, 1, "Database option '%1' is not unique."},
    {15244, 16, 1,
     "Only members of the sysadmin role or the database owner may set database options."},
    {15247, 16, 1, "User does not have permission to perform this action."},
    {15248, 11, 1,
     "Either the parameter @objname is ambiguous or the claimed @objtype (%1) is wrong."},
    {15250, 16, 1,
     "The database name component of the object qualifier must be the name of the current "
     "database."},
    {15252, 16, 1, "Must specify either a primary key table or a foreign key table."},
    {15335, 11, 1,
     "Error: The new name '%1' is already in use as a %2 name and would cause a duplicate that is "
     "not permitted."},
    {15405, 16, 1, "Cannot use the special principal 'sa'."},
    {15412, 11, 1, "'%1' is not a known fixed role."},
    {16905, 16, 1, "The cursor is already open."},
    {16911, 16, 1, "fetch: The fetch type %1 cannot be used with forward only cursors."},
    {16915, 16, 1, "A cursor with the name '%1' already exists."},
    {16916, 16, 1, "A cursor with the name '%1' does not exist."},
    {16917, 16, 2, "Cursor is not open."},
    {16924, 16, 1,
     "Cursorfetch: The number of variables declared in the INTO list must match that of selected "
     "columns."},
    {18456, 14, 1, "Login failed for user '%1'."},
    {18470, 14, 1, "Login failed for user '%1'. Reason: The account is disabled."},
};

}  // namespace

std::span<const LinhaDeMensagem> MensagensDe5000EmDiante() {
    return kMensagensDe5000EmDiante;
}

}  // namespace zolvek::simulador
