#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simulador/motor/catalogo.hpp"
#include "simulador/motor/lexico.hpp"

// The statement trees the parser produces and the executor runs. Expressions stay as
// ranges of tokens: the executor rewrites them for SQLite when it needs them.
namespace zolvek::simulador {

struct Faixa {
    std::size_t inicio = 0;  // token indexes, [inicio, fim)
    std::size_t fim = 0;
    bool Vazia() const { return fim <= inicio; }
};

// A name of one to four parts (server.database.schema.object), parts as written.
struct NomeComposto {
    std::vector<std::string> partes;
    const std::string& Nome() const { return partes.back(); }
    std::string Banco() const { return partes.size() >= 3 ? partes[partes.size() - 3] : ""; }
    bool Vazio() const { return partes.empty(); }
};

struct DefRestricao {
    std::string nome;  // empty: the server makes one up
    std::string tipo;  // PK, UQ, F, C, D
    std::vector<ColunaDeIndice> colunas;
    std::string texto;  // CHECK and DEFAULT expression text
    std::string tabelaReferida;
    std::vector<std::string> colunasReferidas;
};

struct DefColuna {
    std::string nome;
    TipoSql tipo;
    std::optional<bool> anulavel;
    bool identidade = false;
    std::int64_t semente = 1;
    std::int64_t incremento = 1;
    std::vector<DefRestricao> restricoes;  // declared with the column
};

struct ArquivoDeclarado {
    std::string nomeLogico;
    std::string nomeFisico;
    std::int64_t tamanhoKb = 0;
    std::int64_t maximoKb = -1;
    std::int64_t crescimento = 10;
    bool emPorcentagem = true;
};

enum class TipoComando {
    Selecionar,  // any query the executor hands to SQLite after the rewrite
    Inserir,
    Atualizar,
    Excluir,
    CriarTabela,
    AlterarTabela,
    ExcluirTabela,
    CriarIndice,
    ExcluirIndice,
    CriarObjeto,  // procedure, trigger, view, function (also ALTER)
    ExcluirObjeto,
    Se,
    Bloco,
    Conceder,  // GRANT, DENY, REVOKE
    ExecutarProcedimento,
    IdentityInsert,
    Ignorado,         // SET NOCOUNT and the like
    TempoDeBloqueio,  // SET LOCK_TIMEOUT n
    IniciarTransacao,
    ConfirmarTransacao,
    DesfazerTransacao,
    CriarBanco,
    ExcluirBanco,
    AlterarBanco,
    Backup,
    RestaurarLista,
    Restaurar,
    VerificarBackup,  // RESTORE VERIFYONLY
    CriarLogin,
    CriarUsuario,
    ExcluirUsuario,
    CriarPapel,
    AlterarPapel,
    Usar,
    Matar,
};

enum class AcaoAlterar { Adicionar, AlterarColuna, ExcluirRestricao, ExcluirColuna, Verificacao };

struct Comando {
    TipoComando tipo = TipoComando::Ignorado;
    Faixa faixa;  // the whole statement
    NomeComposto objeto;

    // CREATE TABLE / ALTER TABLE ADD
    std::vector<DefColuna> colunas;
    std::vector<DefRestricao> restricoes;
    AcaoAlterar acao = AcaoAlterar::Adicionar;
    std::optional<bool> comVerificacao;  // WITH CHECK / WITH NOCHECK
    std::vector<std::string> nomes;      // DROP CONSTRAINT/COLUMN, DROP TABLE extra names...

    // CREATE INDEX / DROP INDEX
    std::string nomeDoIndice;
    bool unico = false;
    std::vector<ColunaDeIndice> colunasDoIndice;
    std::vector<std::pair<NomeComposto, std::string>> indices;  // DROP INDEX table.index

    // INSERT / UPDATE / DELETE
    std::vector<std::string> colunasAlvo;
    std::vector<std::vector<Faixa>> valores;
    Faixa selecao;
    bool valoresPadrao = false;
    bool truncar = false;  // TRUNCATE TABLE: a DELETE that restarts the identity
    std::vector<std::pair<std::string, Faixa>> atribuicoes;
    Faixa resto;  // FROM ... WHERE ... of UPDATE and DELETE

    // IF / blocks
    Faixa condicao;
    std::unique_ptr<Comando> entao;
    std::unique_ptr<Comando> senao;
    std::vector<std::unique_ptr<Comando>> filhos;

    // EXEC: arguments in order, with their @name when given
    std::vector<std::pair<std::string, Faixa>> argumentos;

    // GRANT / DENY / REVOKE
    std::string estado;
    std::vector<std::string> permissoes;
    std::vector<std::string> principais;

    // CREATE PROCEDURE / TRIGGER / VIEW / FUNCTION
    std::string tipoDeObjeto;  // P, TR, V, FN, IF, TF
    bool alterar = false;
    NomeComposto tabelaDoGatilho;
    Faixa corpo;             // the SELECT of a view
    bool seExistir = false;  // DROP ... IF EXISTS

    // SET IDENTITY_INSERT, ALTER DATABASE SET SINGLE_USER/MULTI_USER
    bool ligado = false;
    bool comRollback = false;

    // Databases, backup and restore, logins
    std::vector<ArquivoDeclarado> arquivosDeDados;
    std::vector<ArquivoDeclarado> arquivosDeLog;
    Faixa disco;
    Faixa conjunto;         // WITH FILE = n (empty: the first set)
    bool iniciar = false;   // BACKUP WITH INIT
    bool formatar = false;  // BACKUP WITH FORMAT
    bool substituir = false;
    std::vector<std::pair<Faixa, Faixa>> movimentos;
    std::string senha;
    std::string login;
    bool semLogin = false;
    std::string papel;
    std::string membro;
    bool adicionarMembro = true;
    Faixa numero;
};

// Parses one batch. Raises ErroDeBanco ("Incorrect syntax near 'x'.") on what it cannot read.
std::vector<std::unique_ptr<Comando>> AnalisarLote(const std::vector<Token>& tokens,
                                                   const std::string& texto);

}  // namespace zolvek::simulador
