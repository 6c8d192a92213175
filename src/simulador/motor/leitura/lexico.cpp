#include "simulador/motor/leitura/lexico.hpp"

#include <cctype>

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

[[noreturn]] void FalharNoNulo(std::string_view sql, std::size_t posicao);

bool Letra(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool Digito(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Any byte past ASCII belongs to a name (the letters of UTF-8 text).
bool InicioDeNome(unsigned char c) {
    return Letra(c) || c == '_' || c == '#' || c >= 0x80;
}

bool ParteDeNome(unsigned char c) {
    return Letra(c) || Digito(c) || c == '_' || c == '#' || c == '$' || c == '@' || c >= 0x80;
}

// Reads a quoted text or name from just after its opening `fecho`, a doubled `fecho`
// standing for one; returns the position past the closing one. A NUL fails only where
// `nuloFalha` (names).
std::size_t LerEntre(std::string_view sql, std::size_t i, char fecho, bool nuloFalha,
                     std::string& texto) {
    const std::size_t n = sql.size();
    for (;;) {
        std::size_t fim = sql.find(fecho, i);
        const std::size_t ate = fim == std::string_view::npos ? n : fim;
        if (nuloFalha) {
            const std::size_t nulo = sql.substr(0, ate).find('\0', i);
            if (nulo != std::string_view::npos) {
                texto.append(sql.substr(i, nulo - i));
                FalharNoNulo(sql, nulo);
            }
        }
        texto.append(sql.substr(i, ate - i));
        if (fim == std::string_view::npos) throw ErroDoServidor(105, {texto});
        if (fim + 1 < n && sql[fim + 1] == fecho) {
            texto += fecho;
            i = fim + 2;
            continue;
        }
        return fim + 1;
    }
}

// A NUL is no character of T-SQL outside a literal: the batch fails near what follows
// it, and nothing after it may be dropped silently (SQLite would stop reading there).
[[noreturn]] void FalharNoNulo(std::string_view sql, std::size_t posicao) {
    std::string resto(sql.substr(posicao + 1));
    for (char& c : resto)
        if (c == '\0') c = ' ';
    std::string perto;
    try {
        auto seguintes = Tokenizar(resto);
        if (!seguintes.empty()) perto = seguintes.front().texto;
    } catch (const ErroDeBanco&) {
        perto = resto.substr(0, resto.find_first_of(" \t\r\n"));
    }
    if (perto.empty()) throw ErroDoServidor(102, {"the end of the batch"});
    throw ErroDoServidor(102, {std::string("'") + perto + "'"});
}

// SQL Server's names (and variables) hold at most 128 characters.
constexpr std::size_t kMaiorNome = 128;

// A name's first `n` characters (UTF-8 letters are one character each); all of it when
// shorter.
std::string_view Inicio(std::string_view nome, std::size_t n) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < nome.size(); ++i)
        if ((static_cast<unsigned char>(nome[i]) & 0xC0) != 0x80 && caracteres++ == n)
            return nome.substr(0, i);
    return nome;
}

void ExigirNomeCurto(const Token& t) {
    if (t.texto.size() <= kMaiorNome || Inicio(t.texto, kMaiorNome).size() == t.texto.size())
        return;
    throw ErroDoServidor(103, {std::string(Inicio(t.texto, kMaiorNome))});
}

}  // namespace

std::vector<Token> Tokenizar(std::string_view sql) {
    std::vector<Token> tokens;
    Tokenizar(sql, tokens);
    return tokens;
}

namespace {

// Skips a /* */ comment, nested ones inside it, from `i`; returns the position past it.
std::size_t PularComentarioDeBloco(std::string_view sql, std::size_t i) {
    const std::size_t n = sql.size();
    std::size_t inicio = i;
    int nivel = 0;
    do {
        if (i + 1 < n && sql[i] == '/' && sql[i + 1] == '*') {
            ++nivel;
            i += 2;
        } else if (i + 1 < n && sql[i] == '*' && sql[i + 1] == '/') {
            --nivel;
            i += 2;
        } else {
            ++i;
        }
    } while (nivel > 0 && i < n);
    if (nivel > 0) throw ErroDoServidor(113);
    (void)inicio;
    return i;
}

// Whitespace and comments are no tokens: the position past the one at `i`, or `i` itself
// when none starts there.
std::size_t PularSeparador(std::string_view sql, std::size_t i) {
    const std::size_t n = sql.size();
    unsigned char c = static_cast<unsigned char>(sql[i]);
    // ASCII blanks are the same in every locale: the library is asked only past ASCII
    if (c == ' ' || (c >= '\t' && c <= '\r') || (c >= 0x80 && std::isspace(c))) return i + 1;
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
        while (i < n && sql[i] != '\n') ++i;
        return i;
    }
    if (c == '/' && i + 1 < n && sql[i + 1] == '*') return PularComentarioDeBloco(sql, i);
    return i;
}

