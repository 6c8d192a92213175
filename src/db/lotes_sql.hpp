#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/conector.hpp"

// A SQL script split into batches at its "GO" lines, and the one runner of such
// scripts, shared by the SQL script window and `zolvek-cli sql`.
namespace zolvek::db {

// The text of a script file as UTF-8: a byte-order mark is dropped, and bytes that are
// not valid UTF-8 are read as Windows-1252 (a file saved by the Windows program).
std::string TextoDoScript(std::string bytes);

struct LoteSql {
    std::vector<std::string> linhas;
    int primeiraLinha = 1;  // 1-based number of the batch's first line in the script

    // The lines joined with line breaks, as the batch is sent.
    std::string Texto() const;
    // True when the batch holds nothing but blanks and line breaks.
    bool Vazio() const;
};

// A line that ends a batch: the word GO in any letter case, nothing else on the line
// (a blank before or after makes it an ordinary line, sent to the server).
bool EhSeparadorDeLote(std::string_view linha);

// Every GO line ends the batch collected so far. Batches with nothing but blanks (a
// GO first, two GO lines in a row, blank lines at the end) are left out: there is
// nothing in them to send.
std::vector<LoteSql> DividirEmLotes(const std::vector<std::string>& linhas);

// Executar: the batch's statements run and report rows affected. Abrir: the batch is
// opened as a query and must return a row set.
enum class ModoDoLote { Executar, Abrir };

// A batch that failed. The message is the server's; the batch has been rolled back
// (`Desfeito`) unless rolling back failed too or it ran without a transaction.
class FalhaNoLote : public ErroDeBanco {
  public:
    FalhaNoLote(const std::string& mensagem, int primeiraLinha, bool desfeito)
        : ErroDeBanco(mensagem), primeiraLinha_(primeiraLinha), desfeito_(desfeito) {}
    int PrimeiraLinha() const { return primeiraLinha_; }
    bool Desfeito() const { return desfeito_; }

  private:
    int primeiraLinha_;
    bool desfeito_;
};

// "Falha no lote iniciado na linha N; os comandos deste lote foram desfeitos" (or
// "não foram desfeitos" when it ran without a transaction or the rollback failed).
std::string TextoDaFalha(const FalhaNoLote& falha);

// Runs the batches in order. With `comTransacao` each batch runs in a transaction of
// its own, committed when the batch ends, unless the batch ended it itself (its own
// COMMIT or ROLLBACK TRANSACTION, seen by @@TRANCOUNT). A failing batch is rolled back
// so that nothing of it stays pending on the connection, and FalhaNoLote is raised;
// the batches before it stay committed and the ones after it do not run. In Abrir
// mode a batch without a row set fails with "O comando não retornou nenhum conjunto
// de registros". `aoTerminar` receives each batch's results once it is committed;
// `aoInformar`, before that or before FalhaNoLote, the batch's messages (PRINT...).
void RodarLotes(Conector& conector, const std::vector<LoteSql>& lotes, bool comTransacao,
                ModoDoLote modo,
                const std::function<void(const LoteSql&, std::vector<Resultado>&)>& aoTerminar,
                const std::function<void(std::vector<Mensagem>)>& aoInformar = {});

}  // namespace zolvek::db
