#include <iostream>
#include <iterator>

#include "admin/procedimentos_internos.hpp"
#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "db/lotes_sql.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::cli {

namespace {

std::string QuantasLinhas(const std::string& script) {
    return std::to_string(db::DividirEmLinhas(script).size()) + " linha(s)";
}

// Writes PARFN.Script as it is stored (UTF-8) to the file, or to standard output ("-").
int Exportar(db::TModuloDados& modulo, const std::string& arquivo) {
    const std::string script = admin::LerProcedimentosInternos(modulo.Banco);
    if (arquivo == "-") {
        std::cout << script << std::flush;
        return kSaidaSucesso;
    }
    GravarArquivoInteiro(arquivo, script, "Não foi possível gravar o arquivo '" + arquivo + "'");
    std::cout << "Procedimentos internos gravados em " << arquivo << " (" << QuantasLinhas(script)
              << ")" << std::endl;
    return kSaidaSucesso;
}

// Stores the file (or standard input, "-") as PARFN.Script; a file that is not UTF-8 is
// read as Windows-1252, as the program for Windows saves it.
int Importar(db::TModuloDados& modulo, const std::string& arquivo) {
    std::string bytes;
    if (arquivo == "-")
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    else
        bytes = LerArquivoInteiro(arquivo, "Não foi possível ler o arquivo '" + arquivo + "'");
    const std::string script = db::TextoDoScript(std::move(bytes));
    admin::GravarProcedimentosInternos(modulo.Banco, script);
    std::cout << "Procedimentos internos importados de " << arquivo << " (" << QuantasLinhas(script)
              << ")" << std::endl;
    return kSaidaSucesso;
}

int ExecutarProcedimentosInternos(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(parametros, OpcoesDeSessao(), {});
    const auto& p = argumentos.Posicionais();
    if (p.empty()) throw ErroDeUso("Informe a operação: exportar ou importar");
    if (p[0] != "exportar" && p[0] != "importar")
        throw ErroDeUso("Operação desconhecida: " + p[0] + " (use exportar ou importar)");
    if (p.size() != 2) throw ErroDeUso("Informe um ARQUIVO (ou \"-\") para " + p[0]);
    return ExecutarComMensagens(std::cout, [&] {
        auto modulo = AbrirSessao(argumentos, std::cerr);
        return p[0] == "exportar" ? Exportar(*modulo, p[1]) : Importar(*modulo, p[1]);
    });
}

const RegistrarComando registroProcedimentosInternos({
    "procedimentos-internos",
    "exporta e importa os procedimentos internos da empresa (PARFN.Script)",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli procedimentos-internos exportar|importar ARQUIVO [--conexao "
                   "TEXTO]\n"
                   "                                       [--dicionario ARQUIVO]\n"
                   "Os procedimentos internos são o script da empresa guardado em PARFN.Script, "
                   "que o\n"
                   "\"Editar\" da janela de opções do \"Analisar\" edita e que a análise executa "
                   "depois\n"
                   "do script do dicionário.\n"
                   "  exportar ARQUIVO   grava o script no ARQUIVO, em UTF-8 (\"-\": na saída "
                   "padrão)\n"
                   "  importar ARQUIVO   substitui o script pelo conteúdo do ARQUIVO (\"-\": da "
                   "entrada\n"
                   "                     padrão); um arquivo que não está em UTF-8 é lido como\n"
                   "                     Windows-1252, como o comando sql faz\n"
                   "\n"
                   "Saída 0: sucesso; 1: falha (PARFN sem linha, arquivo ilegível), com a mensagem "
                   "na\n"
                   "saída padrão; 2: uso incorreto.\n"
                   "\n"
                   "Opções:\n") +
               kAjudaDaSessao;
    },
    ExecutarProcedimentosInternos,
});

}  // namespace

}  // namespace zolvek::cli
