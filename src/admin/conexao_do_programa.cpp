#include "admin/conexao_do_programa.hpp"

#include <system_error>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "comum/versao.hpp"
#include "dictionary/dicionario.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zolvek::admin {

const char* const kMensagemSemDbOwner =
    "Só usuário com atributo de 'db_owner' pode usar o sistema de manutenção";

const char* const kNomeDoArquivoDoDicionario = dicionario::kNomeDoArquivo;

std::optional<std::filesystem::path> CaminhoDoExecutavel() {
#ifdef _WIN32
    wchar_t caminho[32768];
    DWORD n = GetModuleFileNameW(nullptr, caminho, static_cast<DWORD>(std::size(caminho)));
    if (n == 0 || n >= std::size(caminho)) return std::nullopt;
    return std::filesystem::path(std::wstring(caminho, n));
#else
    std::error_code erro;
    auto caminho = std::filesystem::read_symlink("/proc/self/exe", erro);
    if (erro || caminho.empty()) return std::nullopt;
    return caminho;
#endif
}

std::filesystem::path CaminhoDoDicionarioPadrao() {
    auto executavel = CaminhoDoExecutavel();
    return dicionario::CaminhoDoDicionario(executavel ? executavel->parent_path()
                                                      : std::filesystem::path());
}

std::optional<std::string> ConectarBanco(db::TModuloDados& modulo, const std::string& cadeia,
                                         const std::filesystem::path& arquivoDoDicionario) {
    // Without script lines the server kind plays no part in the load.
    dicionario::DicionarioDoPrograma().CarregarDicionario(
        arquivoDoDicionario, static_cast<dicionario::TipoDeServidor>(modulo.TipoDeServidor));
    AbrirComoDbOwner(modulo, cadeia);
    return TituloDaEmpresa(modulo);
}

void AbrirComoDbOwner(db::TModuloDados& modulo, const std::string& cadeia) {
    modulo.Banco.Fechar();
    modulo.Banco.DefinirStringDeConexao(cadeia);
    modulo.Conectar();
    bool dbo = false;
    try {
        dbo = modulo.UsuarioEDbo();
    } catch (...) {
        modulo.Banco.Fechar();
        throw;
    }
    if (!dbo) {
        modulo.Banco.Fechar();
        throw ErroDeEntrada(kMensagemSemDbOwner);
    }
}

std::optional<std::string> TituloDaEmpresa(db::TModuloDados& modulo) {
    // Reopened, so that a new connection never shows the name read from an older one.
    modulo.Parametros.Fechar();
    try {
        modulo.AbrirParametros();
    } catch (const ErroDeBanco&) {
        // A new, still empty database has no parameter tables: it is connected all the
        // same, so that "Analisar" can build them; the panel tells it is out of date.
        return std::nullopt;
    }
    const db::Campo* razao = modulo.Parametros.AcharCampo("RAZAO_SOC");
    const std::string nome = texto::Aparar(razao ? razao->Texto() : std::string());
    if (nome.empty()) return std::nullopt;
    return nome + " - Manutenção " + versao::VersaoDoPrograma();
}

std::string TituloSemConexao() {
    return "Manutenção " + versao::VersaoDoPrograma();
}

}  // namespace zolvek::admin
