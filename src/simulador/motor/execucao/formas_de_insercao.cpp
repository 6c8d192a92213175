#include "simulador/motor/execucao/formas_de_insercao.hpp"

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/leitura/chave_da_forma.hpp"

namespace zolvek::simulador {

namespace {

// The value a form binds for a value of VALUES: a text, a short integer or one with a
// minus sign before it; none for anything else.
std::optional<db::Valor> ValorDaForma(const instrucao::ValorDaInsercao& v) {
    using Forma = instrucao::ValorDaInsercao::Forma;
    if (v.forma == Forma::Texto && v.literal.find('\0') == std::string::npos) return v.literal;
    if (v.forma == Forma::Inteiro && DigitosCurtos(v.literal))
        return static_cast<std::int64_t>(std::strtoll(v.literal.c_str(), nullptr, 10));
    if (v.forma != Forma::Expressao || !v.expressao->arvore) return std::nullopt;
    const auto* u = std::get_if<Unaria>(&v.expressao->arvore->no);
    const auto* l = u && u->operador == "-" ? std::get_if<Literal>(&u->operando->no) : nullptr;
    if (!l || l->tipo != Literal::Tipo::Numero || l->moeda || !DigitosCurtos(l->texto))
        return std::nullopt;
    return -static_cast<std::int64_t>(std::strtoll(l->texto.c_str(), nullptr, 10));
}

bool NuloOuPadrao(const instrucao::ValorDaInsercao& v) {
    if (v.forma == instrucao::ValorDaInsercao::Forma::Padrao) return true;
    const Expressao* e = v.forma == instrucao::ValorDaInsercao::Forma::Expressao
                             ? v.expressao->arvore.get()
                             : nullptr;
    const auto* l = e ? std::get_if<Literal>(&e->no) : nullptr;
    return l && l->tipo == Literal::Tipo::Nulo;
}

bool MesmoValor(const db::Valor& a, const db::Valor& b) {
    if (const auto* x = std::get_if<std::string>(&a)) {
        const auto* y = std::get_if<std::string>(&b);
        return y && *x == *y;
    }
    const auto* x = std::get_if<std::int64_t>(&a);
    const auto* y = std::get_if<std::int64_t>(&b);
    return x && y && *x == *y;
}

}  // namespace

std::string ComIdentidadeLigada(std::string chave) {
    if (!chave.empty()) chave[0] = 'L';
    return chave;
}

FormaDeInsercao FormaCompilada(const instrucao::Inserir& c, std::string sql,
                               const std::vector<db::Valor>& literais,
                               const std::vector<int>& ligados) {
    FormaDeInsercao forma;
    std::size_t v = 0;
    for (std::size_t r = 0; r < c.valores.size(); ++r) {
        for (std::size_t k = 0; k < c.valores[r].size(); ++k) {
            const int ligado = v < ligados.size() ? ligados[v] : -1;
            ++v;
            if (auto valor = ValorDaForma(c.valores[r][k])) {
                const auto n = static_cast<std::size_t>(ligado);
                if (ligado < 0 || n != forma.literais.size() || n >= literais.size() ||
                    !MesmoValor(*valor, literais[n]))
                    return {};
                forma.literais.push_back({r, k});
            } else if (ligado >= 0 || !NuloOuPadrao(c.valores[r][k])) {
                return {};
            }
        }
    }
    if (forma.literais.size() != literais.size()) return {};
    forma.sql = std::move(sql);
    forma.reutilizavel = true;
    return forma;
}

std::vector<db::Valor> LiteraisDaForma(const FormaDeInsercao& forma, const instrucao::Inserir& c) {
    std::vector<db::Valor> r;
    r.reserve(forma.literais.size());
    for (const auto& l : forma.literais) r.push_back(*ValorDaForma(c.valores[l.linha][l.coluna]));
    return r;
}

}  // namespace zolvek::simulador
