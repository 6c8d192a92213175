#include "simulador/motor/funcoes/funcoes_xml.hpp"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/leitura/nomes_xml.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

constexpr char kSeparador = '\x1f';

struct Forma {
    std::string linha, raiz;
    bool tipo = false;
    std::vector<std::pair<PapelNoXml, std::string>> colunas;
};

Forma LerForma(const std::string& texto) {
    std::vector<std::string> campos(1);
    for (char ch : texto) {
        if (ch == kSeparador)
            campos.emplace_back();
        else
            campos.back() += ch;
    }
    Forma f;
    f.linha = campos[0];
    f.raiz = campos.size() > 1 ? campos[1] : "";
    f.tipo = campos.size() > 2 && campos[2] == "1";
    for (std::size_t k = 3; k < campos.size(); ++k)
        f.colunas.emplace_back(static_cast<PapelNoXml>(campos[k][0]), campos[k].substr(1));
    return f;
}

// The value's text with XML's reserved characters written as FOR XML writes them; false
// (and the call failed) for a character XML cannot hold.
bool Escapar(sqlite3_context* c, const std::string& s, bool atributo, const std::string& no,
             std::string& saida) {
    for (char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        switch (ch) {
            case '&':
                saida += "&amp;";
                continue;
            case '<':
                saida += "&lt;";
                continue;
            case '>':
                saida += "&gt;";
                continue;
            case '\r':
                saida += atributo ? "&#xD;" : "&#x0D;";
                continue;
            case '"':
                saida += atributo ? "&quot;" : "\"";
                continue;
            case '\t':
                saida += atributo ? "&#x09;" : "\t";
                continue;
            case '\n':
                saida += atributo ? "&#xA;" : "\n";
                continue;
            default:
                break;
        }
        if (u < 0x20) {
            FalharNaFuncao(c, ErroDoServidor(6841, {no, CodigoDoCaractere(u)}));
            return false;
        }
        saida += ch;
    }
    return true;
}

// A value as FOR XML writes it: texts and integers as they are (the generator converted
// the other types it knows); floats and binaries it did not know are refused.
bool TextoDoValor(sqlite3_context* c, sqlite3_value* v, std::string& s) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            s = std::to_string(sqlite3_value_int64(v));
            return true;
        case SQLITE_TEXT:
            s = TextoDe(v);
            return true;
        default:
            FalharNaFuncao(
                c, Recusa("O simulador de SQL Server não escreve em FOR XML PATH valores float, "
                          "real ou binários; converta-os antes em texto."));
            return false;
    }
}

std::string Elemento(const std::string& nome, const std::string& dentro, bool tipo) {
    if (dentro.empty()) return "<" + nome + (tipo ? " />" : "></" + nome + ">");
    return "<" + nome + ">" + dentro + "</" + nome + ">";
}

struct EstadoXml {
    Forma forma;
    std::string saida;
    bool atomico = false;  // the last thing written was a data() value
    bool lida = false;     // `forma` was read, at the first row
};

EstadoXml* EstadoDoXml(sqlite3_context* c, bool criar) {
    auto** p = static_cast<EstadoXml**>(sqlite3_aggregate_context(c, criar ? sizeof(void*) : 0));
    if (!p) return nullptr;
    if (!*p && criar) *p = new EstadoXml;
    return *p;
}

// One column's value into the row's attributes or content.
bool EscreverColuna(sqlite3_context* c, EstadoXml& e, const std::pair<PapelNoXml, std::string>& col,
                    sqlite3_value* v, std::string& atributos, std::string& conteudo) {
    if (sqlite3_value_type(v) == SQLITE_NULL) return true;  // a NULL column makes nothing
    std::string s, escapado;
    if (!TextoDoValor(c, v, s)) return false;
    const auto& [papel, nome] = col;
    const bool xml = papel == PapelNoXml::Xml || papel == PapelNoXml::ElementoXml;
    if (xml)
        escapado = s;
    else if (!Escapar(c, s, papel == PapelNoXml::Atributo, nome.empty() ? "NoName" : nome,
                      escapado))
        return false;
    const bool atomico = papel == PapelNoXml::Dado;
    if (atomico && e.atomico) conteudo += ' ';
    e.atomico = atomico;
    if (papel == PapelNoXml::Atributo)
        atributos += " " + nome + "=\"" + escapado + "\"";
    else if (papel == PapelNoXml::Elemento || papel == PapelNoXml::ElementoXml)
        conteudo += Elemento(nome, escapado, e.forma.tipo);
    else
        conteudo += escapado;
    return true;
}

