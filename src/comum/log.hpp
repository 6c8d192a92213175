#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The program's in-memory log and the log file LogZAV.txt. Process-wide. Entries may be
// added from several threads at once (analyses of several databases side by side, a
// command's worker thread); the rest is used from one thread at a time.
namespace zolvek::log {

// The log switches. The front end reads them from its settings (HabilitarLogZAV and
// PastaLogZAV) and hands them over with DefinirConfiguracaoDoLog, before the first
// use of the log; without that the log is off.
struct ConfiguracaoDoLog {
    bool habilitarLogZAV = false;  // HabilitarLogZAV
    std::string pastaLogZAV;       // PastaLogZAV: folder of LogZAV.txt; blank = the user's folder
};

void DefinirConfiguracaoDoLog(const ConfiguracaoDoLog& configuracao);
ConfiguracaoDoLog ConfiguracaoAtual();

// Creates the log at its first use and latches the enabling switch; true when the
// log is enabled.
bool IniciarLog();
bool LogCriado();
bool LogHabilitado();

// One entry of the log, laid out with the date-time, the seconds since the first
// entry, the milliseconds since the previous one, the counter, the place in the
// source and the message. An empty message is no message. `contador` other than -1
// becomes the counter shown from the next entry on. Without `forcar`, nothing is
// written while the log is disabled; `limpar` empties the log first.
void RegistrarNoLog(const std::string& arquivo, int linha, const std::string& metodo,
                    const std::string& mensagem = "", long long contador = -1, bool forcar = false,
                    bool limpar = false);

// The pieces of one entry, for MontarLinhaDoLog.
struct CamposDaLinha {
    std::chrono::system_clock::time_point hora;
    long long segundosDesdeOInicio = 0;
    long long milissegundosDesdeAAnterior = 0;
    long long contador = 0;
    std::string arquivo;
    int linha = 0;
    std::string metodo;
    std::string mensagem;
};

// The text of one entry (fields separated by ","): the local date-time, 8 digits +
// "s", 6 digits + "ms", 8 digits + "i", file "/" line "/" method and the message part.
// A number that does not fit its width, or is negative, shows as that many "*".
std::string MontarLinhaDoLog(const CamposDaLinha& campos);

// A number with leading zeros in `largura` digits, or `largura` "*" when it does not fit.
std::string NumeroComZeros(long long numero, int largura);

// "dd/mm/yyyy hh:nn:ss" of a moment, in local time.
std::string TextoDeDataHoraLocal(std::chrono::system_clock::time_point hora);

// Appends one entry as it is (section titles and dumps of the technical information).
void AdicionarAoLog(const std::string& entrada);
const std::vector<std::string>& EntradasDoLog();
// The log as one text: entries separated by CR LF, with a final CR LF.
std::string TextoDoLog();

// The folder of the log file: PastaLogZAV without blanks at both ends, else the
// environment variable USERPROFILE, else HOME.
std::filesystem::path PastaDoLog(const ConfiguracaoDoLog& configuracao);

// Writes the text to the file in Windows-1252 with CR LF line ends, replacing an
// existing file. A character with no Windows-1252 form is written as "?". Raises Erro
// with the system's reason when the file cannot be written.
void GravarTextoWindows1252(const std::filesystem::path& arquivo, const std::string& texto);

// Saves the log as LogZAV.txt in the given folder; returns the file written.
std::filesystem::path SalvarLog(const std::filesystem::path& pasta);

// For tests: a clock in place of the system's, and forgetting the whole state
// (entries, times, counter, the latched switch).
void DefinirRelogioDoLog(std::function<std::chrono::system_clock::time_point()> relogio);
void DescartarLog();

}  // namespace zolvek::log
