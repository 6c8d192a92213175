#include "simulador/motor/mensagens/tabela_de_mensagens.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server's messages numbered 1000 to 4999, in number order.
constexpr LinhaDeMensagem kMensagensDe1000A4999[] = {
    {1002, 16, 1, "Specified scale %1 is invalid."},
    {1013, 16, 1,
     "The objects \"%1\" and \"%2\" in the FROM clause have the same exposed names. Use "
     "correlation names to distinguish them."},
    {1014, 16, 1, "A TOP N or FETCH rows count value may not be negative."},
    {1038, 15, 5,
     "An object or column name is missing or empty. For SELECT INTO statements, verify each column "
     "has a name. For other statements, look for empty alias names. Aliases defined as \"\" or [] "
     "are not allowed. Change the alias to a valid name."},
    {1062, 16, 1,
     "The TOP N WITH TIES clause is not allowed without a corresponding ORDER BY clause."},
    {1086, 16, 1,
     "The FOR XML clause is invalid in views, inline functions, derived tables, and subqueries "
     "when they contain a set operator. To work around, wrap the SELECT containing a set operator "
     "using derived table syntax and apply FOR XML on top of it."},
    {1087, 15, 2, "Must declare the table variable \"%1\"."},
    {1088, 16, 12,
     "Cannot find the object \"%1\" because it does not exist or you do not have permissions."},
    {1101, 17, 2,
     "Could not allocate a new page for database '%1' because of insufficient disk space in "
     "filegroup 'PRIMARY'. Create the necessary space by dropping objects in the filegroup, adding "
     "additional files to the filegroup, or setting autogrowth on for existing files in the "
     "filegroup."},
    {1105, 17, 2,
     "Could not allocate space for object '%1' in database '%2' because the 'PRIMARY' filegroup is "
     "full. Create disk space by deleting unneeded files, dropping objects in the filegroup, "
     "adding additional files to the filegroup, or setting autogrowth on for existing files in the "
     "filegroup."},
    {1222, 16, 45, "Lock request time out period exceeded."},
    {1505, 16, 1,
     "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found for the "
     "object name 'dbo.%1' and the index name '%2'.%3"},
    {1750, 16, 0, "Could not create constraint or index. See previous errors."},
    {1754, 16, 0,
     "Defaults cannot be created on columns with an IDENTITY attribute. Table '%1', column '%2'."},
    {1755, 16, 0,
     "Defaults cannot be created on columns of data type timestamp. Table '%1', column '%2'."},
    {1759, 16, 0,
     "Computed column '%1' in table '%2' is not allowed to be used in another computed-column "
     "definition."},
    {1761, 16, 0,
     "Cannot create the foreign key \"%1\" with the SET NULL referential action, because one or "
     "more referencing columns are not nullable."},
    {1767, 16, 0, "Foreign key '%1' references invalid table '%2'."},
    {1776, 16, 0,
     "There are no primary or candidate keys in the referenced table '%1' that match the "
     "referencing column list in the foreign key '%2'."},
    {1778, 16, 0,
     "Column '%1.%2' is not the same data type as referencing column '%3.%4' in foreign key '%5'."},
    {1779, 16, 0, "Table '%1' already has a primary key defined on it."},
    {1781, 16, 0, "Column already has a DEFAULT bound to it."},
    {1785, 16, 0,
     "Introducing FOREIGN KEY constraint '%1' on table '%2' may cause cycles or multiple cascade "
     "paths. Specify ON DELETE NO ACTION or ON UPDATE NO ACTION, or modify other FOREIGN KEY "
     "constraints."},
    {1801, 16, 3, "Database '%1' already exists. Choose a different database name."},
    {1828, 16, 1, "The logical file name \"%1\" is already in use. Choose a different name."},
    {1834, 16, 1, "The file '%1' cannot be overwritten.  It is being used by database '%2'."},
    {1909, 16, 1,
     "Cannot use duplicate column names in index. Column name '%1' listed more than once."},
    {1911, 16, 1, "Column name '%1' does not exist in the target table or view."},
    {1913, 16, 1,
     "The operation failed because an index or statistics with name '%1' already exists on table "
     "'%2'."},
    {1919, 16, 1,
     "Column '%1' in table '%2' is of a type that is invalid for use as a key column in an index."},
    {2010, 16, 1, "Cannot perform alter on '%1' because it is an incompatible object type."},
    {2111, 16, 1,
     "Cannot %1 trigger '%2' on %3 '%4' because an INSTEAD OF %5 trigger already exists on this "
     "object."},
    {2113, 16, 1,
     "Cannot %1 INSTEAD OF DELETE or UPDATE TRIGGER '%2' on table '%3' because the table has a "
     "FOREIGN KEY with cascaded DELETE or UPDATE."},
    {2501, 16, 45, "Cannot find a table or object with the name \"%1\". Check the system catalog."},
    {2520, 16, 11,
     "Could not find database '%1'. The database either does not exist, or was dropped before a "
     "statement tried to use it. Verify if the database exists by querying the sys.databases "
     "catalog view."},
    {2528, 10, 1,
     "DBCC execution completed. If DBCC printed error messages, contact your system "
     "administrator."},
    {2557, 14, 1, "User '%1' does not have permission to run DBCC CHECKIDENT for object '%2'."},
    // %1: as much of the object and index as the statement knows
    {2601, 14, 1, "Cannot insert duplicate key row%1."},
    {2627, 14, 1,
     "Violation of %1 constraint '%2'. Cannot insert duplicate key in object 'dbo.%3'."},
    {2705, 16, 3,
     "Column names in each table must be unique. Column name '%1' in table '%2' is specified more "
     "than once."},
    {2714, 16, 6, "There is already an object named '%1' in the database."},
    {2715, 16, 3, "Column, parameter, or variable #%1: Cannot find data type %2."},
    {2716, 16, 1,
     "Column, parameter, or variable #1: Cannot specify a column width on data type sysname."},
    {2717, 16, 2, "The size (%1) given to the parameter '%2' exceeds the maximum allowed (4000)."},
    {2732, 16, 1,
     "Error number %1 is invalid. The number must be from 13000 through 2147483647 and it cannot "
     "be 50000."},
    {2738, 16, 2,
     "A table can only have one timestamp column. Because table '%1' already has one, the column "
     "'%2' cannot be added."},
    {2741, 16, 1, "SET DATEFORMAT date order '%1' is invalid."},
    {2742, 16, 1, "SET DATEFIRST %1 is out of range."},
    {2744, 16, 2,
     "Multiple identity columns specified for table '%1'. Only one identity column per table is "
     "allowed."},
    {2749, 16, 2,
     "Identity column '%1' must be of data type int, bigint, smallint, tinyint, or decimal or "
     "numeric with a scale of 0, and constrained to be nonnullable."},
    {2754, 16, 1,
     "Error severity levels greater than 18 can only be specified by members of the sysadmin role, "
     "using the WITH LOG option."},
    {2760, 16, 1,
     "The specified schema name \"%1\" either does not exist or you do not have permission to use "
     "it."},
    {2812, 16, 62, "Could not find stored procedure '%1'."},
    {3013, 16, 1, "%1 is terminating abnormally."},
    {3021, 16, 0, "Cannot perform a backup or restore operation within a transaction."},
    {3101, 16, 1, "Exclusive access could not be obtained because the database is in use."},
    {3108, 16, 1,
     "To restore the master database, the server must be running in single-user mode. For "
     "information on starting in single-user mode, see \"How to: Start an Instance of SQL Server "
     "(sqlservr.exe)\" in Books Online."},
    {3154, 16, 4,
     "The backup set holds a backup of a database other than the existing '%1' database."},
    {3176, 16, 1,
     "File '%1' is claimed by '%2'(%3) and '%4'(%5). The WITH MOVE clause can be used to "
     "relocate one or more files."},
    {3183, 16, 1,
     "RESTORE detected an error on page (1:%1) in database \"%2\" as read from the backup set."},
    {3189, 16, 1, "Damage to the backup set was detected."},
    {3201, 16, 2, "Cannot open backup device '%1'. Operating system error %2"},
    {3202, 16, 1, "Write on \"%1\" failed: %2"},
    {3234, 16, 2,
     "Logical file '%1' is not part of database '%2'. Use RESTORE FILELISTONLY to list the logical "
     "file names."},
    {3241, 16, 0,
     "The media family on device '%1' is incorrectly formed. SQL Server cannot process this media "
     "family."},
    {3609, 16, 1, "The transaction ended in the trigger. The batch has been aborted."},
    {3616, 16, 1,
     "An error was raised during trigger execution. The batch has been aborted and the user "
     "transaction, if any, has been rolled back."},
    {3623, 16, 1, "An invalid floating point operation occurred."},
    {3701, 11, 5,
     "Cannot drop the %1 '%2', because it does not exist or you do not have permission."},
    {3702, 16, 4, "Cannot drop database \"%1\" because it is currently in use."},
    {3708, 16, 1, "Cannot %1 the %2 '%3' because it is a system %4."},
    {3723, 16, 4,
     "An explicit DROP INDEX is not allowed on index '%1.%2'. It is being used for %3 constraint "
     "enforcement."},
    {3725, 16, 0,
     "The constraint '%1' is being referenced by table '%2', foreign key constraint '%3'."},
    {3726, 16, 1,
     "Could not drop object '%1' because it is referenced by a FOREIGN KEY constraint."},
    {3727, 16, 0, "Could not drop constraint. See previous errors."},
    {3728, 16, 1, "'%1' is not a constraint."},
    {3729, 16, 1, "Cannot %1 'dbo.%2' because it is being referenced by object '%3'."},
    {3732, 16, 1,
     "Cannot drop type '%1' because it is being referenced by object '%2'. There may be other "
     "objects that reference this type."},
    {3902, 16, 1, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {3903, 16, 1, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {3915, 16, 1, "Cannot use the ROLLBACK statement within an INSERT-EXEC statement."},
    {3930, 16, 1,
     "The current transaction cannot be committed and cannot support operations that write to the "
     "log file. Roll back the transaction."},
    {3931, 16, 1,
     "The current transaction cannot be committed and cannot be rolled back to a savepoint. Roll "
     "back the entire transaction."},
    {3998, 16, 1,
     "Uncommittable transaction is detected at the end of the batch. The transaction is rolled "
     "back."},
    {4038, 16, 1, "Cannot find file ID %1 on device '%2'."},
    {4060, 11, 1, "Cannot open database \"%1\" requested by the login. The login failed."},
    {4064, 11, 1, "Cannot open user default database. Login failed."},
    {4104, 16, 1, "The multi-part identifier \"%1\" could not be bound."},
    {4108, 16, 1, "Windowed functions can only appear in the SELECT or ORDER BY clauses."},
    {4109, 16, 1,
     "The function '%1' is not a valid windowing function, and cannot be used with the OVER "
     "clause."},
    {4121, 16, 1,
     "Cannot find either column \"%1\" or the user-defined function or aggregate \"%2\", or the "
     "name is ambiguous."},
    {4193, 16, 1,
     "'BETWEEN ... FOLLOWING AND ... PRECEDING' is not a valid window frame and cannot be used "
     "with the OVER clause."},
    {4194, 16, 1,
     "RANGE is only supported with UNBOUNDED and CURRENT ROW window frame delimiters."},
    {4403, 16, 1,
     "Cannot update the view or function '%1' because it contains aggregates, or a DISTINCT or "
     "GROUP BY clause, or PIVOT or UNPIVOT operator."},
    {4405, 16, 1,
     "View or function '%1' is not updatable because the modification affects multiple base "
     "tables."},
    {4406, 16, 1,
     "Update or insert of view or function '%1' failed because it contains a derived or constant "
     "field."},
    {4417, 16, 1,
     "Derived table '%1' is not updatable because the definition contains a UNION operator."},
    {4418, 16, 1,
     "Derived table '%1' is not updatable because it contains aggregates, or a DISTINCT or GROUP "
     "BY clause, or PIVOT or UNPIVOT operator."},
    {4420, 16, 1,
     "Derived table '%1' is not updatable because the modification affects multiple base tables."},
    {4421, 16, 1,
     "Derived table '%1' is not updatable because a column of the derived table is derived or "
     "constant."},
    {4422, 16, 1,
     "View '%1' has an INSTEAD OF UPDATE trigger and cannot be a target of an UPDATE FROM "
     "statement."},
    {4423, 16, 1,
     "View '%1' has an INSTEAD OF DELETE trigger and cannot be a target of a DELETE FROM "
     "statement."},
    {4426, 16, 1, "View '%1' is not updatable because the definition contains a UNION operator."},
    {4436, 16, 1,
     "UNION ALL view '%1' is not updatable because a partitioning column was not found."},
    {4502, 16, 1, "View or function '%1' has more column names specified than columns defined."},
    {4606, 16, 1, "Granted or revoked privilege %1 is not compatible with object."},
    {4712, 16, 1,
     "Cannot truncate table '%1' because it is being referenced by a FOREIGN KEY constraint."},
    {4901, 16, 1,
     "ALTER TABLE only allows columns to be added that can contain nulls, or have a DEFAULT "
     "definition specified, or the column being added is an identity or timestamp column, or "
     "alternatively if none of the previous conditions are satisfied the table must be empty to "
     "allow addition of this column. Column '%1' cannot be added to non-empty table '%2' because "
     "it does not satisfy these conditions."},
    {4902, 16, 1,
     "Cannot find the object \"%1\" because it does not exist or you do not have permissions."},
    {4916, 16, 0, "Could not enable or disable the constraint. See previous errors."},
    {4917, 16, 0, "Constraint '%1' does not exist."},
    {4920, 16, 1, "ALTER TABLE failed because trigger '%1' does not belong to table '%2'."},
    {4922, 16, 9, "ALTER TABLE %1 failed because one or more objects access this column."},
    {4923, 16, 1,
     "ALTER TABLE DROP COLUMN failed because '%1' is the only data column in table '%2'. A table "
     "must have at least one data column."},
    {4924, 16, 1, "%1 failed because column '%2' does not exist in table '%3'."},
    {4928, 16, 1, "Cannot alter column '%1' because it is 'timestamp'."},
};

}  // namespace

std::span<const LinhaDeMensagem> MensagensDe1000A4999() {
    return kMensagensDe1000A4999;
}

}  // namespace zolvek::simulador
