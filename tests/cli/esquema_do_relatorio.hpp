#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/validation_results.hpp>
#include <valijson/validator.hpp>

#include "cli/rodar_cli.hpp"

// The JSON schema of the run reports, read from the README where it is written down,
// and the check of a report against it.
namespace zolvek::teste {

inline nlohmann::json EsquemaDoRelatorio() {
    const std::string texto =
        LerArquivo(std::filesystem::path(ZOLVEK_PASTA_TESTES) / ".." / "README.md");
    const auto titulo = texto.find("### The run report's schema");
    const auto abre = texto.find("```json\n", titulo);
    const auto fecha = texto.find("\n```", abre + 8);
    if (titulo == std::string::npos || abre == std::string::npos || fecha == std::string::npos)
        throw std::runtime_error("o README não tem o esquema do relatório");
    return nlohmann::json::parse(texto.substr(abre + 8, fecha - abre - 8));
}

// "" when the report follows the schema; else what does not, one line per complaint.
inline std::string ViolacoesDoEsquema(const nlohmann::json& relatorio) {
    static const nlohmann::json esquema = EsquemaDoRelatorio();
    valijson::Schema modelo;
    valijson::SchemaParser leitor;
    valijson::adapters::NlohmannJsonAdapter adaptadoDoEsquema(esquema);
    leitor.populateSchema(adaptadoDoEsquema, modelo);
    valijson::Validator validador;
    valijson::ValidationResults resultados;
    valijson::adapters::NlohmannJsonAdapter adaptado(relatorio);
    if (validador.validate(modelo, adaptado, &resultados)) return "";
    std::string r;
    valijson::ValidationResults::Error erro;
    while (resultados.popError(erro)) {
        for (const auto& c : erro.context) r += c;
        r += ": " + erro.description + "\n";
    }
    return r;
}

// The report file, checked against the schema.
inline nlohmann::json LerRelatorio(const std::filesystem::path& arquivo) {
    const nlohmann::json relatorio = nlohmann::json::parse(LerArquivo(arquivo));
    const std::string violacoes = ViolacoesDoEsquema(relatorio);
    if (!violacoes.empty())
        ADD_FAILURE() << arquivo << " não segue o esquema:\n" << violacoes << relatorio.dump(2);
    return relatorio;
}

}  // namespace zolvek::teste
