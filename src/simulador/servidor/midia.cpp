#include "simulador/servidor/midia.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/processos.hpp"
#include "simulador/servidor/resumo.hpp"

namespace zolvek::simulador::interno {

namespace {

constexpr char kMarcaDaMidia[] = "ZVMIDIA1";
constexpr char kMarcaDoConjunto[] = "ZVCONJ01";
constexpr std::size_t kTamanhoDaMarca = 8;
constexpr std::size_t kDigitosDoTamanho = 16;
constexpr std::size_t kDigitosDoResumo = 64;
// Of each page's SHA-256 the first 16 digits are kept: plenty to tell a damaged page.
constexpr std::size_t kDigitosPorPagina = 16;
// No description is this large; a larger length is a damaged file.
constexpr std::uint64_t kMaiorDescricao = 1ull << 30;

std::string Escapar(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '\\')
            r += "\\\\";
        else if (c == '\t')
            r += "\\t";
        else if (c == '\n')
            r += "\\n";
        else
            r += c;
    }
    return r;
}

std::string Desescapar(const std::string& s) {
    std::string r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            r += s[i];
            continue;
        }
        char c = s[++i];
        r += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    }
    return r;
}

std::vector<std::string> Campos(const std::string& linha) {
    std::vector<std::string> r(1);
    for (char c : linha) {
        if (c == '\t')
            r.emplace_back();
        else
            r.back() += c;
    }
    for (auto& c : r) c = Desescapar(c);
    return r;
}

std::string Descrever(const ConjuntoDeBackup& c) {
    std::string d = "banco\t" + Escapar(c.banco) + "\n";
    d += "usuario_unico\t" + std::string(c.usuarioUnico ? "1" : "0") + "\n";
    d += "data\t" + Escapar(c.data) + "\n";
    d += "versao\t" + std::string(kVersaoDoProduto) + "\n";
    d += "tamanho\t" + std::to_string(c.tamanho) + "\n";
    d += "pagina\t" + std::to_string(c.tamanhoDaPagina) + "\n";
    for (const auto& a : c.arquivos)
        d += "arquivo\t" + std::to_string(a.id) + "\t" + Escapar(a.nomeLogico) + "\t" +
             Escapar(a.nomeFisico) + "\t" + std::string(1, a.tipo) + "\t" + Escapar(a.grupo) +
             "\t" + std::to_string(a.tamanhoKb) + "\t" + std::to_string(a.tamanhoMaximoKb) + "\t" +
             std::to_string(a.crescimento) + "\t" + (a.crescimentoEmPorcentagem ? "1" : "0") + "\n";
    for (const auto& o : c.opcoes) d += "opcao\t" + Escapar(o) + "\n";
    d += "resumos\t";
    for (const auto& r : c.resumos) d += r;
    d += "\n";
    return d;
}

// Raises std::exception on any malformed part; the caller turns it into SQL Server's text.
ConjuntoDeBackup LerDescricao(const std::string& texto) {
    ConjuntoDeBackup c;
    std::size_t i = 0;
    std::string resumos;
    while (i < texto.size()) {
        std::size_t f = texto.find('\n', i);
        if (f == std::string::npos) throw std::runtime_error("linha");
        auto campos = Campos(texto.substr(i, f - i));
        i = f + 1;
        const std::string& chave = campos[0];
        if (chave == "banco" && campos.size() == 2) {
            c.banco = campos[1];
        } else if (chave == "usuario_unico" && campos.size() == 2) {
            c.usuarioUnico = campos[1] == "1";
        } else if (chave == "data" && campos.size() == 2) {
            c.data = campos[1];
        } else if (chave == "tamanho" && campos.size() == 2) {
            c.tamanho = std::stoull(campos[1]);
        } else if (chave == "pagina" && campos.size() == 2) {
            c.tamanhoDaPagina = static_cast<std::uint32_t>(std::stoul(campos[1]));
        } else if (chave == "arquivo" && campos.size() == 10) {
            ArquivoDoBanco a;
            a.id = std::stoi(campos[1]);
            a.nomeLogico = campos[2];
            a.nomeFisico = campos[3];
            a.tipo = campos[4].empty() ? 'D' : campos[4][0];
            a.grupo = campos[5];
            a.tamanhoKb = std::stoll(campos[6]);
            a.tamanhoMaximoKb = std::stoll(campos[7]);
            a.crescimento = std::stoll(campos[8]);
            a.crescimentoEmPorcentagem = campos[9] == "1";
            c.arquivos.push_back(a);
        } else if (chave == "opcao" && campos.size() == 2) {
            c.opcoes.push_back(campos[1]);
        } else if (chave == "resumos" && campos.size() == 2) {
            resumos = campos[1];
        }
    }
    if (c.banco.empty() || c.arquivos.empty() || c.tamanhoDaPagina < 512 ||
        c.tamanhoDaPagina > 65536)
        throw std::runtime_error("descrição");
    const std::uint64_t paginas = (c.tamanho + c.tamanhoDaPagina - 1) / c.tamanhoDaPagina;
    if (resumos.size() != paginas * kDigitosPorPagina) throw std::runtime_error("resumos");
    for (std::uint64_t p = 0; p < paginas; ++p)
        c.resumos.push_back(resumos.substr(p * kDigitosPorPagina, kDigitosPorPagina));
    return c;
}

