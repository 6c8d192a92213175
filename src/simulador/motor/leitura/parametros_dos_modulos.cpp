#include "simulador/motor/leitura/parametros_dos_modulos.hpp"

#include <cstdio>
#include <optional>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/leitura/lote.hpp"

namespace zolvek::simulador {

namespace {

// A text as a JSON string.
std::string ComoJson(const std::string& s) {
    std::string r = "\"";
    for (char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            r += '\\';
            r += ch;
        } else if (u < 0x20) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", u);
            r += b;
        } else {
            r += ch;
        }
    }
    return r + "\"";
}

std::string NumeroOuNulo(std::optional<int> n) {
    return n ? std::to_string(*n) : "null";
}

std::string ParametroComoJson(const ParametroDoModulo& p) {
    const TipoSql& t = p.tipo;
    return "{\"ordem\":" + std::to_string(p.ordem) + ",\"nome\":" + ComoJson(p.nome) +
           ",\"tipo\":" + ComoJson(NomeDoTipo(t.base)) +
           ",\"xtype\":" + std::to_string(XType(t.base)) +
           ",\"tamanho\":" + std::to_string(t.tamanho) +
           ",\"comprimento\":" + std::to_string(ComprimentoEmBytes(t)) +
           ",\"prec\":" + std::to_string(PrecisaoDoCatalogo(t)) +
           ",\"escala\":" + std::to_string(EscalaDoCatalogo(t)) +
           ",\"prec_num\":" + NumeroOuNulo(PrecisaoNumerica(t)) +
           ",\"escala_num\":" + NumeroOuNulo(EscalaNumerica(t)) +
           ",\"saida\":" + (p.saida ? "1" : "0") + "}";
}

}  // namespace

std::vector<ParametroDoModulo> ParametrosDoModulo(const std::string& texto) {
    const auto tokens = Tokenizar(texto);
    const auto comandos = AnalisarLote(tokens, texto).comandos;
    const auto* def = comandos.empty()
                          ? nullptr
                          : std::get_if<instrucao::CriarObjeto>(&comandos.front()->instrucao);
    std::vector<ParametroDoModulo> r;
    if (!def) return r;
    if (def->tipoDeObjeto == "FN" && !def->retorno.empty() && !def->retorno[0].tabela)
        r.push_back({0, "", def->retorno[0].tipo, true});
    int ordem = 0;
    for (const auto& p : def->parametros) r.push_back({++ordem, p.nome, p.tipo, p.saida});
    return r;
}

std::string ParametrosComoJson(const std::string& texto) {
    std::string json;
    for (const auto& p : ParametrosDoModulo(texto))
        json += (json.empty() ? "" : ",") + ParametroComoJson(p);
    return "[" + json + "]";
}

}  // namespace zolvek::simulador
