// The real backend: ODBC through the wide (UTF-16) calls, ODBC 3 behaviour.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conector/cancelamento.hpp"
#include "db/conector/provedores.hpp"
#include "db/odbc/biblioteca_odbc.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "db/odbc/diagnostico.hpp"
#include "db/odbc/leitura.hpp"
#include "db/odbc/nomes.hpp"
#include "db/odbc/parametros.hpp"
#include "db/odbc/traducao.hpp"
#include "db/odbc/utf16.hpp"

namespace zolvek::db::odbc {

namespace {

SQLWCHAR* Largo(std::u16string& s) {
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

// A statement handle freed on every path.
class Comando {
  public:
    explicit Comando(SQLHDBC dbc) {
        Verificar(Odbc().SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h_), SQL_HANDLE_DBC, dbc,
                  "preparar o comando");
    }
    ~Comando() {
        if (h_ != SQL_NULL_HSTMT) Odbc().SQLFreeHandle(SQL_HANDLE_STMT, h_);
    }
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;
    SQLHSTMT h() const { return h_; }

    void DefinirTimeout(int segundos) {
        // A driver that cannot honour it answers with a warning; the command still runs.
        Odbc().SQLSetStmtAttr(
            h_, SQL_ATTR_QUERY_TIMEOUT,
            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(segundos < 0 ? 0 : segundos)), 0);
    }

  private:
    SQLHSTMT h_ = SQL_NULL_HSTMT;
};

// Reads every result of an executed statement: row sets and counts, in order, and the
// messages (a success "with info" of mere warnings) that came with them.
std::vector<Resultado> ColherResultados(SQLHSTMT h, SQLRETURN rc,
                                        std::vector<Mensagem>& mensagens) {
    std::vector<Resultado> resultados;
    while (true) {
        if (rc == SQL_SUCCESS_WITH_INFO)
            for (auto& m : LerDiagnostico(SQL_HANDLE_STMT, h).avisos) {
                m.resultado = resultados.size();
                mensagens.push_back(std::move(m));
            }
        if (rc != SQL_NO_DATA) Verificar(rc, SQL_HANDLE_STMT, h, "executar o comando");
        SQLSMALLINT colunas = 0;
        if (rc != SQL_NO_DATA)
            Verificar(Odbc().SQLNumResultCols(h, &colunas), SQL_HANDLE_STMT, h, "ler o resultado");
        Resultado r;
        if (colunas > 0) {
            LerConjunto(h, colunas, r);
        } else {
            SQLLEN contagem = -1;
            if (!SQL_SUCCEEDED(Odbc().SQLRowCount(h, &contagem))) contagem = -1;
            if (rc == SQL_NO_DATA && contagem < 0) contagem = 0;
            r.linhasAfetadas = contagem;
        }
        // A PRINT after the last result comes as one more "result" that holds nothing
        // but its message: the message is kept, the empty result is not.
        const bool soMensagem = colunas == 0 && r.linhasAfetadas < 0 &&
                                rc == SQL_SUCCESS_WITH_INFO && !resultados.empty();
        if (!soMensagem) resultados.push_back(std::move(r));
        rc = Odbc().SQLMoreResults(h);
        if (rc == SQL_NO_DATA) break;
    }
    return resultados;
}

class ConectorOdbc : public Conector {
  public:
    explicit ConectorOdbc(std::string cadeia)
        : cadeiaOdbc_(TraduzirParaOdbc(cadeia)), timeoutConexao_(TimeoutDeConexao(cadeia)) {}
    ~ConectorOdbc() override { Fechar(); }

