#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/conector/valor.hpp"

// The interface every backend implements (ODBC, the embedded stand-in). The session
// layer (Conexao, Consulta, Procedimento) is built on top of it and is the only user.
namespace zolvek::db {

// A column of a result set.
struct Coluna {
    std::string nome;
    TipoDeCampo tipo = TipoDeCampo::Desconhecido;
    int tamanho = 0;  // characters for text, bytes for binary; 0 when unlimited or n/a
    int precisao = 0;
    int escala = 0;
    bool anulavel = true;
    bool somenteLeitura = false;  // identity, rowversion, computed
    bool identidade = false;      // the identity column (also somenteLeitura)
    std::string tabelaBase;       // table the column comes from, when the backend knows it
    std::string colunaBase;
    bool chave = false;  // part of the primary key of tabelaBase, when the backend knows it
};

// One result of a batch: a row set (colunas not empty) or a row count.
struct Resultado {
    std::vector<Coluna> colunas;
    std::vector<std::vector<Valor>> linhas;
    std::int64_t linhasAfetadas = -1;  // -1 when not known / not applicable
};

// An informational message of a batch: PRINT, RAISERROR of severity 10 or less, or the
// server's own (DBCC's). Number, severity and state as the client receives them: PRINT is
// 0, RAISERROR of a text 50000, and a severity of 10 arrives as 0.
struct Mensagem {
    std::size_t resultado = 0;  // how many of the batch's results the server sent before it
    std::string texto;
    int numero = 0;
    int severidade = 0;
    int estado = 1;
};

class Conector {
  public:
    virtual ~Conector() = default;

    // Opening fails with ErroDeBanco carrying the provider's message.
    virtual void Abrir() = 0;
    virtual void Fechar() noexcept = 0;
    virtual bool Aberto() const = 0;

    virtual void IniciarTransacao() = 0;
    virtual void Confirmar() = 0;
    virtual void Desfazer() = 0;
    virtual bool EmTransacao() const = 0;

    // Runs one batch. Parameters are positional: every '?' marker of the text outside
    // quotes, brackets and comments, in order. Results come in the order the server
    // sends them. timeoutSegundos = 0 means no limit. Failures raise ErroDeBanco.
    virtual std::vector<Resultado> Executar(const std::string& sql,
                                            const std::vector<Valor>& parametros,
                                            int timeoutSegundos) = 0;

    // Runs a stored procedure with input parameters given by name (without '@'), in
    // the order given.
    virtual std::vector<Resultado> ExecutarProcedimento(
        const std::string& nome, const std::vector<std::pair<std::string, Valor>>& parametros,
        int timeoutSegundos) = 0;

    // The primary-key columns of a table, in key order; empty when there is none or
    // the backend cannot tell (a Post then locates the row by its original values).
    virtual std::vector<std::string> ColunasChave(const std::string& /*tabela*/) { return {}; }

    // The informational messages of the last Executar or ExecutarProcedimento, in the
    // order the server sent them (also of one that failed); taking them clears them.
    virtual std::vector<Mensagem> TomarMensagens() { return {}; }
};

}  // namespace zolvek::db
