#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"

// The technical information for support: the dump of the open windows, the system
// information and the database's status and parameter rows, written to the log and to
// LogZAV.txt, and the support package the main window's support link hands over.
namespace zolvek::admin {

// What the front end reports of one thing a window or frame owns, in the order it
// owns them.
struct ItemDoConteiner {
    enum class Tipo { ConjuntoDeDados, Componente, Quadro };
    Tipo tipo = Tipo::Componente;
    std::string nome;
    db::ConjuntoDeDados* conjunto = nullptr;  // ConjuntoDeDados
    std::string valor;                        // Componente: its value as the front end reads it
                                              // (text, date, number; empty for none)
    std::vector<ItemDoConteiner> itens;       // Quadro: what the frame owns
};

// One open window, in the platform's window order.
struct JanelaAberta {
    std::string nome;
    std::vector<ItemDoConteiner> itens;
};

// The front end's list of open windows (the GUI installs it; without one there is
// no window to list).
using ListagemDeJanelas = std::function<std::vector<JanelaAberta>()>;
void DefinirListagemDeJanelas(ListagemDeJanelas listagem);

// Appends the dump of the open windows to the log (nothing when the log is disabled
// and `forcar` is clear). Windows whose name is empty or occurs inside the list of
// windows support does not need are skipped.
void ListarTabelasEComponentes(const std::string& titulo, bool solicitado, bool forcar);

// The dump of one dataset (selected row, rows 1 to 100 and " >..."); the dataset is
// left on the row it was on. Appends to `linhas`.
void ListarConjuntoDeDados(std::vector<std::string>& linhas, const std::string& nome,
                           db::ConjuntoDeDados& conjunto, bool solicitado);

// Appends the technical information to the log and then copies the log into `saida`
// (one line per element) or, without `saida`, saves it as LogZAV.txt in the log folder.
// `janela` is the name of the window that asks ("" for none). Not requested, it does
// nothing while the log is disabled or not yet created.
void GravarInformacoesTecnicas(db::TModuloDados& modulo, bool solicitado, const std::string& janela,
                               std::vector<std::string>* saida);

// The technical information as the main window's support link takes it: the log
// restarts with one entry and the information is produced even with the log off.
std::vector<std::string> ObterInformacoesTecnicas(db::TModuloDados& modulo);

// Raises Erro with the message (or "Linha de código retornou resultado inválido")
// followed by the place in the source and the program's revision number.
[[noreturn]] void LevantarErroLocalizado(const std::string& arquivo, int linha,
                                         const std::string& metodo,
                                         const std::string& mensagem = "");

// The support package: LogZAV.txt with the technical information in a fresh folder
// under the temporary folder, and the topic and message for the support form.
struct PacoteDeSuporte {
    std::filesystem::path pasta;
    std::filesystem::path arquivo;
    std::string topico;    // "2"
    std::string mensagem;  // "Favor detalhar sua dúvida aqui ... anexar o arquivo '...'"
};

// The temporary folder: TEMP, else the system's temporary folder.
std::filesystem::path PastaTemporaria();

// Creates the package (raises Erro "Erro ao criar pasta temporária '...' em
// 'TPrincipal::URLdaZAVClick'" when the folder cannot be made).
PacoteDeSuporte CriarPacoteDeSuporte(db::TModuloDados& modulo);

// Deletes the file and the folder of the package once the support form has closed.
void RemoverPacoteDeSuporte(const PacoteDeSuporte& pacote);

}  // namespace zolvek::admin
