#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

namespace zolvek::db {

// Server kinds, as the dictionary loader reads them.
enum class TipoServidor { Nenhum = 0, SqlServer = 1, PostgreSql = 2 };

// The data module: the program's one connection `Banco` and the fixed datasets that
// several commands share. The front end owns the single instance.
class TModuloDados {
public:
    TModuloDados();
    ~TModuloDados();

    Conexao Banco;

    Consulta Parametros;        // "select * from [PEMPRESA] full outer join [PARFN]" / "on 1=1"
    Consulta Opcoes;            // "select * from" / "Opções where" / "identificador=:Identificador"
    Consulta qryDataHora;       // "select GetDate() As Valor"
    Consulta qryNomeDoUsuario;  // "select suser_sname() As Valor"
    Procedimento MSVer;         // "master.dbo.xp_msver"
    Consulta qryEDbo;           // "select IS_MEMBER('db_owner')  as Valor"
    Consulta PGSVer;            // "select version() as Versão"

    // Set to SqlServer when the connection opens (the dictionary loader reads it).
    TipoServidor TipoDeServidor = TipoServidor::Nenhum;

    // Opens Banco with its current connection string and records the server kind.
    void Conectar();

    // Opens `Parametros` after binding it to Banco again.
    void AbrirParametros();

    void LerOpcoes(const std::string& identificador, std::vector<std::string>& linhas);
    void GravarOpcoes(const std::string& identificador, const std::vector<std::string>& linhas);
    DataHora DataHoraDoServidor();
    std::string NomeDoUsuario();
    bool UsuarioEDbo();
    std::string VersaoDoServidor();
    int VersaoMaiorDoServidor();
    std::string NomeDoBanco() const;
};

// The major version number of a version text ("11.0.2100.60" -> 11); 0 when the
// text does not start with a number.
int VersaoMaior(const std::string& versao);

}  // namespace zolvek::db
