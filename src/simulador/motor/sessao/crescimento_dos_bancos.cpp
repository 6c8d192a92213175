#include "simulador/motor/sessao/crescimento_dos_bancos.hpp"

#include <atomic>
#include <string>

#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/simulador.hpp"

namespace zolvek::simulador {

namespace {
std::atomic<int> crescimentoMaximo{0};
}  // namespace

void LimitarCrescimentoDosBancosParaTestes(int paginas) {
    crescimentoMaximo.store(paginas);
}

void LimitarCrescimento(sqlite3* db) {
    const int paginas = crescimentoMaximo.load();
    if (paginas <= 0) return;
    Instrucao tamanho(db, "PRAGMA page_count");
    tamanho.Passo();
    ExecutarSql(db, "PRAGMA max_page_count = " + std::to_string(tamanho.Inteiro(0) + paginas));
}

}  // namespace zolvek::simulador
