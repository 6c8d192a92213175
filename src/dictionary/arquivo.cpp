#include "dictionary/arquivo.hpp"

#include <algorithm>
#include <array>
#include <fstream>
#include <new>
#include <system_error>

#include "comum/erros.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "comum/texto.hpp"

namespace zolvek::dicionario {

const char ChaveDoDicionario[58] = "Zv7#Molvena!Dic2024-ABCDEF:estrutura&Banco$9xQ%kLpWtRjYhu";
static_assert(sizeof(ChaveDoDicionario) == 58, "the key has 57 characters");

namespace {

constexpr std::array<signed char, 256> TabelaHexadecimal() {
    std::array<signed char, 256> t{};
    for (auto& v : t) v = -1;
    for (int i = 0; i < 10; ++i) t['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        t['A' + i] = static_cast<signed char>(10 + i);
        t['a' + i] = static_cast<signed char>(10 + i);
    }
    return t;
}
constexpr auto kValorHexadecimal = TabelaHexadecimal();

std::string Mensagem(const std::string& inicio, const std::filesystem::path& caminho) {
    return inicio + " arquivo '" + caminho.string() + "' com o dicionário de dados";
}

}  // namespace

void DesembaralharDicionario(std::string& dados) {
    const std::size_t fim = std::min(dados.size(), dados.find('\0'));
    // Whole turns of the key, then the rest: no key-position test per byte.
    for (std::size_t inicio = 0; inicio < fim; inicio += kBytesUsadosDaChave) {
        const std::size_t n = std::min(kBytesUsadosDaChave, fim - inicio);
        char* c = dados.data() + inicio;
        for (std::size_t p = 0; p < n; ++p)
            if (c[p] != ChaveDoDicionario[p]) c[p] = static_cast<char>(c[p] ^ ChaveDoDicionario[p]);
    }
}

std::string ConteudoDoArquivo(std::string bytes, const std::string& caminho) {
    DesembaralharDicionario(bytes);
    const std::size_t pares = bytes.size() / 2;
    std::string conteudo(pares, '\0');
    for (std::size_t i = 0; i < pares; ++i) {
        const auto alto = kValorHexadecimal[static_cast<unsigned char>(bytes[2 * i])];
        const auto baixo = kValorHexadecimal[static_cast<unsigned char>(bytes[2 * i + 1])];
        if ((alto | baixo) < 0) {
            const std::size_t posicao = 2 * i + (alto < 0 ? 1 : 2);
            throw ErroDeEntrada("Arquivo '" + caminho +
                                "' com o dicionário de dados é inválido: caractere não "
                                "hexadecimal na posição " +
                                std::to_string(posicao));
        }
        conteudo[i] = static_cast<char>((alto << 4) | baixo);
    }
    if (const auto zero = conteudo.find('\0'); zero != std::string::npos) conteudo.resize(zero);
    return conteudo;
}

std::string CodificarConteudo(std::string_view conteudo) {
    static constexpr char kDigitos[] = "0123456789ABCDEF";
    std::string bytes(conteudo.size() * 2, '\0');
    for (std::size_t i = 0; i < conteudo.size(); ++i) {
        const auto b = static_cast<unsigned char>(conteudo[i]);
        bytes[2 * i] = kDigitos[b >> 4];
        bytes[2 * i + 1] = kDigitos[b & 0x0F];
    }
    DesembaralharDicionario(bytes);
    return bytes;
}

std::string LerArquivoDoDicionario(const std::filesystem::path& caminho) {
    std::error_code erro;
    if (!std::filesystem::exists(caminho, erro))
        throw ErroDeEntrada("Arquivo '" + caminho.string() +
                            "' com o dicionário de dados não foi encontrado");
    std::ifstream arquivo;
    if (!std::filesystem::is_directory(caminho, erro)) arquivo.open(caminho, std::ios::binary);
    if (!arquivo.is_open()) throw ErroDeEntrada(Mensagem("Erro ao abrir", caminho));
    arquivo.seekg(0, std::ios::end);
    const std::streamoff tamanho = arquivo.tellg();
    if (!arquivo || tamanho < 0)
        throw ErroDeEntrada(Mensagem("Erro ao calcular tamanho do", caminho));
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(tamanho));
    } catch (const std::bad_alloc&) {
        throw ErroDeEntrada(Mensagem("Erro ao ler", caminho));
    } catch (const std::length_error&) {
        throw ErroDeEntrada(Mensagem("Erro ao ler", caminho));
    }
    arquivo.seekg(0, std::ios::beg);
    arquivo.read(bytes.data(), tamanho);
    if (arquivo.gcount() != tamanho) throw ErroDeEntrada(Mensagem("Erro ao ler", caminho));
    return bytes;
}

void GravarArquivoDoDicionario(const std::filesystem::path& caminho, std::string_view bytes) {
    GravarArquivoInteiro(caminho, bytes, Mensagem("Erro ao gravar", caminho));
}

std::string ConteudoDasLinhas(const std::vector<std::string>& linhas, std::size_t primeiraLinha) {
    std::string conteudo;
    for (std::size_t i = 0; i < linhas.size(); ++i) {
        if (linhas[i].find_first_of("\r\n") != std::string::npos)
            throw ErroDeEntrada("Linha " + std::to_string(primeiraLinha + i) +
                                ": uma linha do dicionário não pode conter quebra de linha");
        try {
            conteudo += texto::ParaWindows1252(linhas[i]);
        } catch (const ErroDeEntrada& e) {
            throw ErroDeEntrada("Linha " + std::to_string(primeiraLinha + i) + ": " + e.what());
        }
        conteudo += "\r\n";
    }
    return conteudo;
}

std::vector<std::string_view> DividirLinhas(std::string_view texto) {
    std::vector<std::string_view> linhas;
    std::size_t inicio = 0;
    const std::size_t fim = texto.size();
    std::size_t p = 0;
    while (p < fim) {
        const char c = texto[p];
        if (c != '\r' && c != '\n') {
            ++p;
            continue;
        }
        linhas.push_back(texto.substr(inicio, p - inicio));
        p += (c == '\r' && p + 1 < fim && texto[p + 1] == '\n') ? 2 : 1;
        inicio = p;
    }
    if (inicio < fim) linhas.push_back(texto.substr(inicio));
    return linhas;
}

}  // namespace zolvek::dicionario
