// FOR XML PATH: the query's rows, named by position in a WITH, go through zv_xml_path, the
// aggregate that writes each row's elements, attributes and text in the query's order;
// (...FOR XML PATH, TYPE).value() reads the text back with zv_xml_value.

#include <algorithm>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/funcoes/funcoes_xml.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/leitura/nomes_xml.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

const std::string kRecusa = "O simulador de SQL Server não aceita ";
// the name SQL Server gives the one column of a statement's FOR XML
const char* const kColunaDoXml = "XML_F52E2B61-18A1-11d1-B105-00805F49916B";

// A subquery with FOR XML ..., TYPE: an xml value, written as it is.
bool ValorXml(const Expressao& e) {
    const auto* s = std::get_if<Subconsulta>(&e.no);
    return s && s->consulta->xml && s->consulta->xml->tipo;
}

// Attributes belong to the row's element: they come first, and there must be one.
void VerificarAtributos(const std::vector<GeradorSqlite::ColunaDoXml>& colunas, const ParaXml& x) {
    bool outra = false;
    for (const auto& c : colunas) {
        if (c.papel != PapelNoXml::Atributo) {
            outra = true;
            continue;
        }
        if (x.linha.empty()) throw ErroDoServidor(6864);
        if (outra) throw ErroDoServidor(6852, {c.nome});
    }
}

}  // namespace

// The query of a FOR XML: the statement's own (one row, none when it finds none) or a
// scalar subquery's (its XML, NULL when it finds no rows).
std::string GeradorSqlite::GerarXml(const Consulta& q, bool escalar) {
    const bool instrucao = !escalar && consultas_ == 0;
    if (!instrucao && !escalar)
        throw Recusa(kRecusa +
                     "FOR XML numa tabela derivada, em IN, EXISTS ou WITH; só na consulta "
                     "da instrução ou numa subconsulta escalar.");
    if (escalar && q.ramos.size() > 1) throw ErroDoServidor(1086);
    const Selecao* s = PrimeiraSelecao(q);
    if (!s) throw ErroDoServidor(156, {"FOR"});
    for (const auto& item : s->itens)
        if (!item.variavel.empty()) throw ErroDoServidor(6819, {"ASSIGNMENT"});
    if (!s->destino.empty()) throw ErroDoServidor(6819, {"INTO"});
    const std::vector<ColunaDoXml> colunas = ColunasDoXml(*s);
    VerificarAtributos(colunas, *q.xml);
    std::string forma = EscreverFormaDoXml(q.xml->linha, q.xml->raiz, q.xml->tipo);
    for (const auto& c : colunas) AcrescentarColunaAForma(forma, c.papel, c.nome);
    const Consulta* anterior = xmlEmCurso_;
    xmlEmCurso_ = &q;
    std::string interna = Gerar(q);
    xmlEmCurso_ = anterior;
    std::string nomes, valores;
    for (std::size_t k = 0; k < colunas.size(); ++k) {
        const std::string nome = "zv_x" + std::to_string(k + 1);
        nomes += (k ? ", " : "") + nome;
        valores += ", " + ValorNoXml(colunas[k], nome);
    }
    std::string r = "WITH zv_xml(" + nomes + ") AS (" + interna + ") SELECT zv_xml_path(" +
                    ComoTexto(forma) + valores + ")";
    if (!instrucao) return r + " FROM zv_xml";
    ctx_.tiposDaSelecao = {TipoSql{TipoBase::NVarChar, -1, 0, 0}};
    return "SELECT zv_x AS " + ComoIdentificador(kColunaDoXml) + " FROM (" + r +
           " AS zv_x, count(*) AS zv_n FROM zv_xml) WHERE zv_n > 0";
}

// What each column of the SELECT becomes in the XML, by its name or alias, and its type.
std::vector<GeradorSqlite::ColunaDoXml> GeradorSqlite::ColunasDoXml(const Selecao& s) {
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        ~Saida() { e.pop_back(); }
    } saida{escopos_};
    std::vector<ColunaDoXml> r;
    for (const auto& item : s.itens) {
        const Expressao& e = *item.expressao;
        const auto* c = std::get_if<Coluna>(&e.no);
        if (item.apelido.empty() && c && c->partes.back() == "*") {
            ColunasDaEstrela(*c, s, r);
            continue;
        }
        ColunaDoXml col{PapelDoItem(item), item.apelido, std::nullopt};
        if (col.nome.empty() && c) col.nome = c->partes.back();
        if (col.papel == PapelNoXml::Atributo) col.nome.erase(0, 1);
        if (col.papel != PapelNoXml::Elemento && col.papel != PapelNoXml::ElementoXml &&
            col.papel != PapelNoXml::Atributo)
            col.nome.clear();
        if (!col.nome.empty()) ExigirNomeXml("Column", col.nome);
        if (!ValorXml(e)) col.tipo = TipoDoValor(e);
        r.push_back(std::move(col));
    }
    return r;
}

