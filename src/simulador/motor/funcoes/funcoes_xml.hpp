#pragma once

#include <string>

struct sqlite3;

// FOR XML PATH's rows as one XML text, and .value() read back from it:
//   zv_xml_path(forma, v1, v2, ...): the aggregate that writes each row; `forma` tells the
//     row's and root's element names, whether TYPE was given, and each value's place
//     (EscreverFormaDoXml);
//   zv_xml_value(xml, caminho): the text of the XML that '.' or '(./text())[1]' reads.
namespace zolvek::simulador {

// What a column of FOR XML PATH becomes, by its name.
enum class PapelNoXml : char {
    Elemento = 'e',     // <nome>valor</nome>
    Texto = 't',        // no name, text(), *: the value as text
    Atributo = 'a',     // @nome: an attribute of the row's element
    Dado = 'd',         // data(): atomic values, a space between neighbours
    Xml = 'x',          // an xml value (a FOR XML TYPE subquery) with no name: as it is
    ElementoXml = 'X',  // an xml value inside <nome>
};

// The `forma` argument of zv_xml_path: its fields apart by U+001F.
std::string EscreverFormaDoXml(const std::string& linha, const std::string& raiz, bool tipo);
void AcrescentarColunaAForma(std::string& forma, PapelNoXml papel, const std::string& nome);

// The paths of .value() zv_xml_value reads.
bool CaminhoXmlConhecido(const std::string& caminho);

void RegistrarFuncoesXml(sqlite3* db);

}  // namespace zolvek::simulador
