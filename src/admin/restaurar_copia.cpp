#include "admin/restaurar_copia.hpp"

#include "admin/conexao_administrativa.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::admin {

const char* const kMensagemCopiaRestaurada = "Cópia de segurança foi restaurada com sucesso";

namespace {

// The one file of the kind; `onde` names the side in the messages.
const ArquivoDoBanco& UnicoDoTipo(const std::vector<ArquivoDoBanco>& arquivos, bool dados,
                                  const std::string& onde) {
    const ArquivoDoBanco* achado = nullptr;
    int quantos = 0;
    for (const auto& a : arquivos)
        if (a.dados == dados) {
            achado = &a;
            ++quantos;
        }
    const std::string tipo = dados ? "arquivo de dados" : "arquivo de 'log'";
    if (quantos == 0) throw ErroDeEntrada(onde + " não tem " + tipo + "; nada foi restaurado");
    if (quantos > 1)
        throw ErroDeEntrada(onde + " tem mais de um " + tipo +
                            "; só é possível restaurar uma cópia de um arquivo de dados e um "
                            "arquivo de 'log' sobre um banco com um arquivo de cada tipo. "
                            "Nada foi restaurado");
    return *achado;
}

db::Conexao& Conectar(db::Conexao& conexao, const std::string& catalogo,
                      const DadosDaRestauracao& d) {
    conexao.DefinirStringDeConexao(
        CadeiaParaOServidor(CadeiaComSenha(catalogo, d.servidor, d.login, d.senha), d.servidor));
    conexao.Abrir();
    return conexao;
}

// sp_helpfile of the destination: `usage` tells data from log.
std::vector<ArquivoDoBanco> ArquivosDoDestino(const DadosDaRestauracao& d) {
    db::Conexao conexao;
    db::Consulta lista(&Conectar(conexao, d.destino, d));
    lista.DefinirSQL("sp_helpfile");
    lista.Abrir();
    std::vector<ArquivoDoBanco> arquivos;
    for (lista.Primeiro(); !lista.Fim(); lista.Proximo())
        arquivos.push_back({texto::Aparar(lista.CampoPorNome("name").Texto()),
                            texto::Aparar(lista.CampoPorNome("FileName").Texto()),
                            texto::Aparar(lista.CampoPorNome("usage").Texto()) != "log only"});
    return arquivos;
}

// RESTORE FILELISTONLY of the backup: `Type` D is data, L the log (full-text and
// FILESTREAM files count as data files that the pairing cannot place).
std::vector<ArquivoDoBanco> ArquivosDaCopia(db::Conexao& master, const std::string& origem) {
    db::Consulta lista(&master);
    lista.DefinirSQL("RESTORE FILELISTONLY \nFROM DISK = :Origem\nWITH\n    FILE = 1");
    db::Parametro& parametro = lista.ParametroPorNome("Origem");
    parametro.DefinirTipo(db::TipoDeParametro::Texto);
    parametro.DefinirTexto(origem);
    lista.Abrir();
    std::vector<ArquivoDoBanco> arquivos;
    for (lista.Primeiro(); !lista.Fim(); lista.Proximo())
        arquivos.push_back({texto::Aparar(lista.CampoPorNome("LogicalName").Texto()),
                            texto::Aparar(lista.CampoPorNome("PhysicalName").Texto()),
                            texto::Maiusculas(lista.CampoPorNome("Type").Texto()) != "L"});
    return arquivos;
}

}  // namespace

bool PodeRestaurar(const std::string& arquivo, const std::string& destino,
                   const std::string& servidor) {
    return !texto::Aparar(arquivo).empty() && !texto::Aparar(destino).empty() &&
           !texto::Aparar(servidor).empty();
}

PlanoDeRestauracao ParearArquivos(const std::vector<ArquivoDoBanco>& copia,
                                  const std::vector<ArquivoDoBanco>& destino) {
    const auto& dadosDaCopia = UnicoDoTipo(copia, true, "A cópia de segurança");
    const auto& logDaCopia = UnicoDoTipo(copia, false, "A cópia de segurança");
    const auto& dadosDoDestino = UnicoDoTipo(destino, true, "O banco de dados destino");
    const auto& logDoDestino = UnicoDoTipo(destino, false, "O banco de dados destino");
    return {dadosDaCopia.nomeLogico, dadosDoDestino.nomeFisico, logDaCopia.nomeLogico,
            logDoDestino.nomeFisico};
}

std::vector<std::string> ComandoDeRestauracao(const std::string& destino) {
    return {"RESTORE DATABASE",          db::EntreColchetes(destino),
            "FROM DISK=:Origem",         "WITH FILE=1, NOUNLOAD, RECOVERY, REPLACE,",
            "MOVE :Dados TO :ArqDados,", "MOVE :Log TO :ArqLog"};
}

void RestaurarCopia(const DadosDaRestauracao& d) {
    if (!PodeRestaurar(d.arquivo, d.destino, d.servidor))
        throw ErroDeEntrada("Informe o arquivo origem, o banco de dados destino e o servidor");
    const auto destino = ArquivosDoDestino(d);
    db::Conexao master;
    Conectar(master, "master", d);
    const PlanoDeRestauracao plano = ParearArquivos(ArquivosDaCopia(master, d.arquivo), destino);
    db::Consulta restaurar(&master);
    restaurar.DefinirSQL(texto::Juntar(ComandoDeRestauracao(d.destino), "\n"));
    restaurar.DefinirTimeout(0);
    for (const auto& [nome, valor] : {std::pair<const char*, std::string>{"Origem", d.arquivo},
                                      {"Dados", plano.dados},
                                      {"ArqDados", plano.arquivoDeDados},
                                      {"Log", plano.log},
                                      {"ArqLog", plano.arquivoDeLog}}) {
        db::Parametro& parametro = restaurar.ParametroPorNome(nome);
        parametro.DefinirTipo(db::TipoDeParametro::Texto);
        parametro.DefinirTexto(valor);
    }
    restaurar.Executar();
}

}  // namespace zolvek::admin
