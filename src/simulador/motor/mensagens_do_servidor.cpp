#include "simulador/motor/mensagens_do_servidor.hpp"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace zolvek::simulador {

namespace {

struct MensagemDoServidor {
    int numero;
    int severidade;
    int estado;
    std::string_view texto;  // %1, %2...: the values, in order
};

// In the order of their numbers.
constexpr MensagemDoServidor kMensagens[] = {
    {207, 16, 1, "Invalid column name '%1'."},
    {218, 16, 1, "Cannot find the type '%1', because it does not exist or you do not have permission."},
    {219, 16, 1, "The type '%1' already exists, or you do not have permission to create it."},
    {271, 16, 1,
     "The column \"%1\" cannot be modified because it is either a computed column or is the "
     "result of a UNION operator."},
    {1062, 16, 1, "The TOP N WITH TIES clause is not allowed without a corresponding ORDER BY clause."},
    {1759, 16, 0,
     "Computed column '%1' in table '%2' is not allowed to be used in another computed-column "
     "definition."},
    {1761, 16, 0,
     "Cannot create the foreign key \"%1\" with the SET NULL referential action, because one or "
     "more referencing columns are not nullable."},
    {1785, 16, 0,
     "Introducing FOREIGN KEY constraint '%1' on table '%2' may cause cycles or multiple cascade "
     "paths. Specify ON DELETE NO ACTION or ON UPDATE NO ACTION, or modify other FOREIGN KEY "
     "constraints."},
    {2111, 16, 1,
     "Cannot %1 trigger '%2' on %3 '%4' because an INSTEAD OF %5 trigger already exists on this "
     "object."},
    {2113, 16, 1,
     "Cannot %1 INSTEAD OF DELETE or UPDATE TRIGGER '%2' on table '%3' because the table has a "
     "FOREIGN KEY with cascaded DELETE or UPDATE."},
    {2501, 16, 45, "Cannot find a table or object with the name \"%1\". Check the system catalog."},
    {2715, 16, 3, "Column, parameter, or variable #%1: Cannot find data type %2."},
    {3732, 16, 1,
     "Cannot drop type '%1' because it is being referenced by object '%2'. There may be other "
     "objects that reference this type."},
    {4403, 16, 1,
     "Cannot update the view or function '%1' because it contains aggregates, or a DISTINCT or "
     "GROUP BY clause, or PIVOT or UNPIVOT operator."},
    {4405, 16, 1,
     "View or function '%1' is not updatable because the modification affects multiple base "
     "tables."},
    {4406, 16, 1,
     "Update or insert of view or function '%1' failed because it contains a derived or "
     "constant field."},
    {4417, 16, 1, "Derived table '%1' is not updatable because the definition contains a UNION "
                  "operator."},
    {4418, 16, 1,
     "Derived table '%1' is not updatable because it contains aggregates, or a DISTINCT or GROUP "
     "BY clause, or PIVOT or UNPIVOT operator."},
    {4420, 16, 1,
     "Derived table '%1' is not updatable because the modification affects multiple base "
     "tables."},
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
    {4924, 16, 1, "%1 failed because column '%2' does not exist in table '%3'."},
    {7997, 16, 1, "'%1' does not contain an identity column."},
    {8197, 16, 4, "The object '%1' does not exist or is invalid for this operation."},
};

const MensagemDoServidor& Mensagem(int numero) {
    const auto* fim = std::end(kMensagens);
    const auto* m = std::lower_bound(
        std::begin(kMensagens), fim, numero,
        [](const MensagemDoServidor& x, int n) { return x.numero < n; });
    if (m == fim || m->numero != numero)
        throw std::logic_error("message " + std::to_string(numero) + " is not in the table");
    return *m;
}

}  // namespace

std::string TextoDoServidor(int numero, std::initializer_list<std::string_view> valores) {
    const std::string_view texto = Mensagem(numero).texto;
    std::string r;
    for (std::size_t k = 0; k < texto.size(); ++k) {
        const char d = k + 1 < texto.size() ? texto[k + 1] : '\0';
        if (texto[k] == '%' && d >= '1' && d <= '9') {
            const auto n = static_cast<std::size_t>(d - '1');
            if (n < valores.size()) r += *(valores.begin() + n);
            ++k;
            continue;
        }
        r += texto[k];
    }
    return r;
}

ErroDeBanco ErroDoServidor(int numero, std::initializer_list<std::string_view> valores) {
    const MensagemDoServidor& m = Mensagem(numero);
    return ErroDeBanco(TextoDoServidor(numero, valores), m.numero, m.severidade, m.estado);
}

}  // namespace zolvek::simulador