std::string ResumoDaPagina(const std::string& pagina) {
    return ResumoSha256(pagina).substr(0, kDigitosPorPagina);
}

std::string Hexadecimal(std::uint64_t n) {
    static const char* digitos = "0123456789abcdef";
    std::string r(kDigitosDoTamanho, '0');
    for (std::size_t i = kDigitosDoTamanho; i-- > 0; n >>= 4) r[i] = digitos[n & 15];
    return r;
}

std::uint64_t LerHexadecimal(const std::string& s) {
    if (s.size() != kDigitosDoTamanho) throw std::runtime_error("tamanho");
    std::uint64_t n = 0;
    for (char c : s) {
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0) throw std::runtime_error("tamanho");
        n = n * 16 + static_cast<std::uint64_t>(v);
    }
    return n;
}

std::string Ler(std::ifstream& f, std::uint64_t n) {
    std::string s(static_cast<std::size_t>(n), '\0');
    if (n && !f.read(s.data(), static_cast<std::streamsize>(n))) throw std::runtime_error("curto");
    return s;
}

// SQLite writes its page size at offset 16 (big-endian; 1 stands for 65536).
std::uint32_t TamanhoDaPaginaSqlite(const std::filesystem::path& arquivo) {
    std::ifstream f(arquivo, std::ios::binary);
    unsigned char cabecalho[18] = {};
    if (!f.read(reinterpret_cast<char*>(cabecalho), sizeof cabecalho)) return 4096;
    std::uint32_t t = (static_cast<std::uint32_t>(cabecalho[16]) << 8) | cabecalho[17];
    return t == 1 ? 65536 : t < 512 ? 4096 : t;
}

void GravarNoDisco(const std::filesystem::path& arquivo) {
#ifndef _WIN32
    int fd = ::open(arquivo.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)arquivo;
#endif
}

// The bytes of one set as they lie in its media file, from its mark to its last page.
struct Registro {
    std::uint64_t inicio = 0;
    std::uint64_t fim = 0;
};

std::vector<std::pair<ConjuntoDeBackup, Registro>> LerRegistros(
    const std::filesystem::path& caminho, const std::string& disco) {
    std::error_code erro;
    const auto estado = std::filesystem::status(caminho, erro);
    if (!std::filesystem::exists(estado)) throw DispositivoInacessivel(disco, 2);
    // A device or a folder is never read as a media set.
    if (!std::filesystem::is_regular_file(estado)) throw DispositivoInacessivel(disco, 5);
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw DispositivoInacessivel(disco, 5);
    const std::uint64_t total = std::filesystem::file_size(caminho, erro);
    std::vector<std::pair<ConjuntoDeBackup, Registro>> r;
    try {
        if (erro || Ler(f, kTamanhoDaMarca) != kMarcaDaMidia) throw std::runtime_error("marca");
        std::uint64_t pos = kTamanhoDaMarca;
        while (pos < total) {
            Registro reg{pos, 0};
            if (Ler(f, kTamanhoDaMarca) != kMarcaDoConjunto) throw std::runtime_error("marca");
            const std::uint64_t tamanho = LerHexadecimal(Ler(f, kDigitosDoTamanho));
            if (tamanho > kMaiorDescricao || tamanho > total) throw std::runtime_error("tamanho");
            const std::string descricao = Ler(f, tamanho);
            if (Ler(f, kDigitosDoResumo) != ResumoSha256(descricao))
                throw std::runtime_error("resumo");
            ConjuntoDeBackup c = LerDescricao(descricao);
            c.inicio = pos + kTamanhoDaMarca + kDigitosDoTamanho + tamanho + kDigitosDoResumo;
            if (c.tamanho > total || c.inicio + c.tamanho > total)
                throw std::runtime_error("dados");
            pos = c.inicio + c.tamanho;
            reg.fim = pos;
            f.seekg(static_cast<std::streamoff>(pos));
            r.emplace_back(std::move(c), reg);
        }
    } catch (const ErroDeBanco&) {
        throw;
    } catch (const std::exception&) {
        throw MidiaMalFormada(disco);
    }
    if (r.empty()) throw MidiaMalFormada(disco);
    return r;
}

