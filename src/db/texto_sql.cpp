#include "db/texto_sql.hpp"

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/tokens_sql.hpp"

namespace zolvek::db {

namespace {

bool CaractereDeNome(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           u >= 0x80;
}

using Token = TokenSql;
using Tipo = TipoDeToken;

bool PalavraReservada(const Token& t) {
    for (const char* p :
         {"where",     "order", "group",  "having", "option",  "for",  "union", "except",
          "intersect", "join",  "inner",  "left",   "right",   "full", "cross", "outer",
          "on",        "with",  "window", "into",   "natural", "limit"})
        if (EhPalavra(t, p)) return true;
    return false;
}

// Skips a parenthesised group starting at `i` ("(NOLOCK)"); returns the index after it.
std::size_t PularParenteses(const std::vector<Token>& t, std::size_t i) {
    int profundidade = 0;
    for (; i < t.size(); ++i) {
        if (EhSimbolo(t[i], '(')) ++profundidade;
        if (EhSimbolo(t[i], ')') && --profundidade == 0) return i + 1;
    }
    return i;
}

}  // namespace

SqlPosicional TraduzirParametros(std::string_view s) {
    SqlPosicional r;
    std::size_t i = 0;
    while (i < s.size()) {
        if (const std::size_t fim = PularTrechoEspecial(s, i); fim != i) {
            r.sql.append(s.substr(i, fim - i));
            i = fim;
            continue;
        }
        if (s[i] == ':') {
            if (i + 1 < s.size() && s[i + 1] == ':') {
                r.sql += "::";
                i += 2;
                continue;
            }
            std::size_t j = i + 1;
            while (j < s.size() && CaractereDeNome(s[j])) ++j;
            if (j > i + 1) {
                r.nomes.emplace_back(s.substr(i + 1, j - i - 1));
                r.sql += '?';
                i = j;
                continue;
            }
        }
        r.sql += s[i++];
    }
    return r;
}

std::vector<std::string> NomesDeParametros(std::string_view sql) {
    std::vector<std::string> unicos;
    for (auto& nome : TraduzirParametros(sql).nomes) {
        bool repetido = false;
        for (const auto& u : unicos) repetido = repetido || texto::IguaisSemCaixa(u, nome);
        if (!repetido) unicos.push_back(std::move(nome));
    }
    return unicos;
}

void VerificarTamanhoDoNome(std::string_view nome) {
    // Counted as the server counts sysname: in UTF-16 units.
    std::size_t unidades = 0;
    std::size_t pos = 0;
    while (pos < nome.size()) {
        char32_t c = 0;
        if (!texto::LerUtf8(nome, pos, c)) ++pos;
        unidades += c > 0xFFFF ? 2 : 1;
    }
    if (unidades > kTamanhoMaximoDeNome)
        throw ErroDeEntrada("O nome '" + std::string(nome) + "' tem " + std::to_string(unidades) +
                            " caracteres; o SQL Server aceita nomes de até " +
                            std::to_string(kTamanhoMaximoDeNome) + " caracteres");
}

std::string EntreColchetes(std::string_view nome) {
    VerificarTamanhoDoNome(nome);
    std::string r = "[";
    for (char c : nome) {
        r += c;
        if (c == ']') r += ']';
    }
    return r + "]";
}

std::string EntreApostrofos(std::string_view texto) {
    std::string r = "'";
    for (char c : texto) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r + "'";
}

std::string NomeDeObjetoComoLiteral(std::string_view nome) {
    const bool separaOuApara = nome.find_first_of(".[]\"") != std::string_view::npos ||
                               (!nome.empty() && (nome.front() == ' ' || nome.back() == ' '));
    return EntreApostrofos(separaOuApara ? EntreColchetes(nome) : std::string(nome));
}

std::string AlterarBanco(std::string_view nome, std::string_view opcao) {
    return "ALTER DATABASE " + EntreColchetes(nome) + " " + std::string(opcao);
}

std::string TabelaUnicaDoSelect(std::string_view sql) {
    const auto t = TokensSql(sql);
    std::size_t i = 0;
    int profundidade = 0;
    for (; i < t.size(); ++i) {
        if (EhSimbolo(t[i], '(')) ++profundidade;
        if (EhSimbolo(t[i], ')')) --profundidade;
        if (profundidade == 0 && EhPalavra(t[i], "from")) break;
    }
    if (i >= t.size()) return "";
    ++i;
    // The name: parts separated by dots, an empty part allowed ("banco..tabela").
    std::vector<std::string> partes;
    bool esperaParte = true;
    while (i < t.size()) {
        if (esperaParte &&
            (t[i].tipo == Tipo::Nome || (t[i].tipo == Tipo::Palavra && !PalavraReservada(t[i])))) {
            partes.push_back(t[i].texto);
            esperaParte = false;
        } else if (EhSimbolo(t[i], '.')) {
            if (esperaParte) partes.emplace_back();
            esperaParte = true;
        } else {
            break;
        }
        ++i;
    }
    if (partes.empty() || esperaParte) return "";
    // Table hints, alias, hints again.
    auto pularDicas = [&] {
        if (i < t.size() && EhSimbolo(t[i], '(')) i = PularParenteses(t, i);
        if (i + 1 < t.size() && EhPalavra(t[i], "with") && EhSimbolo(t[i + 1], '('))
            i = PularParenteses(t, i + 1);
    };
    pularDicas();
    if (i < t.size() && EhPalavra(t[i], "as")) ++i;
    if (i < t.size() &&
        (t[i].tipo == Tipo::Nome || (t[i].tipo == Tipo::Palavra && !PalavraReservada(t[i]))))
        ++i;
    pularDicas();
    // What follows must not bring in another table.
    profundidade = 0;
    for (std::size_t j = i; j < t.size(); ++j) {
        if (EhSimbolo(t[j], '(')) ++profundidade;
        if (EhSimbolo(t[j], ')')) --profundidade;
        if (profundidade != 0) continue;
        if (j == i &&
            !(EhPalavra(t[j], "where") || EhPalavra(t[j], "order") || EhPalavra(t[j], "group") ||
              EhPalavra(t[j], "having") || EhPalavra(t[j], "option") || EhPalavra(t[j], "for") ||
              EhSimbolo(t[j], ';')))
            return "";
        if (EhPalavra(t[j], "union") || EhPalavra(t[j], "except") || EhPalavra(t[j], "intersect") ||
            EhPalavra(t[j], "join") || EhPalavra(t[j], "select"))
            return "";
    }
    std::string nome;
    for (std::size_t p = 0; p < partes.size(); ++p) {
        if (p > 0) nome += '.';
        if (!partes[p].empty()) nome += EntreColchetes(partes[p]);
    }
    return nome;
}

std::vector<std::string> DividirEmLinhas(std::string_view texto) {
    std::vector<std::string> linhas;
    std::string atual;
    bool pendente = false;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const char c = texto[i];
        if (c == '\r' || c == '\n') {
            linhas.push_back(std::move(atual));
            atual.clear();
            pendente = false;
            if (c == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
        } else {
            atual += c;
            pendente = true;
        }
    }
    if (pendente) linhas.push_back(std::move(atual));
    return linhas;
}

}  // namespace zolvek::db
