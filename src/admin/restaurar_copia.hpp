#pragma once

#include <string>
#include <vector>

// "Restaurar cópia...": a backup file restored over an existing database of the same
// server, its data and log files moved onto the destination's current files.
namespace zolvek::admin {

// "Cópia de segurança foi restaurada com sucesso"
extern const char* const kMensagemCopiaRestaurada;

struct DadosDaRestauracao {
    std::string arquivo;  // the backup file, as the server sees it
    std::string destino;  // the destination database
    std::string servidor;
    std::string login = "sa";
    std::string senha;
};

// "Executar" is possible while the backup file, the destination and the server,
// trimmed, are all non-empty.
bool PodeRestaurar(const std::string& arquivo, const std::string& destino,
                   const std::string& servidor);

// A file of a database or backup: its logical name, its physical file and whether it
// holds data (as opposed to the log).
struct ArquivoDoBanco {
    std::string nomeLogico;
    std::string nomeFisico;
    bool dados = true;
};

// What the restore moves: the backup's data file onto the destination's data file
// and its log onto the destination's log, paired by kind. Raises ErroDeEntrada with a
// Portuguese message when either side has more than one file of a kind, or none.
struct PlanoDeRestauracao {
    std::string dados, arquivoDeDados, log, arquivoDeLog;
};
PlanoDeRestauracao ParearArquivos(const std::vector<ArquivoDoBanco>& copia,
                                  const std::vector<ArquivoDoBanco>& destino);

// The lines of the restore statement for the destination (its name in brackets).
std::vector<std::string> ComandoDeRestauracao(const std::string& destino);

// Lists the destination's files (on a connection to it: a missing database fails
// here, before anything is restored) and the backup's, pairs them and restores.
// Server errors propagate with the server's text.
void RestaurarCopia(const DadosDaRestauracao& dados);

}  // namespace zolvek::admin
