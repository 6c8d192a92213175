#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simulador/servidor/servidor.hpp"

// A backup file is a media set: a mark that says so, then its backup sets one after the
// other. Each set carries its description (database, files, options) and the database's
// pages, with a checksum of each page taken when the backup was written, so that a
// damaged backup is refused before it replaces anything.
namespace zolvek::simulador::interno {

struct ConjuntoDeBackup {
    std::string banco;
    bool usuarioUnico = false;
    std::string data;
    std::vector<ArquivoDoBanco> arquivos;
    std::vector<std::string> opcoes;
    // Where the pages lie in the media file, their size and one checksum per page.
    std::uint64_t inicio = 0;
    std::uint64_t tamanho = 0;
    std::uint32_t tamanhoDaPagina = 4096;
    std::vector<std::string> resumos;
};

// "Cannot open backup device '...'. Operating system error n(...)." for n 2, 3, 5, 32, 206.
ErroDeBanco DispositivoInacessivel(const std::string& disco, int erro);
// "The media family on device '...' is incorrectly formed. ..."
ErroDeBanco MidiaMalFormada(const std::string& disco);

// The sets of a media file, first to last. A missing file, a device or a file that is
// not a media set raises ErroDeBanco with SQL Server's messages.
std::vector<ConjuntoDeBackup> LerMidia(const std::filesystem::path& caminho,
                                       const std::string& disco);
// Set n (FILE = n, from 1) of the media: "Cannot find file ID n on device '...'."
ConjuntoDeBackup EscolherConjunto(const std::vector<ConjuntoDeBackup>& conjuntos, int numero,
                                  const std::string& disco);

// Writes `descricao` with the pages of the SQLite file `dados` to the media file. The
// new media is written beside it and renamed over it, so a failure leaves the old one.
void GravarConjunto(const std::filesystem::path& caminho, const std::string& disco,
                    ModoDaMidia modo, ConjuntoDeBackup descricao,
                    const std::filesystem::path& dados);

// Copies the set's pages to `destino`, checking each page's checksum and then the
// structure of the database they form: "RESTORE detected an error on page (1:n) in
// database "X" as read from the backup set." for a damaged page, "Damage to the backup set
// was detected." for damage no page accounts for (the destination is then removed).
void ExtrairConjunto(const std::filesystem::path& caminho, const std::string& disco,
                     const ConjuntoDeBackup& conjunto, const std::filesystem::path& destino);

}  // namespace zolvek::simulador::interno
