#include "admin/novo_banco.hpp"

#include "admin/conexao_administrativa.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::admin {

const char* const kPastaPadraoDoNovoBanco =
    "C:\\Arquivos de Programas\\Microsoft SQL Server\\MSSQL\\Data";
const char* const kMensagemBancoCriado = "Banco de Dados foi criado com sucesso";

namespace {

// The text inside a literal: apostrophes doubled, without the outer ones.
std::string DentroDoLiteral(const std::string& texto) {
    const std::string literal = db::EntreApostrofos(texto);
    return literal.substr(1, literal.size() - 2);
}

std::string PastaComSeparador(const std::string& pasta) {
    std::string p = texto::Aparar(pasta);
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p;
}

int VersaoMaiorDe(db::Conexao& conexao) {
    db::Consulta versao(&conexao);
    versao.DefinirSQL("select cast(serverproperty('ProductVersion') as varchar(128)) as Versao");
    versao.Abrir();
    return db::VersaoMaior(versao.Campos().at(0).Texto());
}

}  // namespace

bool PodeCriarBanco(const std::string& nome, const std::string& servidor) {
    return !texto::Aparar(nome).empty() && !texto::Aparar(servidor).empty();
}

std::vector<std::string> ComandoDeCriacao(const DadosDoNovoBanco& dados) {
    const std::string nome = texto::Aparar(dados.nome);
    const std::string pasta = DentroDoLiteral(PastaComSeparador(dados.pasta));
    const std::string noLiteral = DentroDoLiteral(nome);
    return {"CREATE DATABASE",
            db::EntreColchetes(nome),
            "ON",
            "( NAME =",
            db::EntreColchetes(nome + "_dat") + ",",
            "  FILENAME =",
            "'" + pasta + noLiteral + "_dat.mdf',",
            "  SIZE = 10,",
            "  MAXSIZE = UNLIMITED,",
            "  FILEGROWTH = 10% )",
            "LOG ON",
            "( NAME =",
            "'" + noLiteral + "_log',",
            "  FILENAME =",
            "'" + pasta + noLiteral + "_log.ldf',",
            "  SIZE = 5,",
            "  MAXSIZE =",
            std::to_string(dados.tamanhoMaximoDoLog) + ",",
            "  FILEGROWTH = 10% )"};
}

std::vector<ComandoDeOpcao> ComandosDeOpcoes(const std::string& nome, int versaoMaior) {
    const std::string banco = texto::Aparar(nome);
    if (versaoMaior < 11) {
        std::vector<ComandoDeOpcao> comandos;
        for (const char* opcao : {"select into/bulkcopy", "trunc. log on chkpt.", "autoshrink"})
            comandos.push_back({"sp_dboption :Banco, :Nome, :Valor",
                                {{"Banco", banco}, {"Nome", opcao}, {"Valor", "True"}}});
        return comandos;
    }
    // "select into/bulkcopy" is the bulk-logged recovery model and "trunc. log on
    // chkpt." the simple one; set in that order, as the three calls did, the database
    // ends in SIMPLE recovery, where bulk operations are minimally logged as well.
    return {{db::AlterarBanco(banco, "SET RECOVERY BULK_LOGGED"), {}},
            {db::AlterarBanco(banco, "SET RECOVERY SIMPLE"), {}},
            {db::AlterarBanco(banco, "SET AUTO_SHRINK ON"), {}}};
}

void CriarNovoBanco(const DadosDoNovoBanco& dados) {
    if (!PodeCriarBanco(dados.nome, dados.servidor))
        throw ErroDeEntrada("Informe o nome do banco de dados e o servidor");
    db::Conexao conexao;
    conexao.DefinirStringDeConexao(CadeiaParaOServidor(
        CadeiaDoMaster(dados.servidor, dados.login, dados.senha), dados.servidor));
    conexao.Abrir();
    db::Consulta comando(&conexao);
    comando.DefinirSQL(texto::Juntar(ComandoDeCriacao(dados), "\n"));
    comando.Executar();
    for (const auto& opcao : ComandosDeOpcoes(dados.nome, VersaoMaiorDe(conexao))) {
        comando.DefinirSQL(opcao.sql);
        for (const auto& [nome, valor] : opcao.parametros) {
            db::Parametro& parametro = comando.ParametroPorNome(nome);
            parametro.DefinirTipo(db::TipoDeParametro::Texto);
            parametro.DefinirTexto(valor);
        }
        comando.Executar();
    }
}

}  // namespace zolvek::admin