void CopiarBytes(std::ifstream& de, std::ofstream& para, std::uint64_t n) {
    std::string bloco(1 << 16, '\0');
    while (n > 0) {
        const auto parte = static_cast<std::streamsize>(std::min<std::uint64_t>(n, bloco.size()));
        if (!de.read(bloco.data(), parte)) throw std::runtime_error("leitura");
        para.write(bloco.data(), parte);
        n -= static_cast<std::uint64_t>(parte);
    }
}

ErroDeBanco ErroNaPagina(std::uint64_t pagina, const std::string& banco) {
    return ErroDoServidor(3183, {std::to_string(pagina), banco});
}

ErroDeBanco DanoNoConjunto() {
    return ErroDoServidor(3189);
}

// The page a line of SQLite's integrity report names ("Page 7: ...", "On tree page 7
// cell 2: ..."); 0 when it names none.
std::uint64_t PaginaDaLinha(const std::string& linha) {
    for (std::size_t p = 0; p + 5 < linha.size(); ++p) {
        if ((linha[p] != 'p' && linha[p] != 'P') || linha.compare(p + 1, 4, "age ") != 0) continue;
        std::uint64_t n = 0;
        std::size_t k = p + 5;
        for (; k < linha.size() && linha[k] >= '0' && linha[k] <= '9' && n < (1ull << 40); ++k)
            n = n * 10 + static_cast<std::uint64_t>(linha[k] - '0');
        if (k > p + 5 && n > 0) return n;
    }
    return 0;
}

// Checks the structure of the database a set's pages form. The rows are not judged by
// the CHECK constraints: one added WITH NOCHECK, or switched off for a while, leaves rows
// that break it, and they are data SQL Server backs up and restores as they are.
void VerificarIntegridade(const std::filesystem::path& arquivo, const std::string& banco) {
    sqlite3* db = AbrirBancoDoMotor(arquivo.string(), false);
    std::vector<std::string> relatorio;
    int codigo =
        sqlite3_exec(db, "PRAGMA ignore_check_constraints = ON", nullptr, nullptr, nullptr);
    sqlite3_stmt* verificar = nullptr;
    if (codigo == SQLITE_OK)
        codigo = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &verificar, nullptr);
    if (codigo == SQLITE_OK) {
        while ((codigo = sqlite3_step(verificar)) == SQLITE_ROW) {
            const auto* linha = sqlite3_column_text(verificar, 0);
            const std::string texto = linha ? reinterpret_cast<const char*>(linha) : "";
            if (texto != "ok") relatorio.push_back(texto);
        }
        if (codigo == SQLITE_DONE) codigo = SQLITE_OK;
    }
    if (codigo != SQLITE_OK) codigo = sqlite3_extended_errcode(db);
    sqlite3_finalize(verificar);
    FecharArquivoSqlite(db);
    const int primario = codigo & 0xff;
    if (primario == SQLITE_CORRUPT || primario == SQLITE_NOTADB) throw DanoNoConjunto();
    if (codigo != SQLITE_OK)
        throw ErroDeBanco("O simulador de SQL Server não conseguiu verificar o banco de dados \"" +
                          banco + "\" da cópia de segurança (código " + std::to_string(codigo) +
                          " do SQLite).");
    for (const auto& linha : relatorio)
        if (const auto pagina = PaginaDaLinha(linha)) throw ErroNaPagina(pagina, banco);
    if (!relatorio.empty()) throw DanoNoConjunto();
}

}  // namespace

ErroDeBanco DispositivoInacessivel(const std::string& disco, int erro) {
    const char* causa =
        erro == 2     ? "(The system cannot find the file specified.)."
        : erro == 5   ? "(Access is denied.)."
        : erro == 32  ? "(The process cannot access the file because it is being used by another "
                        "process.)."
        : erro == 206 ? "(The filename or extension is too long.)."
                      : "(The system cannot find the path specified.).";
    return ErroDoServidor(3201, {disco, std::to_string(erro) + causa});
}

ErroDeBanco MidiaMalFormada(const std::string& disco) {
    return ErroDoServidor(3241, {disco});
}

std::vector<ConjuntoDeBackup> LerMidia(const std::filesystem::path& caminho,
                                       const std::string& disco) {
    std::vector<ConjuntoDeBackup> r;
    for (auto& [c, reg] : LerRegistros(caminho, disco)) r.push_back(std::move(c));
    return r;
}

ConjuntoDeBackup EscolherConjunto(const std::vector<ConjuntoDeBackup>& conjuntos, int numero,
                                  const std::string& disco) {
    if (numero < 1 || static_cast<std::size_t>(numero) > conjuntos.size())
        throw ErroDoServidor(4038, {std::to_string(numero), disco});
    return conjuntos[static_cast<std::size_t>(numero) - 1];
}

