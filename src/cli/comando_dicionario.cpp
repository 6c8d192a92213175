#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "comum/erros.hpp"
#include "dictionary/arquivo.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/escritor.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zolvek::cli {

namespace {

namespace dic = zolvek::dicionario;
namespace fs = std::filesystem;

// The folder of the running program; empty when it cannot be found.
fs::path PastaDoExecutavel() {
    std::error_code erro;
#ifdef _WIN32
    wchar_t caminho[32768];
    const DWORD n = GetModuleFileNameW(nullptr, caminho, 32768);
    if (n == 0 || n >= 32768) return {};
    return fs::path(std::wstring(caminho, n)).parent_path();
#else
    const fs::path caminho = fs::read_symlink("/proc/self/exe", erro);
    if (erro) return {};
    return caminho.parent_path();
#endif
}

std::string LerTexto(const fs::path& caminho) {
    std::string conteudo =
        LerArquivoInteiro(caminho, "Não foi possível ler o arquivo '" + caminho.string() + "'");
    if (conteudo.rfind("\xEF\xBB\xBF", 0) == 0) conteudo.erase(0, 3);  // UTF-8 mark
    return conteudo;
}

int Codificar(const std::vector<std::string>& p) {
    if (p.size() != 3) throw ErroDeUso("Uso: zolvek-cli dicionario codificar TEXTO SAIDA.DicD");
    const std::string bytes = dic::CodificarTexto(LerTexto(p[1]));
    dic::GravarArquivoDoDicionario(p[2], bytes);
    return kSaidaSucesso;
}

int Decodificar(const std::vector<std::string>& p) {
    if (p.size() != 3) throw ErroDeUso("Uso: zolvek-cli dicionario decodificar ENTRADA.DicD SAIDA");
    const std::string texto =
        dic::DecodificarParaTexto(dic::LerArquivoDoDicionario(p[1]), fs::path(p[1]).string());
    if (p[2] == "-") {
        std::cout << texto;
        return kSaidaSucesso;
    }
    dic::GravarArquivoDoDicionario(p[2], texto);
    return kSaidaSucesso;
}

std::string DescreverTipo(const dic::CampoDic& c) {
    std::string tipo = c.Tipo ? std::string(1, c.Tipo) : std::string("(sem tipo)");
    switch (c.Tipo) {
        case 'C':
        case 'c':
        case 'L':
            tipo += "(" + std::to_string(c.Tamanho) + ")";
            break;
        case 'N':
        case 'F':
            tipo += "(" + std::to_string(c.Tamanho) + "," + std::to_string(c.Decimais) + ")";
            break;
        default:
            break;
    }
    return tipo;
}

void MostrarTabela(std::ostream& saida, const dic::TabelaDic& t) {
    saida << "\nTabela " << t.Nome << " - " << t.Descricao << " [classe " << t.Classe
          << (t.Restrita ? ", restrita" : "") << ", sistemas " << t.Sistemas << "]\n";
    saida << "  Campos (" << t.Campos.size() << "):\n";
    for (const auto& c : t.Campos) {
        saida << "    " << c.Nome << " " << DescreverTipo(c);
        if (c.Obrigatorio) saida << " obrigatório";
        if (!c.ValoresValidos.empty()) saida << " valores: " << c.ValoresValidos;
        if (!c.ValorPadrao.empty()) saida << " padrão: " << c.ValorPadrao;
        if (!c.Validacao.empty()) saida << " validação: " << c.Validacao;
        if (!c.TabelaReferenciada.empty())
            saida << " referência: " << c.TabelaReferenciada << "(" << c.CampoReferenciado << ")";
        if (!c.Titulo.empty()) saida << " \"" << c.Titulo << "\"";
        saida << "\n";
    }
    if (t.Indices.empty()) return;
    saida << "  Índices (" << t.Indices.size() << "):\n";
    for (const auto& i : t.Indices) {
        saida << "    " << i.Nome << " (" << i.Colunas << ")";
        if (i.Primario) saida << " chave primária";
        if (i.Unico) saida << " único";
        saida << "\n";
    }
}

int Mostrar(const std::vector<std::string>& p) {
    if (p.size() > 2) throw ErroDeUso("Uso: zolvek-cli dicionario mostrar [ARQUIVO]");
    const fs::path caminho =
        p.size() == 2 ? fs::path(p[1]) : dic::CaminhoDoDicionario(PastaDoExecutavel());
    dic::DicionarioDeDados dicionario;
    std::vector<std::string> script, parametros;
    // Shown even when it does not hold what line 4 declares, with a warning at the end.
    dicionario.CarregarDicionario(caminho, dic::TipoDeServidor::SqlServer, &script, &parametros,
                                  dic::ContagensDaLinha4::Aceitar);

    std::size_t campos = 0, indices = 0;
    for (const auto& t : dicionario.Tabelas()) {
        campos += t.Campos.size();
        indices += t.Indices.size();
    }
    const auto& d = dicionario.Declaradas();
    std::ostream& saida = std::cout;
    saida << "Arquivo: " << caminho.string() << "\n"
          << "Revisão do dicionário: " << dicionario.RevisaoDoDicionario() << "\n"
          << "Tabelas: " << dicionario.Tabelas().size() << ", campos: " << campos
          << ", índices: " << indices << " (declarados: " << d.tabelas << ", " << d.campos << ", "
          << d.indices << ")\n"
          << "Linhas de script para SQL Server: " << script.size() << "\n"
          << "Tabelas de parâmetro:";
    for (const auto& nome : parametros) saida << " " << nome;
    saida << "\n";
    for (const auto& t : dicionario.Tabelas()) MostrarTabela(saida, t);
    const std::string diferenca = dic::DiferencaDasContagens(d, dicionario.Tabelas());
    if (diferenca.empty()) return kSaidaSucesso;
    saida << "\nAtenção: " << diferenca
          << ". O arquivo está cortado ou foi alterado, e a análise e as outras operações o "
             "recusam.\n";
    return kSaidaFalha;
}

int ExecutarDicionario(const std::vector<std::string>& argumentos) {
    const Argumentos args(argumentos, {}, {});
    const auto& p = args.Posicionais();
    if (p.empty()) throw ErroDeUso("Informe a operação: codificar, decodificar ou mostrar");
    if (p[0] == "codificar") return Codificar(p);
    if (p[0] == "decodificar") return Decodificar(p);
    if (p[0] == "mostrar") return Mostrar(p);
    throw ErroDeUso("Operação desconhecida: " + p[0] + " (use codificar, decodificar ou mostrar)");
}

const RegistrarComando registroDicionario({
    "dicionario",
    "codifica, decodifica e mostra o dicionário de dados",
    []() -> std::string {
        return "Uso:\n"
               "  zolvek-cli dicionario codificar TEXTO SAIDA.DicD\n"
               "      Codifica um texto UTF-8 com as linhas do dicionário no formato do arquivo\n"
               "      ZAV_Molvena.DicD.\n"
               "  zolvek-cli dicionario decodificar ENTRADA.DicD SAIDA\n"
               "      Grava o conteúdo do arquivo como texto UTF-8 (SAIDA \"-\": na tela).\n"
               "  zolvek-cli dicionario mostrar [ARQUIVO]\n"
               "      Mostra a revisão, as contagens e as tabelas com seus campos e índices.\n"
               "      Sem ARQUIVO, lê o ZAV_Molvena.DicD da pasta do programa. Um arquivo cujas\n"
               "      contagens não conferem com a linha 4 (cortado ou alterado) é mostrado com "
               "um\n"
               "      aviso no fim e saída 1.\n\n"
               "Saída: 0 sucesso, 1 erro, 2 uso incorreto.\n";
    },
    ExecutarDicionario,
});

}  // namespace

}  // namespace zolvek::cli
