// The alias types' rows of systypes (and so of sys.types): each with its system type's
// numbers, its own name and user type id, dbo's uid and its nullability.

#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/tipos/registro_dos_tipos.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

void AtualizarTiposDoUsuario(sqlite3* db, const std::vector<TipoDoUsuario>& tipos) {
    {
        // made with the catalog views, the first time a statement reads one
        Instrucao q(db, "SELECT 1 FROM sqlite_temp_master WHERE name = 'zv_systypes'");
        if (!q.Passo()) return;
    }
    ExecutarSql(db, "DELETE FROM temp.zv_systypes WHERE xusertype >= 257");
    Instrucao ins(
        db, "INSERT INTO temp.zv_systypes VALUES (?,?,0,?,?,?,?,0,0,1,0,0,?,?,?,?,NULL,?,?,?)");
    for (const auto& u : tipos) {
        sqlite3_reset(ins.Bruta());
        const TipoSql& t = u.tipo;
        const TipoDoServidor& r = TipoDoServidorDe(t.base);
        const int x = r.xtype;
        ins.Ligar(1, u.nome).Ligar(2, x).Ligar(3, u.id).Ligar(4, ComprimentoEmBytes(t));
        ins.Ligar(5, PrecisaoNumerica(t).value_or(0)).Ligar(6, EscalaNumerica(t).value_or(0));
        ins.Ligar(7, u.id).Ligar(8, r.variavel ? 1 : 0).Ligar(9, u.anulavel ? 1 : 0).Ligar(10, x);
        ins.Ligar(11, PrecisaoDoCatalogo(t)).Ligar(12, EscalaDoCatalogo(t));
        if (r.comColacao)
            ins.Ligar(13, std::string("Latin1_General_CI_AS"));
        else
            ins.LigarNulo(13);
        ins.Executar();
    }
}

}  // namespace zolvek::simulador