    void Abrir() override {
        if (aberto_) return;
        Fechar();
        if (!SQL_SUCCEEDED(Odbc().SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
            throw ErroDeBanco("Não foi possível iniciar o gerenciador de drivers ODBC");
        Verificar(Odbc().SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                                       reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                  SQL_HANDLE_ENV, env_, "pedir ODBC 3");
        Verificar(Odbc().SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_), SQL_HANDLE_ENV, env_,
                  "preparar a conexão");
        Odbc().SQLSetConnectAttr(
            dbc_, SQL_ATTR_LOGIN_TIMEOUT,
            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutConexao_)), 0);
        std::u16string entrada = ParaUtf16(cadeiaOdbc_);
        std::u16string saida(2048, u'\0');
        SQLSMALLINT tamanho = 0;
        const SQLRETURN rc = Odbc().SQLDriverConnectW(
            dbc_, nullptr, Largo(entrada), static_cast<SQLSMALLINT>(entrada.size()), Largo(saida),
            static_cast<SQLSMALLINT>(saida.size()), &tamanho, SQL_DRIVER_NOPROMPT);
        try {
            Verificar(rc, SQL_HANDLE_DBC, dbc_, "conectar ao servidor");
        } catch (const ErroDeBanco& e) {
            Fechar();
            throw ErroDeBanco(
                "Não foi possível conectar ao banco de dados:\n" + std::string(e.what()),
                e.Numero(), e.Severidade(), e.Estado(), e.EstadoSql());
        }
        aberto_ = true;
    }

    void Fechar() noexcept override {
        if (dbc_ != SQL_NULL_HDBC) {
            if (aberto_) {
                if (emTransacao_) Odbc().SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
                Odbc().SQLDisconnect(dbc_);
            }
            Odbc().SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
            dbc_ = SQL_NULL_HDBC;
        }
        if (env_ != SQL_NULL_HENV) {
            Odbc().SQLFreeHandle(SQL_HANDLE_ENV, env_);
            env_ = SQL_NULL_HENV;
        }
        aberto_ = false;
        emTransacao_ = false;
    }

    bool Aberto() const override { return aberto_; }

    void IniciarTransacao() override {
        ExigirAberta();
        if (emTransacao_) throw ErroDeBanco("Já existe uma transação em andamento nesta conexão");
        DefinirAutoConfirmacao(false);
        emTransacao_ = true;
    }
    void Confirmar() override { Encerrar(SQL_COMMIT); }
    void Desfazer() override { Encerrar(SQL_ROLLBACK); }
    bool EmTransacao() const override { return emTransacao_; }

    std::vector<Resultado> Executar(const std::string& sql, const std::vector<Valor>& parametros,
                                    int timeoutSegundos) override {
        ExigirAberta();
        Comando cmd(dbc_);
        cmd.DefinirTimeout(timeoutSegundos);
        ParametrosLigados ligados(parametros);
        ligados.Ligar(cmd.h());
        std::u16string texto = ParaUtf16(sql);
        mensagens_.clear();
        // The driver stops the statement (and the reading of its results) from another
        // thread; the call under way then fails with SQLSTATE HY008.
        ExecucaoCancelavel execucao([h = cmd.h()] { Odbc().SQLCancel(h); });
        try {
            const SQLRETURN rc =
                Odbc().SQLExecDirectW(cmd.h(), Largo(texto), static_cast<SQLINTEGER>(texto.size()));
            return ColherResultados(cmd.h(), rc, mensagens_);
        } catch (const ErroDeBanco&) {
            // Whatever the driver made of it (the cancel may close a cursor being read).
            if (execucao.Cancelada()) throw ErroDeCancelamento();
            throw;
        }
    }

    std::vector<Resultado> ExecutarProcedimento(
        const std::string& nome, const std::vector<std::pair<std::string, Valor>>& parametros,
        int timeoutSegundos) override {
        ValidarNomeDeProcedimento(nome);
        // Parameters go by position, in the order given, as the procedure declares them.
        std::string sql = "EXEC " + nome;
        std::vector<Valor> valores;
        for (std::size_t i = 0; i < parametros.size(); ++i) {
            sql += i == 0 ? " ?" : ", ?";
            valores.push_back(parametros[i].second);
        }
        return Executar(sql, valores, timeoutSegundos);
    }

    std::vector<Mensagem> TomarMensagens() override { return std::exchange(mensagens_, {}); }

