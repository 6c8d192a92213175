#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <new>

#include "comum/erros.hpp"
#include "db/conector/cancelamento.hpp"
#include "db/conector/entradas_da_conexao.hpp"
#include "simulador/motor/funcoes/falhas.hpp"
#include "simulador/motor/sessao/sessao.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/simulador.hpp"

namespace zolvek::simulador {

namespace {

// Entries of an OLE DB connection string, read as the other backend reads them (values
// in quotes or braces may hold ";"); keys compare without letter case.
std::map<std::string, std::string> LerCadeia(const std::string& cadeia) {
    std::map<std::string, std::string> r;
    for (auto& e : db::LerEntradasDaConexao(cadeia)) r.emplace(Dobrar(e.chave), std::move(e.valor));
    return r;
}

// One server object per folder and process, shared by its connections.
// `versao`: the version a new folder is created as (empty: the default).
std::shared_ptr<Servidor> ServidorDaPasta(const std::filesystem::path& pasta,
                                          const std::string& versao) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<Servidor>> abertos;
    std::lock_guard trava(mutex);
    std::error_code erro;
    std::string chave = std::filesystem::weakly_canonical(pasta, erro).string();
    if (erro) chave = pasta.string();
    if (auto s = abertos[chave].lock()) {
        ExigirMesmaVersao(pasta.string(), s->Versao(), versao);
        return s;
    }
    auto s = std::make_shared<Servidor>(pasta, versao);
    abertos[chave] = s;
    return s;
}

std::string NomeDaMaquina() {
    char b[256] = {};
    if (gethostname(b, sizeof b - 1) != 0) return "localhost";
    return b;
}

// Only SQL Server's texts and the stand-in's own reach the client: a failure of the C++
// library (out of memory, a file system error, a bug) is told in them.
template <typename F>
auto Traduzido(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const Erro&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw ErroComoSqlServer("out of memory", "");
    } catch (const std::filesystem::filesystem_error& e) {
        throw ErroDeBanco("O simulador de SQL Server não conseguiu usar um arquivo (erro " +
                          std::to_string(e.code().value()) + " do sistema).");
    } catch (const std::exception&) {
        throw ErroDeBanco("O simulador de SQL Server falhou por um erro interno.");
    }
}

class ConectorSimulador : public db::Conector {
  public:
    explicit ConectorSimulador(std::string cadeia) : cadeia_(std::move(cadeia)) {}

    void Abrir() override {
        if (!sessao_) Traduzido([&] { AbrirSessao(); });
    }

    void Fechar() noexcept override { sessao_.reset(); }
    bool Aberto() const override { return sessao_ != nullptr; }

    void IniciarTransacao() override {
        Traduzido([&] { Sessao_().IniciarTransacao(); });
    }
    void Confirmar() override {
        Traduzido([&] { Sessao_().Confirmar(); });
    }
    void Desfazer() override {
        Traduzido([&] { Sessao_().Desfazer(); });
    }
    bool EmTransacao() const override { return sessao_ && sessao_->EmTransacao(); }

    std::vector<db::Resultado> Executar(const std::string& sql,
                                        const std::vector<db::Valor>& parametros,
                                        int timeoutSegundos) override {
        return Traduzido([&] {
            return Cancelavel(
                [&](Sessao& s) { return s.ExecutarLote(sql, parametros, timeoutSegundos); });
        });
    }

    std::vector<db::Resultado> ExecutarProcedimento(
        const std::string& nome, const std::vector<std::pair<std::string, db::Valor>>& parametros,
        int /*timeoutSegundos*/) override {
        return Traduzido([&] {
            return Cancelavel([&](Sessao& s) { return s.ExecutarProcedimento(nome, parametros); });
        });
    }

    std::vector<std::string> ColunasChave(const std::string& tabela) override {
        return Traduzido([&] { return Sessao_().ColunasChave(tabela); });
    }

    std::vector<db::Mensagem> TomarMensagens() override {
        return sessao_ ? sessao_->TomarMensagens() : std::vector<db::Mensagem>{};
    }

  private:
    void AbrirSessao() {
        auto e = LerCadeia(cadeia_);
        std::string pasta = e["data source"];
        if (pasta.empty())
            throw ErroDeBanco(
                "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access "
                "denied.");
        const std::string integrada = Dobrar(e["integrated security"]);
        const bool sspi = integrada == "sspi" || integrada == "true" || integrada == "yes";
        const std::string usuario = e["user id"].empty() ? e["uid"] : e["user id"];
        const std::string senha = e.count("password") ? e["password"] : e["pwd"];
        // a connection the new server would refuse leaves no folder behind
        if (!Servidor::PastaCriada(pasta))
            Servidor::ExigirEntradaNaPastaNova(e["versao do servidor"], usuario, senha, sspi,
                                               e["initial catalog"]);
        auto servidor = ServidorDaPasta(pasta, e["versao do servidor"]);
        Login login = sspi ? servidor->AutenticarIntegrado() : servidor->Autenticar(usuario, senha);
        std::string host = e["workstation id"].empty() ? NomeDaMaquina() : e["workstation id"];
        std::string programa = e["application name"].empty() ? "Zolvek" : e["application name"];
        sessao_ = std::make_unique<Sessao>(servidor, login, e["initial catalog"], host, programa);
    }

    // Runs a call that another thread may cancel; a call that was cancelled fails as a
    // driver reports it, whatever error stopped it.
    template <typename Chamada>
    std::vector<db::Resultado> Cancelavel(Chamada chamada) {
        Sessao& s = Sessao_();
        struct Limpeza {
            Sessao& s;
            ~Limpeza() { s.DescartarCancelamento(); }
        } limpeza{s};  // after the statement is no longer cancellable
        db::ExecucaoCancelavel execucao([&s] { s.PedirCancelamento(); });
        try {
            return chamada(s);
        } catch (const ErroDeBanco&) {
            if (execucao.Cancelada()) throw db::ErroDeCancelamento();
            throw;
        }
    }

    Sessao& Sessao_() {
        if (!sessao_) throw ErroDeBanco("A conexão não está aberta.");
        return *sessao_;
    }

    std::string cadeia_;
    std::unique_ptr<Sessao> sessao_;
};

}  // namespace

void DispensarContagemDeMemoriaDoSqlite() {
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

std::unique_ptr<db::Conector> CriarConector(const std::string& cadeiaDeConexao) {
    return std::make_unique<ConectorSimulador>(cadeiaDeConexao);
}

}  // namespace zolvek::simulador
