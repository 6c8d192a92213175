#include "simulador/motor/mensagens/tabela_de_mensagens.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server's messages numbered 1 to 999, in number order.
constexpr LinhaDeMensagem kMensagensAte999[] = {
    // %1: a token in quotes, or 'the end of the batch'
    {102, 15, 1, "Incorrect syntax near %1."},
    {103, 15, 4, "The identifier that starts with '%1' is too long. Maximum length is 128."},
    {104, 16, 1,
     "ORDER BY items must appear in the select list if the statement contains a UNION, "
     "INTERSECT or EXCEPT operator."},
    {105, 15, 1, "Unclosed quotation mark after the character string '%1'."},
    {108, 16, 1,
     "The ORDER BY position number %1 is out of range of the number of items in the select list."},
    {109, 15, 1,
     "There are more columns in the INSERT statement than values specified in the VALUES clause. "
     "The number of values in the VALUES clause must match the number of columns specified in the "
     "INSERT statement."},
    {110, 15, 1,
     "There are fewer columns in the INSERT statement than values specified in the VALUES clause. "
     "The number of values in the VALUES clause must match the number of columns specified in the "
     "INSERT statement."},
    {111, 15, 1, "'%1' must be the first statement in a query batch."},
    {113, 15, 1, "Missing end comment mark '*/'."},
    {116, 16, 1,
     "Only one expression can be specified in the select list when the subquery is not introduced "
     "with EXISTS."},
    {119, 15, 1,
     "Must pass parameter number %1 and subsequent parameters as '@name = value'. After the form "
     "'@name = value' has been used, all subsequent parameters must be passed in the form '@name = "
     "value'."},
    {120, 15, 1,
     "The select list for the INSERT statement contains fewer items than the insert list. The "
     "number of SELECT values must match the number of INSERT columns."},
    {121, 15, 1,
     "The select list for the INSERT statement contains more items than the insert list. The "
     "number of SELECT values must match the number of INSERT columns."},
    {127, 15, 1, "A TOP N value may not be negative."},
    {130, 16, 1,
     "Cannot perform an aggregate function on an expression containing an aggregate or a "
     "subquery."},
    {131, 15, 2,
     "The size (%1) given to the type '%2' exceeds the maximum allowed for any data type (8000)."},
    {132, 15, 1,
     "The label '%1' has already been declared. Label names must be unique within a query batch or "
     "stored procedure."},
    {133, 15, 1, "A GOTO statement references the label '%1' but the label has not been declared."},
    {134, 15, 1,
     "The variable name '%1' has already been declared. Variable names must be unique within a "
     "query batch or stored procedure."},
    {137, 15, 2, "Must declare the scalar variable \"%1\"."},
    {141, 15, 1,
     "A SELECT statement that assigns a value to a variable must not be combined with "
     "data-retrieval operations."},
    {144, 15, 1,
     "Cannot use an aggregate or a subquery in an expression used for the group by list of a GROUP "
     "BY clause."},
    {145, 15, 1, "ORDER BY items must appear in the select list if SELECT DISTINCT is specified."},
    {147, 15, 1,
     "An aggregate may not appear in the WHERE clause unless it is in a subquery contained in a "
     "HAVING clause or a select list, and the column being aggregated is an outer reference."},
    {148, 15, 1, "Incorrect time syntax in time string '%1' used with WAITFOR."},
    {154, 15, 1, "a USE database statement is not allowed in a procedure, function or trigger."},
    {155, 15, 1, "'%1' is not a recognized %2 option."},
    {156, 15, 1, "Incorrect syntax near the keyword '%1'."},
    {164, 15, 1,
     "Each GROUP BY expression must contain at least one column that is not an outer reference."},
    {168, 15, 1,
     "The floating point value '%1' is out of the range of computer representation (%2 bytes)."},
    {174, 15, 1, "The %1 function requires %2 argument(s)."},
    {178, 15, 1, "A RETURN statement with a return value cannot be used in this context."},
    {179, 15, 1, "Cannot use the OUTPUT option when passing a constant to a stored procedure."},
    {183, 15, 1, "The scale (%1) for column '%2' must be within the range %3 to %4."},
    {189, 15, 1, "The %1 function requires %2 to %3 arguments."},
    {191, 15, 1,
     "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up into "
     "smaller queries."},
    {195, 15, 10, "'%1' is not a recognized %2."},
    {196, 15, 1,
     "SELECT INTO must be the first query in a statement containing a UNION, INTERSECT or EXCEPT "
     "operator."},
    {201, 16, 4, "Procedure or function '%1' expects parameter '%2', which was not supplied."},
    {205, 16, 1,
     "All queries combined using a UNION, INTERSECT or EXCEPT operator must have an equal number "
     "of expressions in their target lists."},
    {207, 16, 1, "Invalid column name '%1'."},
    {208, 16, 1, "Invalid object name '%1'."},
    {209, 16, 1, "Ambiguous column name '%1'."},
    // %1: "Insert Error: " where the INSERT names its columns
    {213, 16, 1, "%1Column name or number of supplied values does not match table definition."},
    {214, 16, 1, "Procedure expects parameter '%1' of type 'ntext/nchar/nvarchar'."},
    {217, 16, 1,
     "Maximum stored procedure, function, trigger, or view nesting level exceeded (limit 32)."},
    {218, 16, 1,
     "Cannot find the type '%1', because it does not exist or you do not have permission."},
    {219, 16, 1, "The type '%1' already exists, or you do not have permission to create it."},
    {226, 16, 6, "%1 statement not allowed within multi-statement transaction."},
    {229, 14, 5, "The %1 permission was denied on the object '%2', database '%3', schema 'dbo'."},
    {235, 16, 0, "Cannot convert a char value to money. The char value has incorrect syntax."},
    {241, 16, 1, "Conversion failed when converting date and/or time from character string."},
    {242, 16, 3,
     "The conversion of a %1 data type to a %2 data type resulted in an out-of-range value."},
    {243, 16, 2, "Type %1 is not a defined system type."},
    {245, 16, 1, "Conversion failed when converting the %1 value '%2' to data type %3."},
    {258, 15, 1, "Cannot call methods on nvarchar(max)."},
    {262, 14, 1, "%1 permission denied in database '%2'."},
    {263, 16, 1, "Must specify table to select from."},
    {266, 16, 2,
     "Transaction count after EXECUTE indicates a mismatching number of BEGIN and COMMIT "
     "statements. Previous count = %1, current count = %2."},
    {271, 16, 1,
     "The column \"%1\" cannot be modified because it is either a computed column or is the result "
     "of a UNION operator."},
    {272, 16, 1, "Cannot update a timestamp column."},
    {273, 16, 1,
     "Cannot insert an explicit value into a timestamp column. Use INSERT with a column list to "
     "exclude the timestamp column, or insert a DEFAULT into the timestamp column."},
    {281, 16, 1, "%1 is not a valid style number when converting %2."},
    {289, 16, 1,
     "Cannot construct data type %1, some of the arguments have values which are not valid."},
    {295, 16, 3, "Conversion failed when converting character string to smalldatetime data type."},
    {298, 16, 1,
     "The conversion from datetime data type to smalldatetime data type resulted in a "
     "smalldatetime overflow error."},
    {313, 16, 3,
     "An insufficient number of arguments were supplied for the procedure or function %1."},
    {331, 16, 1,
     "The target table '%1' of the OUTPUT INTO clause cannot have any enabled triggers."},
    {332, 16, 1,
     "The target table '%1' of the OUTPUT INTO clause cannot be on either side of a (primary key, "
     "foreign key) relationship. Found reference constraint '%2'."},
    {333, 16, 1,
     "The target table '%1' of the OUTPUT INTO clause cannot have any enabled check constraints or "
     "any enabled rules. Found check constraint or rule '%2'."},
    {334, 16, 1,
     "The target table '%1' of the DML statement cannot have any enabled triggers if the statement "
     "contains an OUTPUT clause without INTO clause."},
    {402, 16, 1, "The data types %1 and %2 are incompatible in the %3 operator."},
    {408, 16, 1, "A constant expression was encountered in the ORDER BY list, position %1."},
    {443, 16, 15, "Invalid use of a side-effecting operator '%1' within a function."},
    {444, 16, 2, "Select statements included within a function cannot return data to a client."},
    {455, 16, 2, "The last statement included within a function must be a return statement."},
    {512, 16, 1,
     "Subquery returned more than 1 value. This is not permitted when the subquery follows =, !=, "
     "<, <= , >, >= or when the subquery is used as an expression."},
    {515, 16, 2,
     "Cannot insert the value NULL into column '%1', table '%2'; column does not allow nulls. %3 "
     "fails."},
    {517, 16, 1, "Adding a value to a '%1' column caused an overflow."},
    {529, 16, 2, "Explicit conversion from data type %1 to %2 is not allowed."},
    {535, 16, 0,
     "The datediff function resulted in an overflow. The number of dateparts separating two "
     "date/time instances is too large. Try to use datediff with a less precise datepart."},
    {537, 16, 3, "Invalid length parameter passed to the %1 function."},
    {544, 16, 1,
     "Cannot insert explicit value for identity column in table '%1' when IDENTITY_INSERT is set "
     "to OFF."},
    {545, 16, 1,
     "Explicit value must be specified for identity column in table '%1' either when "
     "IDENTITY_INSERT is set to ON or when a replication user is inserting into a NOT FOR "
     "REPLICATION identity column."},
    {547, 16, 0,
     "The %1 statement conflicted with the %2 constraint \"%3\". The conflict occurred in database "
     "\"%4\", table \"dbo.%5\"%6."},
    {557, 16, 2,
     "Only functions and some extended stored procedures can be executed from within a function."},
    {574, 16, 0, "DROP DATABASE statement cannot be used inside a user transaction."},
    {596, 21, 1, "Cannot continue the execution because the session is in the kill state."},
    {628, 16, 1, "Cannot issue SAVE TRANSACTION when there is no active transaction."},
    {701, 17, 123,
     "There is insufficient system memory in resource pool 'default' to run this query."},
    {911, 16, 1, "Database '%1' does not exist. Make sure that the name is entered correctly."},
    {916, 14, 1,
     "The server principal \"%1\" is not able to access the database \"%2\" under the current "
     "security context."},
    {924, 14, 1, "Database '%1' is already open and can only have one user at a time."},
    {927, 14, 2, "Database '%1' cannot be opened. It is in the middle of a restore."},
};

}  // namespace

std::span<const LinhaDeMensagem> MensagensAte999() {
    return kMensagensAte999;
}

}  // namespace zolvek::simulador
