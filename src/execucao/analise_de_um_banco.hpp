#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "analysis/analisar.hpp"
#include "comum/comando.hpp"
#include "db/modulo_dados.hpp"
#include "dictionary/dicionario.hpp"
#include "execucao/relatorio_da_execucao.hpp"

// One analysis of one database from its connection string, reported whatever happens:
// connecting, the backup first, the run or its simulation, the script file.
namespace zolvek::execucao {

struct PedidoDeAnalise {
    std::string cadeia;  // the connection string
    std::filesystem::path arquivoDoDicionario;
    analysis::OpcoesDaAnalise opcoes;  // the access group is replaced, see below
    std::optional<std::string> grupo;  // else the one stored for the database
    analysis::ExtrasDaAnalise extras;
    std::filesystem::path arquivoDoScript;  // a simulation's script ("": none)
    // Told once the connection is open (the front end may use it for active users).
    std::function<void(db::TModuloDados&)> aoConectar;
};

struct AnaliseRelatada {
    ExecucaoRelatada relato;
    std::optional<analysis::ResultadoDaAnalise> resultado;  // when the run finished
};

// Connects as db_owner, takes the stored access group (a given one is stored, except
// in a simulation, which registers nothing) and runs the analysis with `dicionario`.
// Nothing raises: a failure to connect is "falhou", an abort or an error that ended
// the run "interrompida", each with its message as the outcome text.
AnaliseRelatada AnalisarBanco(const PedidoDeAnalise& pedido, InterfaceDoComando& interface,
                              dicionario::DicionarioDeDados& dicionario);

// The classification of a finished run as the report tells it.
ClasseDoDesfecho ClasseDaAnalise(analysis::ClassificacaoDaAnalise classificacao);

// The options as name and value ("cbxGerarIndices", "Sim"), in the status row's order.
std::vector<std::pair<std::string, std::string>> OpcoesRelatadas(
    const analysis::OpcoesDaAnalise& opcoes);

}  // namespace zolvek::execucao