// A text ('...', N'...') or a name in double quotes, from its first character `c` at `i`.
std::size_t LerTextoEntreAspas(std::string_view sql, std::size_t i, unsigned char c, Token& t) {
    char fecho = '\'';
    if (c == '"') {
        t.tipo = TipoToken::Aspas;
        fecho = '"';
    } else if (c == '\'') {
        t.tipo = TipoToken::Texto;
    } else {
        t.tipo = TipoToken::TextoN;
        ++i;
    }
    return LerEntre(sql, i + 1, fecho, t.tipo == TipoToken::Aspas, t.texto);
}

// A number: digits with a point, and an exponent when digits follow the e.
std::size_t LerNumeroEm(std::string_view sql, std::size_t i, Token& t) {
    const std::size_t n = sql.size();
    t.tipo = TipoToken::Numero;
    while (i < n && (Digito(static_cast<unsigned char>(sql[i])) || sql[i] == '.')) ++i;
    if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (sql[j] == '+' || sql[j] == '-')) ++j;
        if (j < n && Digito(static_cast<unsigned char>(sql[j]))) {
            i = j;
            while (i < n && Digito(static_cast<unsigned char>(sql[i]))) ++i;
        }
    }
    t.texto.assign(sql.substr(t.inicio, i - t.inicio));
    return i;
}

// A symbol of one character, or of the two of an operator such as <> or +=.
std::size_t LerSimboloEm(std::string_view sql, std::size_t i, Token& t) {
    const std::size_t n = sql.size();
    t.tipo = TipoToken::Simbolo;
    static const char* duplos[] = {"<>", "!=", ">=", "<=", "!<", "!>",
                                   "||", "::", "+=", "-=", "*=", "/="};
    std::size_t tamanho = 1;
    // only these end a two-character symbol
    const char depois = i + 1 < n ? sql[i + 1] : '\0';
    if (depois == '=' || depois == '<' || depois == '>' || depois == '|' || depois == ':')
        for (const char* d : duplos)
            if (sql[i] == d[0] && depois == d[1]) tamanho = 2;
    // Anything else stands for itself: procedure bodies are stored, not parsed, and
    // a statement that uses such a character fails in the parser.
    t.texto.assign(sql.substr(i, tamanho));
    return i + tamanho;
}

// Reads the token that starts at `i` into `t`; returns the position past it.
std::size_t LerTokenEm(std::string_view sql, std::size_t i, Token& t) {
    const std::size_t n = sql.size();
    unsigned char c = static_cast<unsigned char>(sql[i]);
    if (c == '[') {
        t.tipo = TipoToken::Colchete;
        return LerEntre(sql, i + 1, ']', true, t.texto);
    }
    if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && sql[i + 1] == '\'') || c == '"')
        return LerTextoEntreAspas(sql, i, c, t);
    if (c == '0' && i + 1 < n && (sql[i + 1] == 'x' || sql[i + 1] == 'X')) {
        t.tipo = TipoToken::Binario;
        i += 2;
        while (i < n && std::isxdigit(static_cast<unsigned char>(sql[i]))) ++i;
        t.texto.assign(sql.substr(t.inicio, i - t.inicio));
        return i;
    }
    if (c == '$' && i + 1 < n &&
        (Digito(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '.' || sql[i + 1] == '-' ||
         sql[i + 1] == '+')) {
        // a money constant: $12.34, $-5; texto keeps the $
        t.tipo = TipoToken::Numero;
        ++i;
        if (sql[i] == '-' || sql[i] == '+') ++i;
        while (i < n && (Digito(static_cast<unsigned char>(sql[i])) || sql[i] == '.')) ++i;
        t.texto.assign(sql.substr(t.inicio, i - t.inicio));
        return i;
    }
    if (Digito(c) || (c == '.' && i + 1 < n && Digito(static_cast<unsigned char>(sql[i + 1]))))
        return LerNumeroEm(sql, i, t);
    if (c == '@') {
        t.tipo = TipoToken::Variavel;
        ++i;
        while (i < n && ParteDeNome(static_cast<unsigned char>(sql[i]))) ++i;
        t.texto.assign(sql.substr(t.inicio, i - t.inicio));
        return i;
    }
    if (c == '?') {
        t.tipo = TipoToken::Parametro;
        t.texto = "?";
        return i + 1;
    }
    if (InicioDeNome(c)) {
        t.tipo = TipoToken::Palavra;
        while (i < n && ParteDeNome(static_cast<unsigned char>(sql[i]))) ++i;
        t.texto.assign(sql.substr(t.inicio, i - t.inicio));
        return i;
    }
    return LerSimboloEm(sql, i, t);
}

}  // namespace