    std::vector<std::string> ColunasChave(const std::string& tabela) override {
        ExigirAberta();
        std::string esquema, nome;
        SepararNomeDeTabela(tabela, esquema, nome);
        if (nome.empty()) return {};
        try {
            Comando cmd(dbc_);
            std::u16string e16 = ParaUtf16(esquema), n16 = ParaUtf16(nome);
            Verificar(
                Odbc().SQLPrimaryKeysW(cmd.h(), nullptr, 0, esquema.empty() ? nullptr : Largo(e16),
                                       static_cast<SQLSMALLINT>(e16.size()), Largo(n16),
                                       static_cast<SQLSMALLINT>(n16.size())),
                SQL_HANDLE_STMT, cmd.h(), "ler a chave primária");
            std::vector<std::pair<int, std::string>> chave;
            while (true) {
                const SQLRETURN rc = Odbc().SQLFetch(cmd.h());
                if (rc == SQL_NO_DATA) break;
                Verificar(rc, SQL_HANDLE_STMT, cmd.h(), "ler a chave primária");
                const Valor coluna = LerTexto(cmd.h(), 4);
                SQLSMALLINT seq = 0;
                SQLLEN ind = 0;
                Odbc().SQLGetData(cmd.h(), 5, SQL_C_SSHORT, &seq, 0, &ind);
                if (!EhNulo(coluna)) chave.emplace_back(seq, std::get<std::string>(coluna));
            }
            std::stable_sort(chave.begin(), chave.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::vector<std::string> nomes;
            for (auto& [seq, coluna] : chave) nomes.push_back(std::move(coluna));
            return nomes;
        } catch (const ErroDeBanco&) {
            // Without the catalogue's answer the caller falls back to the original values.
            return {};
        }
    }

  private:
    void ExigirAberta() const {
        if (!aberto_) throw ErroDeBanco("A conexão com o banco de dados não está aberta");
    }

    void DefinirAutoConfirmacao(bool ligada) {
        Verificar(Odbc().SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(
                                               ligada ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                                           SQL_IS_UINTEGER),
                  SQL_HANDLE_DBC, dbc_, "mudar o modo de transação");
    }

    void Encerrar(SQLSMALLINT como) {
        ExigirAberta();
        if (!emTransacao_) throw ErroDeBanco("Não há transação em andamento nesta conexão");
        emTransacao_ = false;
        const SQLRETURN rc = Odbc().SQLEndTran(SQL_HANDLE_DBC, dbc_, como);
        // Back to autocommit even when the end failed, so later commands are not left
        // inside a transaction nobody will close.
        try {
            Verificar(rc, SQL_HANDLE_DBC, dbc_,
                      como == SQL_COMMIT ? "confirmar a transação" : "desfazer a transação");
        } catch (...) {
            Odbc().SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
            Odbc().SQLSetConnectAttr(
                dbc_, SQL_ATTR_AUTOCOMMIT,
                reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)),
                SQL_IS_UINTEGER);
            throw;
        }
        DefinirAutoConfirmacao(true);
    }

    std::string cadeiaOdbc_;
    int timeoutConexao_;
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool aberto_ = false;
    bool emTransacao_ = false;
    std::vector<Mensagem> mensagens_;  // of the last Executar
};

}  // namespace

void ValidarNomeDeProcedimento(const std::string& nome) {
    const std::string aparado = texto::Aparar(nome);
    bool valido = !aparado.empty();
    bool colchete = false;
    for (char c : aparado) {
        if (colchete) {
            if (c == ']') colchete = false;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if (c == '[')
            colchete = true;
        else if (!(std::isalnum(u) || u >= 0x80 || c == '_' || c == '.' || c == '#' || c == '@' ||
                   c == '$'))
            valido = false;
    }
    if (!valido || colchete) throw ErroDeEntrada("Nome de procedimento inválido: \"" + nome + "\"");
}

void SepararNomeDeTabela(const std::string& tabela, std::string& esquema, std::string& nome) {
    std::vector<std::string> partes(1);
    bool colchete = false;
    for (char c : tabela) {
        if (colchete) {
            if (c == ']')
                colchete = false;
            else
                partes.back() += c;
        } else if (c == '[') {
            colchete = true;
        } else if (c == '.') {
            partes.emplace_back();
        } else if (c != '"' && c != ' ') {
            partes.back() += c;
        }
    }
    nome = partes.back();
    esquema = partes.size() >= 2 ? partes[partes.size() - 2] : "";
}

std::unique_ptr<Conector> CriarConector(const std::string& cadeiaDeConexao) {
    return std::make_unique<ConectorOdbc>(cadeiaDeConexao);
}

void RegistrarProvedor() {
    RegistrarProvedorPadrao(&CriarConector);
}

}  // namespace zolvek::db::odbc
