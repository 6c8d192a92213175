#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "db/modulo_dados.hpp"

// Connecting the program to a database, without the dialogs: the front end asks for
// the connection string, calls ConectarBanco and shows what it raises.
namespace zolvek::admin {

// "Só usuário com atributo de 'db_owner' pode usar o sistema de manutenção"
extern const char* const kMensagemSemDbOwner;

// The name of the dictionary file beside the program.
extern const char* const kNomeDoArquivoDoDicionario;

// The running program's file; nullopt when it cannot be found.
std::optional<std::filesystem::path> CaminhoDoExecutavel();

// The dictionary beside the program: its folder + "ZAV_Molvena.DicD" (the bare name
// when the program's path is unknown).
std::filesystem::path CaminhoDoDicionarioPadrao();

// Connects the data module's connection `Banco`: loads the dictionary file, sets the
// connection string and opens the connection, and checks that the login is a member
// of db_owner (when not, closes the connection again and raises ErroDeEntrada with
// kMensagemSemDbOwner). Loader and provider errors propagate with their messages.
// On success runs the non-window part of enabling the commands and returns the new
// application title (nullopt: keep the current one, the company name is blank).
std::optional<std::string> ConectarBanco(db::TModuloDados& modulo, const std::string& cadeia,
                                         const std::filesystem::path& dicionario);

// The connection part of ConectarBanco, without the dictionary: opens `Banco` with the
// string and refuses a login that is not db_owner (ErroDeEntrada kMensagemSemDbOwner).
void AbrirComoDbOwner(db::TModuloDados& modulo, const std::string& cadeia);

// The part of HabilitarComandos that is not a widget: opens `Parametros` and builds
// the title from RAZAO_SOC: trimmed name + " - Manutenção " + VersaoDoPrograma, or
// nullopt when the name is blank or the database has no parameter tables yet.
std::optional<std::string> TituloDaEmpresa(db::TModuloDados& modulo);

// The title while disconnected: "Manutenção " + VersaoDoPrograma.
std::string TituloSemConexao();

}  // namespace zolvek::admin