void PassoDoXml(sqlite3_context* c, int n, sqlite3_value** a) {
    EstadoXml* e = EstadoDoXml(c, true);
    if (!e) return sqlite3_result_error_nomem(c);
    if (!e->lida) e->forma = LerForma(TextoDe(a[0]));
    e->lida = true;
    std::string atributos, conteudo;
    for (int k = 1; k < n && static_cast<std::size_t>(k) <= e->forma.colunas.size(); ++k)
        if (!EscreverColuna(c, *e, e->forma.colunas[k - 1], a[k], atributos, conteudo)) return;
    const std::string& linha = e->forma.linha;
    if (linha.empty()) {
        e->saida += conteudo;
        return;
    }
    e->atomico = false;
    e->saida += "<" + linha + atributos;
    e->saida +=
        conteudo.empty() ? (e->forma.tipo ? " />" : "/>") : ">" + conteudo + "</" + linha + ">";
}

void FinalDoXml(sqlite3_context* c) {
    EstadoXml* e = EstadoDoXml(c, false);
    if (!e) return sqlite3_result_null(c);  // no rows: no XML
    std::string r =
        e->forma.raiz.empty() ? e->saida : Elemento(e->forma.raiz, e->saida, e->forma.tipo);
    delete e;
    *static_cast<EstadoXml**>(sqlite3_aggregate_context(c, sizeof(void*))) = nullptr;
    ResultadoTexto(c, r);
}

// The text of an entity at s[i] ('&'); i moves past it.
void Decodificar(const std::string& s, std::size_t& i, std::string& saida) {
    const std::size_t fim = s.find(';', i);
    if (fim == std::string::npos) {
        saida += s[i++];
        return;
    }
    const std::string nome = s.substr(i + 1, fim - i - 1);
    i = fim + 1;
    if (nome == "amp")
        saida += '&';
    else if (nome == "lt")
        saida += '<';
    else if (nome == "gt")
        saida += '>';
    else if (nome == "quot")
        saida += '"';
    else if (nome == "apos")
        saida += '\'';
    else if (nome.size() > 2 && nome[0] == '#' && (nome[1] == 'x' || nome[1] == 'X'))
        texto::AcrescentarUtf8(saida,
                               static_cast<char32_t>(std::stoul(nome.substr(2), nullptr, 16)));
    else if (nome.size() > 1 && nome[0] == '#')
        texto::AcrescentarUtf8(saida, static_cast<char32_t>(std::stoul(nome.substr(1))));
    else
        saida += "&" + nome + ";";
}

// The XML's text: all of it ('.'), or only its first run of text outside any element
// ('(./text())[1]'), which has none when the XML starts with an element.
std::optional<std::string> TextoDoXml(const std::string& xml, bool primeiroTexto) {
    std::string r;
    int nivel = 0;
    bool achou = false;
    for (std::size_t i = 0; i < xml.size();) {
        if (xml[i] == '<') {
            const std::size_t fim = xml.find('>', i);
            if (fim == std::string::npos) break;
            const bool fecha = xml[i + 1] == '/', vazio = xml[fim - 1] == '/';
            if (primeiroTexto && achou && nivel == 0) break;
            nivel += fecha ? -1 : (vazio ? 0 : 1);
            i = fim + 1;
            continue;
        }
        const bool conta = !primeiroTexto || nivel == 0;
        achou = achou || conta;
        std::string pedaco;
        if (xml[i] == '&')
            Decodificar(xml, i, pedaco);
        else
            pedaco = xml[i++];
        if (conta) r += pedaco;
    }
    if (primeiroTexto && !achou) return std::nullopt;
    return r;
}

void FnValue(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    const auto r = TextoDoXml(TextoDe(a[0]), TextoDe(a[1]) != ".");
    if (!r) return sqlite3_result_null(c);
    ResultadoTexto(c, *r);
}

}  // namespace

std::string EscreverFormaDoXml(const std::string& linha, const std::string& raiz, bool tipo) {
    return linha + kSeparador + raiz + kSeparador + (tipo ? "1" : "0");
}

void AcrescentarColunaAForma(std::string& forma, PapelNoXml papel, const std::string& nome) {
    forma += kSeparador;
    forma += static_cast<char>(papel);
    forma += nome;
}

bool CaminhoXmlConhecido(const std::string& caminho) {
    return caminho == "." || caminho == "(./text())[1]" || caminho == "(text())[1]" ||
           caminho == "./text()[1]" || caminho == "text()[1]";
}

void RegistrarFuncoesXml(sqlite3* db) {
    sqlite3_create_function(db, "zv_xml_path", -1, SQLITE_UTF8, nullptr, nullptr, PassoDoXml,
                            FinalDoXml);
    sqlite3_create_function(db, "zv_xml_value", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            FnValue, nullptr, nullptr);
}

}  // namespace zolvek::simulador