void GravarConjunto(const std::filesystem::path& caminho, const std::string& disco,
                    ModoDaMidia modo, ConjuntoDeBackup descricao,
                    const std::filesystem::path& dados) {
    std::error_code erro;
    const auto estado = std::filesystem::symlink_status(caminho, erro);
    const bool existe = std::filesystem::exists(estado);
    // Only a regular file is ever written: never a device, a folder or a link.
    if (existe && !std::filesystem::is_regular_file(estado)) throw DispositivoInacessivel(disco, 5);
    std::vector<Registro> mantidos;
    if (existe && modo != ModoDaMidia::Formatar) {
        auto registros = LerRegistros(caminho, disco);
        if (modo == ModoDaMidia::Acrescentar)
            for (const auto& [c, reg] : registros) mantidos.push_back(reg);
    }

    // The pages' checksums come first, so the description can precede the pages.
    descricao.tamanhoDaPagina = TamanhoDaPaginaSqlite(dados);
    descricao.tamanho = std::filesystem::file_size(dados);
    descricao.resumos.clear();
    {
        std::ifstream f(dados, std::ios::binary);
        std::string pagina(descricao.tamanhoDaPagina, '\0');
        for (std::uint64_t lido = 0; lido < descricao.tamanho; lido += pagina.size()) {
            const auto parte =
                std::min<std::uint64_t>(descricao.tamanhoDaPagina, descricao.tamanho - lido);
            pagina.resize(static_cast<std::size_t>(parte));
            if (!f.read(pagina.data(), static_cast<std::streamsize>(parte)))
                throw DispositivoInacessivel(disco, 5);
            descricao.resumos.push_back(ResumoDaPagina(pagina));
        }
    }
    const std::string texto = Descrever(descricao);

    static std::atomic<int> contador{0};
    const std::filesystem::path temporario(caminho.string() + ".tmp" + std::to_string(PidAtual()) +
                                           "-" + std::to_string(contador++));
    try {
        {
            std::ofstream saida(temporario, std::ios::binary | std::ios::trunc);
            if (!saida) throw DispositivoInacessivel(disco, 3);
            saida.write(kMarcaDaMidia, kTamanhoDaMarca);
            if (!mantidos.empty()) {
                std::ifstream antiga(caminho, std::ios::binary);
                for (const auto& reg : mantidos) {
                    antiga.seekg(static_cast<std::streamoff>(reg.inicio));
                    CopiarBytes(antiga, saida, reg.fim - reg.inicio);
                }
            }
            saida.write(kMarcaDoConjunto, kTamanhoDaMarca);
            saida << Hexadecimal(texto.size()) << texto << ResumoSha256(texto);
            std::ifstream f(dados, std::ios::binary);
            CopiarBytes(f, saida, descricao.tamanho);
            saida.flush();
            if (!saida) throw DispositivoInacessivel(disco, 3);
        }
        GravarNoDisco(temporario);
        std::filesystem::rename(temporario, caminho);
    } catch (const ErroDeBanco&) {
        std::filesystem::remove(temporario, erro);
        throw;
    } catch (const std::exception&) {
        std::filesystem::remove(temporario, erro);
        throw DispositivoInacessivel(disco, 3);
    }
}

void ExtrairConjunto(const std::filesystem::path& caminho, const std::string& disco,
                     const ConjuntoDeBackup& conjunto, const std::filesystem::path& destino) {
    try {
        std::ifstream f(caminho, std::ios::binary);
        std::ofstream saida(destino, std::ios::binary | std::ios::trunc);
        if (!f || !saida) throw DispositivoInacessivel(disco, 5);
        f.seekg(static_cast<std::streamoff>(conjunto.inicio));
        std::string pagina;
        std::uint64_t numero = 0;
        for (std::uint64_t lido = 0; lido < conjunto.tamanho; lido += pagina.size(), ++numero) {
            const auto parte =
                std::min<std::uint64_t>(conjunto.tamanhoDaPagina, conjunto.tamanho - lido);
            pagina.assign(static_cast<std::size_t>(parte), '\0');
            if (!f.read(pagina.data(), static_cast<std::streamsize>(parte)))
                throw MidiaMalFormada(disco);
            if (ResumoDaPagina(pagina) != conjunto.resumos[numero])
                throw ErroNaPagina(numero + 1, conjunto.banco);
            saida.write(pagina.data(), static_cast<std::streamsize>(parte));
        }
        saida.flush();
        if (!saida) throw DispositivoInacessivel(disco, 3);
    } catch (...) {
        RemoverArquivoSqlite(destino);
        throw;
    }
    // The pages are those that were written; the database they form must be whole too.
    try {
        VerificarIntegridade(destino, conjunto.banco);
    } catch (...) {
        RemoverArquivoSqlite(destino);
        throw;
    }
    GravarNoDisco(destino);
}

}  // namespace zolvek::simulador::interno
