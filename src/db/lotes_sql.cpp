#include "db/lotes_sql.hpp"

#include "comum/texto.hpp"

namespace zolvek::db {

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
            lotes.push_back(std::move(atual));
            atual = LoteSql{};
            atual.primeiraLinha = static_cast<int>(i) + 2;
        } else {
            atual.linhas.push_back(linhas[i]);
        }
    }
    if (!atual.Vazio()) lotes.push_back(std::move(atual));
    return lotes;
}

}  // namespace zolvek::db