void Tokenizar(std::string_view sql, std::vector<Token>& tokens) {
    tokens.clear();
    // a long batch would otherwise move its tokens often (a row of VALUES has a token
    // every three characters or so)
    tokens.reserve(sql.size() / 2 + 16);
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(sql[i]);
        if (c == 0) FalharNoNulo(sql, i);
        if (const std::size_t depois = PularSeparador(sql, i); depois != i) {
            i = depois;
            continue;
        }
        // made in place: a long batch has hundreds of thousands of them
        Token& t = tokens.emplace_back();
        t.inicio = i;
        i = LerTokenEm(sql, i, t);
        t.fim = i;
        if (t.tipo == TipoToken::Palavra || t.tipo == TipoToken::Colchete ||
            t.tipo == TipoToken::Aspas || t.tipo == TipoToken::Variavel)
            ExigirNomeCurto(t);
    }
}

std::vector<std::string> DividirLotes(std::string_view sql) {
    std::vector<std::string> lotes;
    std::string atual;
    std::size_t i = 0;
    while (i <= sql.size()) {
        std::size_t fim = sql.find('\n', i);
        if (fim == std::string_view::npos) fim = sql.size();
        std::string_view linha = sql.substr(i, fim - i);
        std::size_t a = 0, b = linha.size();
        while (a < b && std::isspace(static_cast<unsigned char>(linha[a]))) ++a;
        while (b > a && std::isspace(static_cast<unsigned char>(linha[b - 1]))) --b;
        std::string_view nucleo = linha.substr(a, b - a);
        if (nucleo.size() == 2 && (nucleo[0] == 'G' || nucleo[0] == 'g') &&
            (nucleo[1] == 'O' || nucleo[1] == 'o')) {
            lotes.push_back(std::move(atual));
            atual.clear();
        } else {
            atual.append(linha);
            if (fim < sql.size()) atual += '\n';
        }
        i = fim + 1;
    }
    lotes.push_back(std::move(atual));
    std::vector<std::string> naoVazios;
    for (auto& l : lotes) {
        bool vazio = true;
        for (char c : l)
            if (!std::isspace(static_cast<unsigned char>(c))) vazio = false;
        if (!vazio) naoVazios.push_back(std::move(l));
    }
    return naoVazios;
}

bool EhPalavra(const Token& t, std::string_view palavra) {
    if (t.tipo != TipoToken::Palavra || t.texto.size() != palavra.size()) return false;
    // keywords are ASCII: only its letters fold
    auto maiuscula = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (std::size_t i = 0; i < palavra.size(); ++i)
        if (maiuscula(t.texto[i]) != maiuscula(palavra[i])) return false;
    return true;
}

bool EhNome(const Token& t) {
    return t.tipo == TipoToken::Palavra || t.tipo == TipoToken::Colchete ||
           t.tipo == TipoToken::Aspas;
}

std::string ComoIdentificador(std::string_view nome) {
    std::string s = "\"";
    for (char c : nome) {
        if (c == '"') s += '"';
        s += c;
    }
    return s + "\"";
}

std::string ComoTexto(std::string_view valor) {
    // SQLite reads a literal only up to a NUL: such a text goes as its bytes.
    if (valor.find('\0') != std::string_view::npos) {
        static const char* const kHex = "0123456789ABCDEF";
        std::string s = "CAST(X'";
        for (unsigned char c : valor) {
            s += kHex[c >> 4];
            s += kHex[c & 15];
        }
        return s + "' AS TEXT)";
    }
    std::string s;
    s.reserve(valor.size() + 2);
    s += '\'';
    for (std::size_t i = 0;;) {
        const std::size_t aspa = valor.find('\'', i);
        if (aspa == std::string_view::npos) {
            s.append(valor.substr(i));
            break;
        }
        s.append(valor.substr(i, aspa + 1 - i));
        s += '\'';
        i = aspa + 1;
    }
    s += '\'';
    return s;
}

std::vector<int> NumerarParametros(const std::vector<Token>& tokens) {
    std::vector<int> r(tokens.size(), -1);
    int n = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k)
        if (tokens[k].tipo == TipoToken::Parametro) r[k] = ++n;
    return r;
}

}  // namespace zolvek::simulador
