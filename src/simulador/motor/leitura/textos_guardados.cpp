#include "simulador/motor/leitura/textos_guardados.hpp"

#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

Expr ExpressaoGuardada(const std::string& texto) {
    const auto tokens = Tokenizar(texto);
    LeitorDeExpressoes leitor(tokens, 0, tokens.size());
    Expr e = leitor.Expressao();
    leitor.ExigirFim();
    return e;
}

bool ChamaAFuncao(const std::string& texto, const std::string& nome) {
    const auto t = Tokenizar(texto);
    for (std::size_t k = 1; k + 1 < t.size(); ++k)
        if (EhNome(t[k]) && IguaisCiAs(t[k].texto, nome) && EhSimbolo(t[k - 1], ".") &&
            EhSimbolo(t[k + 1], "("))
            return true;
    return false;
}

std::vector<std::string> PartesDoNomeEscrito(const std::string& nome) {
    std::vector<std::string> partes;
    for (const auto& t : Tokenizar(nome))
        if (EhNome(t)) partes.push_back(t.texto);
    return partes;
}

std::string TrocarColuna(const std::string& texto, const std::string& antiga,
                         const std::string& nova) {
    std::string r = texto;
    const auto tokens = Tokenizar(texto);
    for (auto it = tokens.rbegin(); it != tokens.rend(); ++it)
        if (EhNome(*it) && IguaisCiAs(it->texto, antiga))
            r.replace(it->inicio, it->fim - it->inicio, "[" + nova + "]");
    return r;
}

std::vector<ParametroDeclarado> LerDeclaracoes(const std::string& texto) {
    std::vector<ParametroDeclarado> r;
    const auto tokens = Tokenizar(texto);
    std::size_t k = 0;
    while (k < tokens.size()) {
        if (tokens[k].tipo != TipoToken::Variavel)
            throw ErroDoServidor(102, {std::string("'") + tokens[k].texto + "'"});
        ParametroDeclarado p{tokens[k].texto, ""};
        std::size_t fim = ++k;
        int nivel = 0;
        while (fim < tokens.size() && !(nivel == 0 && EhSimbolo(tokens[fim], ","))) {
            if (EhSimbolo(tokens[fim], "(")) ++nivel;
            if (EhSimbolo(tokens[fim], ")")) --nivel;
            ++fim;
        }
        std::size_t ultimo = fim;
        if (ultimo > k &&
            (EhPalavra(tokens[ultimo - 1], "OUTPUT") || EhPalavra(tokens[ultimo - 1], "OUT"))) {
            --ultimo;
            p.saida = true;
        }
        if (ultimo == k) throw ErroDoServidor(102, {std::string("'") + p.nome + "'"});
        p.tipo = texto.substr(tokens[k].inicio, tokens[ultimo - 1].fim - tokens[k].inicio);
        r.push_back(std::move(p));
        k = fim + 1;
    }
    return r;
}

std::string TextoComParametros(const std::string& texto,
                               const std::vector<ParametroDeclarado>& declarados,
                               std::vector<const ParametroDeclarado*>& usos) {
    std::vector<std::pair<const Token*, const ParametroDeclarado*>> achados;
    const auto tokens = Tokenizar(texto);
    for (const auto& t : tokens) {
        if (t.tipo != TipoToken::Variavel) continue;
        for (const auto& d : declarados)
            if (IguaisCiAs(d.nome, t.texto)) achados.emplace_back(&t, &d);
    }
    std::string lote = texto;
    for (auto it = achados.rbegin(); it != achados.rend(); ++it)
        lote.replace(it->first->inicio, it->first->fim - it->first->inicio,
                     "CAST(? AS " + it->second->tipo + ")");
    usos.clear();
    for (const auto& a : achados) usos.push_back(a.second);
    return lote;
}

}  // namespace zolvek::simulador
