#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/leitura/nomes_xml.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

// FOR XML PATH at the end of a query, and .value() of the xml its TYPE gives.
namespace zolvek::simulador {

namespace {

const char* const kRecusaDoXml = "O simulador de SQL Server não aceita ";

}  // namespace

// FOR XML PATH[('linha')] [, TYPE] [, ROOT[('raiz')]] [, ELEMENTS]. The other modes and
// FOR JSON are refused: their shapes are not built here.
std::unique_ptr<ParaXml> LeitorDeExpressoes::LerParaXml() {
    Esperar("FOR");
    for (const char* outro : {"JSON", "BROWSE"})
        if (Palavra(outro)) throw Recusa(std::string(kRecusaDoXml) + "FOR " + outro + ".");
    Esperar("XML");
    for (const char* modo : {"RAW", "AUTO", "EXPLICIT"})
        if (Palavra(modo))
            throw Recusa(std::string(kRecusaDoXml) + "FOR XML " + modo + "; use FOR XML PATH.");
    Esperar("PATH");
    auto x = std::make_unique<ParaXml>();
    if (Simbolo("(")) x->linha = LerNomeDoXml("Row");
    while (AceitarSimbolo(",")) {
        if (Aceitar("TYPE")) {
            x->tipo = true;
        } else if (Aceitar("ROOT")) {
            x->raiz = Simbolo("(") ? LerNomeDoXml("Root") : "root";
            if (x->raiz.empty()) throw ErroDoServidor(6861);
        } else if (Aceitar("ELEMENTS")) {
            if (Palavra("XSINIL")) throw Recusa(std::string(kRecusaDoXml) + "ELEMENTS XSINIL.");
            Aceitar("ABSENT");  // PATH leaves out NULL columns already
        } else if (Palavra("BINARY") || Palavra("XMLDATA") || Palavra("XMLSCHEMA")) {
            throw Recusa(std::string(kRecusaDoXml) + "FOR XML PATH com " + t_[i_].texto + ".");
        } else {
            Erro();
        }
    }
    return x;
}

// ('nome') of PATH or ROOT: a text naming an element, checked as FOR XML checks it.
std::string LeitorDeExpressoes::LerNomeDoXml(const char* papel) {
    EsperarSimbolo("(");
    if (Fim() || (t_[i_].tipo != TipoToken::Texto && t_[i_].tipo != TipoToken::TextoN)) Erro();
    std::string nome = t_[i_++].texto;
    EsperarSimbolo(")");
    if (!nome.empty()) ExigirNomeXml(papel, nome);
    return nome;
}

// (SELECT ... FOR XML PATH, TYPE).value('caminho', 'tipo'): read as a call of ".value",
// a name no user can write, with the query and the path as arguments and the type as
// CAST's. Only .value is taken: the other methods of xml are not run here.
Expr LeitorDeExpressoes::LerMetodoXml(Expr alvo) {
    ++i_;  // '.'
    const std::string metodo = t_[i_++].texto;
    if (metodo != "value")
        throw Recusa(std::string(kRecusaDoXml) + "o método '" + metodo +
                     "' de xml; só .value('.', 'tipo').");
    EsperarSimbolo("(");
    Chamada c;
    c.nome = {".value"};
    c.argumentos.push_back(std::move(alvo));
    for (int k = 1; k <= 2; ++k) {
        if (Fim() || (t_[i_].tipo != TipoToken::Texto && t_[i_].tipo != TipoToken::TextoN))
            throw ErroDoServidor(8172, {std::to_string(k)});
        if (k == 1)
            c.argumentos.push_back(LiteralDoToken(t_[i_++]));
        else
            c.tipo = t_[i_++].texto;
        if (k == 1) EsperarSimbolo(",");
    }
    EsperarSimbolo(")");
    return Nova(std::move(c));
}

}  // namespace zolvek::simulador
