#include "dictionary/arquivo.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "auxiliares.hpp"
#include "comum/erros.hpp"

namespace zolvek::dicionario {
namespace {

using teste::PastaTemporaria;

std::string MensagemDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const Erro& e) {
        return e.what();
    }
    return "(sem erro)";
}

TEST(CamadaXor, PosicoesDaChaveSeRepetemACada51Bytes) {
    std::string dados(120, 'z');
    DesembaralharDicionario(dados);
    for (std::size_t i = 0; i < dados.size(); ++i) {
        const char k = ChaveDoDicionario[i % 51];
        ASSERT_EQ(dados[i], k == 'z' ? 'z' : static_cast<char>('z' ^ k)) << i;
    }
    // The 52nd byte uses key byte 0 again.
    EXPECT_EQ(dados[51], dados[0]);
}

TEST(CamadaXor, ByteIgualAoDaChaveFicaComoEstaEVoltaIgual) {
    // Plain text equal to the key bytes themselves is written unchanged.
    std::string dados(ChaveDoDicionario, 51);
    const std::string original = dados;
    DesembaralharDicionario(dados);
    EXPECT_EQ(dados, original);
    // Every hexadecimal digit at every key position survives the round trip.
    for (char c : std::string("0123456789ABCDEF"))
        for (std::size_t p = 0; p < 51; ++p) {
            std::string s(p + 1, '0');
            s[p] = c;
            const std::string antes = s;
            DesembaralharDicionario(s);
            DesembaralharDicionario(s);
            ASSERT_EQ(s, antes);
        }
}

TEST(CamadaHexadecimal, IdaEVolta) {
    std::string conteudo;
    for (int b = 1; b < 256; ++b) conteudo += static_cast<char>(b);
    EXPECT_EQ(ConteudoDoArquivo(CodificarConteudo(conteudo), "x"), conteudo);
}

TEST(CamadaHexadecimal, TamanhoImparIgnoraOUltimoByte) {
    std::string bytes = CodificarConteudo("abc");
    bytes += 'Q';  // any character: it is never looked at
    EXPECT_EQ(ConteudoDoArquivo(bytes, "x"), "abc");
}

TEST(CamadaHexadecimal, MinusculasSaoAceitas) {
    std::string hex = "4a6b";
    DesembaralharDicionario(hex);
    EXPECT_EQ(ConteudoDoArquivo(hex, "x"), "Jk");
}

TEST(CamadaHexadecimal, ZeroNoConteudoEncerraOConteudo) {
    EXPECT_EQ(ConteudoDoArquivo(CodificarConteudo(std::string("ab\0cd", 5)), "x"), "ab");
}

TEST(CamadaHexadecimal, CaractereNaoHexadecimalEhErroComPosicao) {
    std::string hex = "4142G3";
    DesembaralharDicionario(hex);
    EXPECT_EQ(MensagemDe([&] { ConteudoDoArquivo(hex, "d.DicD"); }),
              "Arquivo 'd.DicD' com o dicionário de dados é inválido: caractere não hexadecimal "
              "na posição 5");
    hex = "41424";
    hex += '\0';  // a zero byte in the file is not a digit either
    DesembaralharDicionario(hex);
    EXPECT_NE(MensagemDe([&] { ConteudoDoArquivo(hex, "d"); }).find("posição 6"),
              std::string::npos);
}

TEST(Linhas, TodosOsFinaisDeLinha) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(DividirLinhas("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(DividirLinhas("a\r\n"), (V{"a"}));
    EXPECT_EQ(DividirLinhas("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(DividirLinhas("\n\r"), (V{"", ""}));  // LF then a lone CR
    EXPECT_EQ(DividirLinhas(""), V{});
}

TEST(ConteudoDasLinhas, Windows1252ComCrLfEErroComALinha) {
    EXPECT_EQ(ConteudoDasLinhas({"ação", ""}), "a\xE7\xE3o\r\n\r\n");
    EXPECT_EQ(MensagemDe([] {
                  ConteudoDasLinhas({"ok", "ok", "Ω"});
              }),
              "Linha 3: O caractere 'Ω' (U+03A9) não tem representação em Windows-1252");
    EXPECT_THROW(ConteudoDasLinhas({"a\nb"}), ErroDeEntrada);
}

TEST(ArquivoEmDisco, MensagensDeLeitura) {
    PastaTemporaria pasta;
    const auto ausente = pasta / "nada.DicD";
    EXPECT_EQ(MensagemDe([&] { LerArquivoDoDicionario(ausente); }),
              "Arquivo '" + ausente.string() + "' com o dicionário de dados não foi encontrado");
    EXPECT_EQ(MensagemDe([&] { LerArquivoDoDicionario(pasta.caminho()); }),
              "Erro ao abrir arquivo '" + pasta.caminho().string() + "' com o dicionário de dados");
    const auto arquivo = pasta / "x.DicD";
    GravarArquivoDoDicionario(arquivo, std::string("\x01\x7F", 2));
    EXPECT_EQ(LerArquivoDoDicionario(arquivo), std::string("\x01\x7F", 2));
    EXPECT_FALSE(std::filesystem::exists(pasta / "x.DicD.tmp"));
}

TEST(ArquivoEmDisco, CaminhoPadraoFicaNaPastaDoPrograma) {
    EXPECT_EQ(CaminhoDoDicionario("/opt/zolvek/bin"),
              std::filesystem::path("/opt/zolvek/bin/ZAV_Molvena.DicD"));
    EXPECT_EQ(CaminhoDoDicionario(""), std::filesystem::path("ZAV_Molvena.DicD"));
}

}  // namespace
}  // namespace zolvek::dicionario
