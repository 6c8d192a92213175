// Translation of the program's OLE DB connection strings into ODBC ones.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conector/entradas_da_conexao.hpp"
#include "db/odbc/biblioteca_odbc.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "db/odbc/traducao.hpp"

namespace zolvek::db::odbc {

namespace {

bool ComecaSemCaixa(std::string_view s, std::string_view prefixo) {
    return s.size() >= prefixo.size() &&
           texto::IguaisSemCaixa(s.substr(0, prefixo.size()), prefixo);
}

bool ContemSemCaixa(std::string_view s, std::string_view parte) {
    return texto::Minusculas(s).find(texto::Minusculas(parte)) != std::string::npos;
}

// An ODBC value that holds separators or outer blanks goes in braces ("}" doubled).
std::string ValorOdbc(const std::string& valor) {
    const bool precisa = valor.find_first_of(";{}=") != std::string::npos ||
                         (!valor.empty() && (valor.front() == ' ' || valor.back() == ' '));
    if (!precisa) return valor;
    std::string saida = "{";
    for (char c : valor) {
        saida += c;
        if (c == '}') saida += '}';
    }
    return saida + "}";
}

bool ProvedorDeSqlServer(const std::string& provedor) {
    return provedor.empty() || ComecaSemCaixa(provedor, "SQLOLEDB") ||
           ComecaSemCaixa(provedor, "SQLNCLI") || ComecaSemCaixa(provedor, "MSOLEDBSQL");
}

#ifndef _WIN32
// Whether the driver manager knows a driver by that name (odbcinst.ini).
bool DriverRegistrado(const std::string& nome) {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(Odbc().SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return false;
    Odbc().SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool achou = false;
    SQLCHAR descricao[512];
    SQLCHAR atributos[2048];
    SQLSMALLINT tamDescricao = 0, tamAtributos = 0;
    SQLUSMALLINT direcao = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(Odbc().SQLDrivers(env, direcao, descricao, sizeof descricao, &tamDescricao,
                                           atributos, sizeof atributos, &tamAtributos))) {
        direcao = SQL_FETCH_NEXT;
        if (texto::IguaisSemCaixa(reinterpret_cast<const char*>(descricao), nome)) {
            achou = true;
            break;
        }
    }
    Odbc().SQLFreeHandle(SQL_HANDLE_ENV, env);
    return achou;
}
#endif

}  // namespace

std::string CaminhoDaBibliotecaFreeTds() {
    namespace fs = std::filesystem;
    const std::vector<std::string> nomes = {"libtdsodbc.so", "libtdsodbc.so.0", "libtdsodbc.dylib"};
    std::vector<fs::path> pastas;
    // Multiarch folders first (/usr/lib/x86_64-linux-gnu/odbc and the like).
    for (const char* base : {"/usr/lib", "/usr/lib64", "/usr/local/lib"}) {
        std::error_code erro;
        for (const auto& item : fs::directory_iterator(base, erro)) {
            std::error_code e2;
            if (item.is_directory(e2) &&
                item.path().filename().string().find("-linux-") != std::string::npos) {
                pastas.push_back(item.path() / "odbc");
                pastas.push_back(item.path());
            }
        }
        pastas.push_back(fs::path(base) / "odbc");
        pastas.push_back(base);
    }
    pastas.push_back("/opt/homebrew/lib");
    pastas.push_back("/usr/local/opt/freetds/lib");
    for (const auto& pasta : pastas)
        for (const auto& nome : nomes) {
            std::error_code erro;
            if (fs::is_regular_file(pasta / nome, erro)) return (pasta / nome).string();
        }
    return "";
}

std::string DriverPadrao() {
    if (const char* env = std::getenv("ZOLVEK_DRIVER_ODBC"); env && *env) return env;
#ifdef _WIN32
    return "SQL Server";
#else
    if (DriverRegistrado("FreeTDS")) return "FreeTDS";
    const std::string caminho = CaminhoDaBibliotecaFreeTds();
    return caminho.empty() ? "FreeTDS" : caminho;
#endif
}

std::string TraduzirParaOdbc(const std::string& cadeiaOleDb, const std::string& driverPadrao) {
    const std::string aparada = texto::Aparar(cadeiaOleDb);
    if (ComecaSemCaixa(aparada, "Driver=") || ComecaSemCaixa(aparada, "DSN=")) return cadeiaOleDb;

    const auto entradas = LerEntradasDaConexao(cadeiaOleDb);
    const std::string provedor = ValorDaEntrada(entradas, "Provider");

    // The OLE DB provider for ODBC: the rest of the string already speaks ODBC.
    if (ComecaSemCaixa(provedor, "MSDASQL")) {
        std::string saida;
        for (const auto& e : entradas) {
            if (texto::IguaisSemCaixa(e.chave, "Provider")) continue;
            if (!saida.empty()) saida += ';';
            saida += e.chave + "=" + ValorOdbc(e.valor);
        }
        return saida;
    }
    if (!ProvedorDeSqlServer(provedor))
        throw ErroDeEntrada("O provedor \"" + provedor +
                            "\" não é suportado: use SQLOLEDB (SQL Server) ou Simulador");

    std::string driver = ValorDaEntrada(entradas, "Driver");
    if (driver.empty()) driver = driverPadrao.empty() ? DriverPadrao() : driverPadrao;
    const bool freeTds = ContemSemCaixa(driver, "freetds") || ContemSemCaixa(driver, "tdsodbc");

    std::string saida = "Driver={" + driver + "}";
    auto acrescentar = [&saida](const std::string& chave, const std::string& valor) {
        saida += ";" + chave + "=" + ValorOdbc(valor);
    };

    std::string servidor = ValorDaEntrada(entradas, "Data Source");
    if (servidor.empty()) servidor = ValorDaEntrada(entradas, "Server");
    servidor = texto::Aparar(servidor);
    if (freeTds) {
        // FreeTDS takes the port apart and does not know the local-server aliases.
        if (ComecaSemCaixa(servidor, "tcp:")) servidor = servidor.substr(4);
        std::string porta;
        if (const auto virgula = servidor.find(','); virgula != std::string::npos) {
            porta = texto::Aparar(servidor.substr(virgula + 1));
            servidor = texto::Aparar(servidor.substr(0, virgula));
            // With an explicit port the instance name is not needed.
            if (const auto barra = servidor.find('\\'); barra != std::string::npos)
                servidor.resize(barra);
        }
        std::string host = servidor.substr(0, servidor.find('\\'));
        if (host.empty() || host == "." || texto::IguaisSemCaixa(host, "(local)"))
            servidor = "localhost" + servidor.substr(host.size());
        acrescentar("Server", servidor);
        if (!porta.empty()) acrescentar("Port", porta);
    } else {
        acrescentar("Server", servidor.empty() ? "(local)" : servidor);
    }

    if (const auto banco = ValorDaEntrada(entradas, "Initial Catalog"); !banco.empty())
        acrescentar("Database", banco);

    const std::string integrada = texto::Aparar(ValorDaEntrada(entradas, "Integrated Security"));
    if (texto::IguaisSemCaixa(integrada, "SSPI") || texto::IguaisSemCaixa(integrada, "true") ||
        texto::IguaisSemCaixa(integrada, "yes")) {
        saida += ";Trusted_Connection=yes";
    } else if (TemEntrada(entradas, "User ID")) {
        acrescentar("UID", ValorDaEntrada(entradas, "User ID"));
        acrescentar("PWD", ValorDaEntrada(entradas, "Password"));
    }
    if (const auto app = ValorDaEntrada(entradas, "Application Name"); !app.empty())
        acrescentar("APP", app);
    if (const auto estacao = ValorDaEntrada(entradas, "Workstation ID"); !estacao.empty())
        acrescentar("WSID", estacao);
    if (freeTds) saida += ";TDS_Version=7.4;ClientCharset=UTF-8";
    return saida;
}

std::string TraduzirParaOdbc(const std::string& cadeiaOleDb) {
    return TraduzirParaOdbc(cadeiaOleDb, "");
}

int TimeoutDeConexao(const std::string& cadeia) {
    std::vector<EntradaDaConexao> entradas;
    try {
        entradas = LerEntradasDaConexao(cadeia);
    } catch (const ErroDeEntrada&) {
        return kTimeoutDeConexaoPadrao;
    }
    std::string valor = ValorDaEntrada(entradas, "Connect Timeout");
    if (valor.empty()) valor = ValorDaEntrada(entradas, "Connection Timeout");
    if (valor.empty()) return kTimeoutDeConexaoPadrao;
    char* fim = nullptr;
    const long n = std::strtol(valor.c_str(), &fim, 10);
    if (fim == valor.c_str() || *fim != '\0' || n < 0 || n > 86400)
        throw ErroDeEntrada("Valor inválido para Connect Timeout: \"" + valor + "\"");
    return static_cast<int>(n);
}

}  // namespace zolvek::db::odbc
