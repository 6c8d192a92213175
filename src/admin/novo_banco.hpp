#pragma once

#include <string>
#include <utility>
#include <vector>

// "Novo..": an empty company database created on a server through a connection of
// its own to master, with one data file, one log file and three options set.
namespace zolvek::admin {

// The folder the dialog proposes.
extern const char* const kPastaPadraoDoNovoBanco;
// "Banco de Dados foi criado com sucesso"
extern const char* const kMensagemBancoCriado;

struct DadosDoNovoBanco {
    std::string nome;
    std::string servidor;
    std::string pasta = kPastaPadraoDoNovoBanco;
    int tamanhoMaximoDoLog = 100;  // MB, 5 to 500
    std::string login = "sa";
    std::string senha;
};

// "Executar" is possible while the name and the server, trimmed, are not empty.
bool PodeCriarBanco(const std::string& nome, const std::string& servidor);

// The 19 lines of the creation statement: name and folder trimmed, the folder with a
// final backslash added when it has none (an empty folder stays empty). The name is
// written in brackets where it names the database and with apostrophes doubled
// inside the file-name literals.
std::vector<std::string> ComandoDeCriacao(const DadosDoNovoBanco& dados);

// One statement that sets an option of the new database, with the values of its
// text parameters.
struct ComandoDeOpcao {
    std::string sql;
    std::vector<std::pair<std::string, std::string>> parametros;
};

// The three options in order ("select into/bulkcopy", "trunc. log on chkpt.",
// "autoshrink", all "True"): "sp_dboption :Banco, :Nome, :Valor" before major version
// 11; from it on, where sp_dboption no longer exists, the same options through ALTER
// DATABASE (RECOVERY BULK_LOGGED, RECOVERY SIMPLE, AUTO_SHRINK ON).
std::vector<ComandoDeOpcao> ComandosDeOpcoes(const std::string& nome, int versaoMaior);

// Creates the database on the server (a stand-in server when the server is a folder)
// and sets its options. Server errors propagate with the server's text; the options
// that failed leave the database created.
void CriarNovoBanco(const DadosDoNovoBanco& dados);

}  // namespace zolvek::admin
