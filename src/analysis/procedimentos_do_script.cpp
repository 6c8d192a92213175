#include "analysis/procedimentos_do_script.hpp"

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/lotes_sql.hpp"
#include "versioning/objetos_programados.hpp"

namespace zolvek::analysis {

namespace {

char MinusculaAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IniciaSemCaixa(std::string_view texto, std::size_t pos, std::string_view procurado) {
    if (texto.size() - pos < procurado.size()) return false;
    for (std::size_t i = 0; i < procurado.size(); ++i)
        if (MinusculaAscii(texto[pos + i]) != MinusculaAscii(procurado[i])) return false;
    return true;
}

// Runs one batch; a server error becomes a row of the error list.
void ExecutarLote(db::Conexao& conexao, const std::string& lote, const char* funcao,
                  const AdicionarErroDoLote& adicionarErro) {
    try {
        versionamento::ExecutarTexto(conexao, lote);
    } catch (const ErroDeBanco& e) {
        adicionarErro({"", "", funcao, e.what(), lote});
    }
}

}  // namespace

std::vector<std::string> LotesDoScript(const std::vector<std::string>& linhas) {
    std::vector<std::string> lotes;
    for (const auto& lote : db::DividirEmLotes(linhas))
        if (!lote.Vazio()) lotes.push_back(lote.Texto());
    return lotes;
}

std::string SemPrefixoTabelasZAV(std::string_view lote) {
    static constexpr std::string_view kPrefixo = "TabelasZAV..";
    std::string saida;
    saida.reserve(lote.size());
    for (std::size_t pos = 0; pos < lote.size();) {
        if (IniciaSemCaixa(lote, pos, kPrefixo)) {
            pos += kPrefixo.size();
        } else {
            saida += lote[pos++];
        }
    }
    return saida;
}

void RemoverProcedimentosDoScript(db::Conexao& conexao, const std::vector<std::string>& linhas,
                                  const AdicionarErroDoLote& adicionarErro) {
    for (const auto& lote : LotesDoScript(linhas))
        if (texto::Maiusculas(lote).find("IF EXISTS (SELECT") != std::string::npos)
            ExecutarLote(conexao, lote, "Remover procedimento", adicionarErro);
}

void CriarProcedimentosDoScript(db::Conexao& conexao, const std::vector<std::string>& linhas,
                                const AdicionarErroDoLote& adicionarErro) {
    for (const auto& lote : LotesDoScript(linhas))
        ExecutarLote(conexao, SemPrefixoTabelasZAV(lote), "Criar procedimento", adicionarErro);
}

}  // namespace zolvek::analysis
