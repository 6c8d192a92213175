#include "comum/log.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"

namespace zolvek::log {
namespace {

using Relogio = std::chrono::system_clock;

std::string LerBytes(const std::filesystem::path& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    std::ostringstream bytes;
    bytes << entrada.rdbuf();
    return bytes.str();
}

TEST(LinhaDoLog, LarguraEEstouro) {
    EXPECT_EQ(NumeroComZeros(42, 8), "00000042");
    EXPECT_EQ(NumeroComZeros(99999999, 8), "99999999");
    EXPECT_EQ(NumeroComZeros(100000000, 8), "********");
    EXPECT_EQ(NumeroComZeros(1000000, 6), "******");
    EXPECT_EQ(NumeroComZeros(-1, 6), "******");

    CamposDaLinha c;
    c.hora = Relogio::now();
    c.segundosDesdeOInicio = 3;
    c.milissegundosDesdeAAnterior = 1500;
    c.contador = 7;
    c.arquivo = "FPrincipal";
    c.linha = 341;
    c.metodo = "TPrincipal::X";
    const std::string inicio =
        TextoDeDataHoraLocal(c.hora) + ",00000003s,001500ms,00000007i,FPrincipal/341/TPrincipal::X";
    EXPECT_EQ(MontarLinhaDoLog(c), inicio);
    c.mensagem = "abrindo";
    EXPECT_EQ(MontarLinhaDoLog(c), inicio + ",abrindo");
    c.mensagem = "*perdida";
    EXPECT_EQ(MontarLinhaDoLog(c), inicio + std::string(80, '*'));
    c.mensagem = "duas\rpartes";
    EXPECT_EQ(MontarLinhaDoLog(c), inicio + "\r\nduas\rpartes");
    EXPECT_EQ(TextoDeDataHoraLocal(c.hora).size(), 19u);
}

class Log : public ::testing::Test {
  protected:
    void SetUp() override {
        DescartarLog();
        DefinirRelogioDoLog([this] { return agora; });
        DefinirConfiguracaoDoLog({});
    }
    void TearDown() override {
        DefinirRelogioDoLog(nullptr);
        DefinirConfiguracaoDoLog({});
        DescartarLog();
    }
    // The fields after the date-time.
    static std::string SemData(const std::string& linha) { return linha.substr(20); }

    Relogio::time_point agora = Relogio::now();
};

TEST_F(Log, DesabilitadoSoEscreveForcado) {
    RegistrarNoLog("A", 1, "M", "nada");
    EXPECT_TRUE(EntradasDoLog().empty());
    EXPECT_TRUE(LogCriado());
    // Enabling later does not count: the switch is read once.
    DefinirConfiguracaoDoLog({true, ""});
    RegistrarNoLog("A", 2, "M");
    EXPECT_TRUE(EntradasDoLog().empty());
    RegistrarNoLog("A", 3, "M", "", -1, true);
    EXPECT_EQ(EntradasDoLog().size(), 1u);
}

TEST_F(Log, TemposContadorELimpeza) {
    DefinirConfiguracaoDoLog({true, ""});
    RegistrarNoLog("A", 1, "M", "", 5);
    agora += std::chrono::milliseconds(2500);
    RegistrarNoLog("A", 2, "M", "x");
    agora += std::chrono::seconds(1000);
    RegistrarNoLog("A", 3, "M", "y", 9);
    RegistrarNoLog("A", 4, "M", "", -1, false, true);
    const auto& e = EntradasDoLog();
    ASSERT_EQ(e.size(), 1u);  // the last call cleared first
    EXPECT_EQ(SemData(e[0]), "00001002s,000000ms,00000009i,A/4/M");
    DescartarLog();
    RegistrarNoLog("A", 1, "M", "", 5);
    agora += std::chrono::milliseconds(2500);
    RegistrarNoLog("A", 2, "M", "x");
    agora += std::chrono::seconds(1000);
    RegistrarNoLog("A", 3, "M", "y");
    ASSERT_EQ(EntradasDoLog().size(), 3u);
    EXPECT_EQ(SemData(EntradasDoLog()[0]), "00000000s,000000ms,00000000i,A/1/M");
    EXPECT_EQ(SemData(EntradasDoLog()[1]), "00000002s,002500ms,00000005i,A/2/M,x");
    EXPECT_EQ(SemData(EntradasDoLog()[2]), "00001002s,******ms,00000005i,A/3/M,y");
}

TEST_F(Log, ArquivoEmWindows1252ComCrLf) {
    const auto pasta = teste::PastaTemporariaUnica("zolvek_log_");
    DefinirConfiguracaoDoLog({true, "  " + pasta.string() + "  "});
    EXPECT_EQ(PastaDoLog(ConfiguracaoAtual()), pasta);
    AdicionarAoLog("Ação");
    AdicionarAoLog("a\nb");
    AdicionarAoLog("€ ✓");
    const auto arquivo = SalvarLog(PastaDoLog(ConfiguracaoAtual()));
    EXPECT_EQ(arquivo, pasta / "LogZAV.txt");
    EXPECT_EQ(LerBytes(arquivo), "A\xE7\xE3o\r\na\r\nb\r\n\x80 ?\r\n");
    AdicionarAoLog("mais");
    SalvarLog(pasta);  // replaces the file
    EXPECT_TRUE(LerBytes(arquivo).ends_with("mais\r\n"));
    std::filesystem::remove_all(pasta);
    EXPECT_THROW(SalvarLog(pasta / "nao" / "existe"), zolvek::Erro);
}

TEST_F(Log, PastaEmBrancoUsaAPastaDoUsuario) {
    const char* anterior = std::getenv("USERPROFILE");
    const std::string guardado = anterior ? anterior : "";
    setenv("USERPROFILE", "/perfil/usuario", 1);
    EXPECT_EQ(PastaDoLog({true, "   "}), "/perfil/usuario");
    unsetenv("USERPROFILE");
    if (const char* home = std::getenv("HOME")) {
        EXPECT_EQ(PastaDoLog({true, ""}), home);
    }
    if (anterior) setenv("USERPROFILE", guardado.c_str(), 1);
}

}  // namespace
}  // namespace zolvek::log
