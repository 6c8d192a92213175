#include "db/modulo_dados.hpp"

#include <charconv>

#include "comum/texto.hpp"
#include "db/cadeia_de_conexao.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::db {

namespace {

// Closes the dataset on every way out of an operation.
class FecharAoSair {
  public:
    explicit FecharAoSair(ConjuntoDeDados& c) : c_(c) {}
    ~FecharAoSair() { c_.Fechar(); }
    FecharAoSair(const FecharAoSair&) = delete;
    FecharAoSair& operator=(const FecharAoSair&) = delete;

  private:
    ConjuntoDeDados& c_;
};

void Preparar(Consulta& c, const char* nome, std::initializer_list<const char*> linhas) {
    c.DefinirNomeDoComponente(nome);
    for (const char* l : linhas) c.AdicionarLinha(l);
}

}  // namespace

TModuloDados::TModuloDados()
    : Parametros(&Banco),
      Opcoes(&Banco),
      qryDataHora(&Banco),
      qryNomeDoUsuario(&Banco),
      MSVer(&Banco),
      qryEDbo(&Banco),
      PGSVer(&Banco) {
    Preparar(Parametros, "Parametros",
             {"select * from [PEMPRESA] full outer join [PARFN]", "on 1=1"});
    Parametros.DefinirBloqueio(TipoDeBloqueio::SomenteLeitura);
    Preparar(Opcoes, "Opcoes", {"select * from", "Opções where", "identificador=:Identificador"});
    Opcoes.ParametroPorNome("Identificador").DefinirTipo(TipoDeParametro::Texto);
    Preparar(qryDataHora, "qryDataHora", {"select GetDate() As Valor"});
    Preparar(qryNomeDoUsuario, "qryNomeDoUsuario", {"select suser_sname() As Valor"});
    MSVer.DefinirNomeDoComponente("MSVer");
    MSVer.DefinirNome("master.dbo.xp_msver");
    MSVer.CriarParametro("optname", TipoDeParametro::Texto);
    Preparar(qryEDbo, "qryEDbo", {"select IS_MEMBER('db_owner')  as Valor"});
    Preparar(PGSVer, "PGSVer", {"select version() as Versão"});
}

TModuloDados::~TModuloDados() = default;

void TModuloDados::Conectar() {
    Banco.Abrir();
    TipoDeServidor = TipoServidor::SqlServer;
}

void TModuloDados::AbrirParametros() {
    Parametros.DefinirConexao(&Banco);
    Parametros.Abrir();
}

void TModuloDados::LerOpcoes(const std::string& identificador, std::vector<std::string>& linhas) {
    Opcoes.Fechar();
    FecharAoSair fechar(Opcoes);
    Opcoes.ParametroPorNome("Identificador").DefinirTexto(identificador);
    Opcoes.Abrir();
    linhas = DividirEmLinhas(Opcoes.CampoPorNome("Opções").Texto());
}

void TModuloDados::GravarOpcoes(const std::string& identificador,
                                const std::vector<std::string>& linhas) {
    Opcoes.Fechar();
    FecharAoSair fechar(Opcoes);
    Opcoes.ParametroPorNome("Identificador").DefinirTexto(identificador);
    Opcoes.Abrir();
    Opcoes.Editar();
    Opcoes.CampoPorNome("Identificador").DefinirTexto(identificador);
    // Every line ends with a line break, as a line list's text does.
    std::string texto;
    for (const auto& l : linhas) texto += l + "\r\n";
    Opcoes.CampoPorNome("Opções").DefinirTexto(texto);
    Opcoes.Gravar();
}

DataHora TModuloDados::DataHoraDoServidor() {
    qryDataHora.Fechar();
    FecharAoSair fechar(qryDataHora);
    qryDataHora.Abrir();
    return qryDataHora.CampoPorNome("Valor").DataEHora();
}

std::string TModuloDados::NomeDoUsuario() {
    qryNomeDoUsuario.Fechar();
    FecharAoSair fechar(qryNomeDoUsuario);
    qryNomeDoUsuario.Abrir();
    return qryNomeDoUsuario.CampoPorNome("Valor").Texto();
}

bool TModuloDados::UsuarioEDbo() {
    qryEDbo.Fechar();
    FecharAoSair fechar(qryEDbo);
    qryEDbo.Abrir();
    return qryEDbo.CampoPorNome("Valor").Inteiro() != 0;
}

std::string TModuloDados::VersaoDoServidor() {
    MSVer.Fechar();
    FecharAoSair fechar(MSVer);
    static const Valor kVersaoDoProduto{std::string("ProductVersion")};
    MSVer.ParametroPorNome("optname").DefinirValor(kVersaoDoProduto);
    MSVer.Abrir();
    return MSVer.CampoPorNome("Character_Value").Texto();
}

int TModuloDados::VersaoMaiorDoServidor() {
    return VersaoMaior(VersaoDoServidor());
}

std::string TModuloDados::NomeDoBanco() const {
    return ObterValorDaConexao(Banco.StringDeConexao(), "Initial Catalog");
}

int VersaoMaior(const std::string& versao) {
    // A text without "." is taken whole ("11" is version 11).
    const std::string parte = texto::Aparar(versao.substr(0, versao.find('.')));
    int n = 0;
    const char* ini = parte.data();
    if (!parte.empty() && parte[0] == '+') ++ini;
    const auto [fim, erro] = std::from_chars(ini, parte.data() + parte.size(), n);
    if (erro != std::errc() || fim != parte.data() + parte.size() || ini == fim) return 0;
    return n;
}

}  // namespace zolvek::db