// The XPath of a column's name: an element, @attribute, text(), data(), or none.
PapelNoXml GeradorSqlite::PapelDoItem(const ItemDaSelecao& item) const {
    const std::string& nome = item.apelido;
    const bool xml = ValorXml(*item.expressao);
    const bool semNome = nome.empty() && !std::holds_alternative<Coluna>(item.expressao->no);
    if (semNome || nome == "text()" || nome == "*" || nome == "node()")
        return xml ? PapelNoXml::Xml : PapelNoXml::Texto;
    if (nome == "data()") return PapelNoXml::Dado;
    if (!nome.empty() && nome[0] == '@') {
        if (xml) throw Recusa(kRecusa + "um valor xml num atributo de FOR XML PATH.");
        return PapelNoXml::Atributo;
    }
    if (nome.find('/') != std::string::npos || nome.find('(') != std::string::npos)
        throw Recusa(kRecusa + "o caminho '" + nome +
                     "' como nome de coluna de FOR XML PATH; só nomes simples, @atributo, "
                     "text(), data() e *.");
    return xml ? PapelNoXml::ElementoXml : PapelNoXml::Elemento;
}

// SELECT * (or t.*) of FOR XML: an element for each column of the tables, in their order.
// Only the database's own tables are expanded, whose columns the catalog knows.
void GeradorSqlite::ColunasDaEstrela(const Coluna& c, const Selecao& s,
                                     std::vector<ColunaDoXml>& r) {
    const std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    bool achou = false;
    std::vector<const Fonte*> fontes;
    ParaCadaFonte(s.de, [&](const Fonte& f) { fontes.push_back(&f); });
    for (const Fonte* fonte : fontes) {
        const Fonte& f = *fonte;
        const std::string nome = f.apelido.empty() && !f.nome.empty() ? f.nome.back() : f.apelido;
        if (!dono.empty() && !IguaisCiAs(dono, nome)) continue;
        Tabela* t = nullptr;
        const bool simples = !f.nome.empty() && !f.funcao && !f.pivo && f.nome[0][0] != '@' &&
                             std::none_of(nomeadas_.begin(), nomeadas_.end(), [&](const auto& n) {
                                 return IguaisCiAs(n.first, f.nome.back());
                             });
        if (simples && ctx_.catalogo) t = ctx_.catalogo()->AcharTabela(f.nome.back());
        if (!t)
            throw Recusa(kRecusa +
                         "* em FOR XML PATH sobre o que não é uma tabela do banco; "
                         "nomeie as colunas.");
        for (const auto& col : t->colunas) r.push_back({PapelNoXml::Elemento, col.nome, col.tipo});
        achou = true;
    }
    if (!achou) throw Recusa(kRecusa + "* em FOR XML PATH sem tabela; nomeie as colunas.");
}

// A column's value as FOR XML writes it: texts and integers as they are, decimals with
// their scale, money with four places, dates in ISO 8601; the types whose XML form the
// engine does not make are refused rather than written some other way.
std::string GeradorSqlite::ValorNoXml(const ColunaDoXml& c, const std::string& sql) {
    if (!c.tipo || c.papel == PapelNoXml::Xml || c.papel == PapelNoXml::ElementoXml) return sql;
    switch (c.tipo->base) {
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return "zv_cast(" + sql + ", 'nvarchar(max)|numeric')";
        case TipoBase::Money:
        case TipoBase::SmallMoney:
            return "zv_convert('nvarchar(max)|money', " + sql + ", 2)";
        case TipoBase::DateTime:
        case TipoBase::SmallDateTime:
            return "zv_convert('nvarchar(max)', zv_dt(" + sql + "), 126)";
        case TipoBase::Date:
            return "zv_convert('nvarchar(max)|date', " + sql + ", 126)";
        case TipoBase::Float:
        case TipoBase::Real:
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
        case TipoBase::Image:
        case TipoBase::RowVersion:
        case TipoBase::SqlVariant:
            throw Recusa(kRecusa + "valores do tipo " + NomeDoTipo(c.tipo->base) +
                         " em FOR XML PATH; converta-os antes em texto.");
        default:
            return sql;
    }
}

// (SELECT ... FOR XML PATH, TYPE).value('caminho', 'tipo'): the XML's text as the type.
std::string GeradorSqlite::ChamarValorXml(const Chamada& c) {
    const auto* sub = std::get_if<Subconsulta>(&c.argumentos[0]->no);
    const ParaXml* x = sub ? sub->consulta->xml.get() : nullptr;
    if (!x) throw Recusa(kRecusa + ".value() fora de uma subconsulta FOR XML PATH, TYPE.");
    if (!x->tipo) throw ErroDoServidor(258);
    const auto* caminho = std::get_if<Literal>(&c.argumentos[1]->no);
    if (!caminho || !CaminhoXmlConhecido(caminho->texto))
        throw Recusa(kRecusa + "o caminho XQuery '" + (caminho ? caminho->texto : "") +
                     "' em .value(); só '.' e '(./text())[1]'.");
    return "zv_cast(zv_xml_value(" + Gerar(*c.argumentos[0]) + ", " + ComoTexto(caminho->texto) +
           "), " + ComoTexto(c.tipo) + ")";
}

}  // namespace zolvek::simulador
