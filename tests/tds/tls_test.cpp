// TLS inside PRELOGIN: the whole connection encrypted, or only the login; and a client
// that demands encryption from a listener without a certificate is turned away.
#include <gtest/gtest.h>

#include <cstdlib>

#include "apoio_tds.hpp"
#include "comum/erros.hpp"
#include "db/odbc/traducao.hpp"
#include "simulador/tds/biblioteca_tls.hpp"

namespace zolvek::simulador::tds::teste {
namespace {

std::string SelecionarPorOdbc(int porta, const std::string& criptografia) {
    db::Conexao c;
    c.DefinirStringDeConexao("Driver=" + db::odbc::CaminhoDaBibliotecaFreeTds() +
                             ";Server=127.0.0.1;Port=" + std::to_string(porta) +
                             ";Database=Teste;UID=sa;PWD=;TDS_Version=7.4;ClientCharset=UTF-8;"
                             "Encryption=" +
                             criptografia);
    c.Abrir();
    db::Consulta q(&c);
    q.DefinirSQL("select N'cifrado ' + cast(count(*) as varchar(5)) from T");
    q.Abrir();
    return q.Campos().at(0).Texto();
}

TEST(TlsDoServidor, ComCertificadoCifraTudoOuSoOLogin) {
    const auto pasta =
        std::filesystem::temp_directory_path() / ("zolvek_tds_cert_" + std::to_string(::getpid()));
    std::filesystem::create_directories(pasta);
    const std::string cert = (pasta / "cert.pem").string(), chave = (pasta / "chave.pem").string();
    const std::string gerar =
        "openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=localhost "
        "-days 1 -keyout '" +
        chave + "' -out '" + cert + "' 2>/dev/null";
    ASSERT_EQ(std::system(gerar.c_str()), 0);
    {
        ServidorDeTeste servidor(cert, chave);
        EXPECT_EQ(SelecionarPorOdbc(servidor.Porta(), "require"), "cifrado 0");
        EXPECT_EQ(SelecionarPorOdbc(servidor.Porta(), "off"), "cifrado 0");
    }
    OpcoesDoServidorTds semChave;
    semChave.pasta = (pasta / "s").string();
    semChave.porta = 0;
    semChave.certificado = semChave.chave = cert;  // a certificate is no key
    EXPECT_THROW(ServidorTds(semChave).Iniciar(), ErroDeEntrada);
    std::filesystem::remove_all(pasta);
}

TEST(TlsDoServidor, SemCertificadoQuemExigeCriptografiaEhRecusado) {
    ServidorDeTeste servidor;
    EXPECT_THROW(SelecionarPorOdbc(servidor.Porta(), "require"), ErroDeBanco);
    EXPECT_TRUE(servidor.EsperarLinha({"recusada", "exige criptografia", "--certificado"}))
        << servidor.Log();
    EXPECT_EQ(SelecionarPorOdbc(servidor.Porta(), "off"), "cifrado 0");
}

// OpenSSL is opened when a listener starts with a certificate: one that cannot be
// loaded, or that lacks a function, is told by name.
TEST(TlsDoServidor, OpenSslAusenteDaErroClaro) {
    const auto falha = [](const std::string& biblioteca) {
        try {
            CarregarFuncoesTls(biblioteca);
        } catch (const ErroDeEntrada& e) {
            return std::string(e.what());
        }
        return std::string("carregou");
    };
    EXPECT_EQ(falha("libzolvek_inexistente.so.9")
                  .rfind("Não foi possível iniciar o TLS: a biblioteca libzolvek_inexistente.so.9 "
                         "não pôde ser carregada (",
                         0),
              0u);
    EXPECT_EQ(falha("libm.so.6"),
              "Não foi possível iniciar o TLS: a biblioteca libm.so.6 não tem a função "
              "TLS_server_method");
}

}  // namespace
}  // namespace zolvek::simulador::tds::teste
