#include "db/lotes_sql.hpp"

#include <algorithm>
#include <utility>

#include "comum/texto.hpp"
#include "db/conector/valor.hpp"

namespace zolvek::db {

namespace {

// The server's count of open transactions on the connection.
std::int64_t ContadorDeTransacoes(Conector& conector) {
    const auto resultados = conector.Executar("select @@TRANCOUNT", {}, 0);
    for (const auto& r : resultados)
        if (!r.colunas.empty() && !r.linhas.empty() && !r.linhas[0].empty())
            return ValorComoInteiro(r.linhas[0][0]);
    return 0;
}

// Commits the batch's transaction, unless the batch already ended it: then there is
// nothing left to commit, and only the connection's own transaction mode is ended.
void ConfirmarLote(Conector& conector) {
    if (!conector.EmTransacao()) return;
    if (ContadorDeTransacoes(conector) > 0)
        conector.Confirmar();
    else
        conector.Desfazer();
}

// Leaves nothing of a failing batch pending; false when that could not be done.
bool DesfazerLote(Conector& conector) noexcept {
    try {
        if (conector.EmTransacao()) conector.Desfazer();
        return true;
    } catch (...) {
        return false;
    }
}

std::vector<Resultado> RodarLote(Conector& conector, const LoteSql& lote, ModoDoLote modo,
                                 const std::function<void()>& informar) {
    auto resultados = conector.Executar(lote.Texto(), {}, 0);
    informar();
    if (modo == ModoDoLote::Abrir &&
        std::none_of(resultados.begin(), resultados.end(),
                     [](const Resultado& r) { return !r.colunas.empty(); }))
        throw ErroDeBanco("O comando não retornou nenhum conjunto de registros");
    return resultados;
}

bool Utf8Valido(std::string_view s) {
    std::size_t pos = 0;
    char32_t c = 0;
    while (pos < s.size())
        if (!texto::LerUtf8(s, pos, c)) return false;
    return true;
}

}  // namespace

std::string TextoDoScript(std::string bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return Utf8Valido(bytes) ? bytes : texto::DeWindows1252(bytes);
}

std::string LoteSql::Texto() const {
    return texto::Juntar(linhas, "\n");
}

bool LoteSql::Vazio() const {
    for (const auto& linha : linhas)
        if (!texto::Aparar(linha).empty()) return false;
    return true;
}

bool EhSeparadorDeLote(std::string_view linha) {
    return linha.size() == 2 && (linha[0] == 'G' || linha[0] == 'g') &&
           (linha[1] == 'O' || linha[1] == 'o');
}

std::vector<LoteSql> DividirEmLotes(const std::vector<std::string>& linhas) {
    std::vector<LoteSql> lotes;
    LoteSql atual;
    for (std::size_t i = 0; i < linhas.size(); ++i) {
        if (EhSeparadorDeLote(linhas[i])) {
            if (!atual.Vazio()) lotes.push_back(std::move(atual));
            atual = LoteSql{};
            atual.primeiraLinha = static_cast<int>(i) + 2;
        } else {
            atual.linhas.push_back(linhas[i]);
        }
    }
    if (!atual.Vazio()) lotes.push_back(std::move(atual));
    return lotes;
}

std::string TextoDaFalha(const FalhaNoLote& falha) {
    return "Falha no lote iniciado na linha " + std::to_string(falha.PrimeiraLinha()) +
           (falha.Desfeito() ? "; os comandos deste lote foram desfeitos"
                             : "; os comandos deste lote não foram desfeitos");
}

void RodarLotes(Conector& conector, const std::vector<LoteSql>& lotes, bool comTransacao,
                ModoDoLote modo,
                const std::function<void(const LoteSql&, std::vector<Resultado>&)>& aoTerminar,
                const std::function<void(std::vector<Mensagem>)>& aoInformar) {
    for (const auto& lote : lotes) {
        std::vector<Resultado> resultados;
        bool informado = false;
        auto informar = [&] {  // before anything else runs on the connection
            if (aoInformar && !std::exchange(informado, true))
                aoInformar(conector.TomarMensagens());
        };
        try {
            if (comTransacao) conector.IniciarTransacao();
            resultados = RodarLote(conector, lote, modo, informar);
            if (comTransacao) ConfirmarLote(conector);
        } catch (const Erro& e) {
            informar();
            const bool desfeito = comTransacao && DesfazerLote(conector);
            throw FalhaNoLote(e.what(), lote.primeiraLinha, desfeito);
        }
        if (aoTerminar) aoTerminar(lote, resultados);
    }
}

}  // namespace zolvek::db
