#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvore.hpp"

struct sqlite3_stmt;

namespace zolvek::simulador {

class Sessao;
class FalhaDoSqlite;

// A value as the text a system procedure takes ("" for NULL).
std::string ComoTextoDeValor(const db::Valor& v);

// A parsed batch, kept by the session for the next time the same text comes.
struct PlanoDeLote {
    std::string texto;
    std::vector<Token> tokens;
    std::vector<int> ordinais;
    std::vector<std::unique_ptr<Comando>> comandos;
    std::unordered_map<const Comando*, std::string> compilados;  // SQLite text of DML
    std::unordered_map<const Comando*, int> flags;               // server tables a query reads
};

// Runs the statements of one batch on a session.
class Executor {
  public:
    Executor(Sessao& sessao, PlanoDeLote& plano, const std::vector<db::Valor>& parametros);
    std::vector<db::Resultado> Executar();
    // EXEC of a procedure with evaluated arguments (also the connector's own call).
    void Procedimento(const std::string& nome,
                      const std::vector<std::pair<std::string, db::Valor>>& argumentos);

    using Argumentos = std::vector<std::pair<std::string, db::Valor>>;

  private:
    void Rodar(const Comando& c);
    void ExigirBancoAtual(const Comando& c);
    void Selecionar(const Comando& c);
    void Inserir(const Comando& c);
    void Atualizar(const Comando& c);
    void Excluir(const Comando& c);
    void CriarTabela(const Comando& c);
    void AlterarTabela(const Comando& c);
    void HabilitarRestricoes(const Comando& c, Tabela& t, const Tabela& antiga);
    void ExcluirTabela(const Comando& c);
    void CriarIndice(const Comando& c);
    void ExcluirIndice(const Comando& c);
    void CriarObjeto(const Comando& c);
    void ExcluirObjeto(const Comando& c);
    void Conceder(const Comando& c);
    void ExecutarComando(const Comando& c);
    void IdentityInsert(const Comando& c);
    void LerOpcaoDaSessao(const Comando& c);
    std::string ValorDuplicado(const std::string& insercao, const Tabela& t);
    void Contar(db::Resultado r);
    void ComandoDeServidor(const Comando& c);
    void ComandoDeUsuario(const Comando& c);
    // sp_executesql and sp_rename (executor_procedimentos.cpp).
    void ExecutarSqlDinamico(const Argumentos& argumentos);
    void Renomear(const Argumentos& argumentos);
    void RenomearColuna(Tabela& t, const std::string& coluna, const std::string& novo);
    void RenomearTabela(Tabela& t, const std::string& novo);

    bool Condicao(Faixa f);
    db::Valor Avaliar(Faixa f);
    std::string Reescrita(Faixa f, int* flags = nullptr);
    // Runs SQLite text with this batch's parameters; returns the rows when it has any.
    db::Resultado Consultar(const std::string& sql, int flags, char operacao,
                            const std::string& tabela);
    void Ligar(sqlite3_stmt* s);
    void Atomico(const std::function<void()>& f);
    void AposDdl();
    // SQLite's failure of a statement as SQL Server's error, by SQLite's result code.
    [[noreturn]] void FalhaTraduzida(const FalhaDoSqlite& falha, char operacao,
                                     const std::string& tabela);
    void FalhaDeReferencia(const std::string& msg);
    [[noreturn]] void FalhaDeNulo(const std::string& msg, char operacao, const std::string& tabela);
    [[noreturn]] void FalhaDeVerificacao(const std::string& msg, char operacao,
                                         const std::string& tabela);
    [[noreturn]] void FalhaDeChave(const std::string& msg);
    [[noreturn]] void FalhaDeCompilacao(const std::string& msg);
    std::string TextoDaFaixa(Faixa f) const;

    Sessao& s_;
    PlanoDeLote& plano_;
    const std::vector<db::Valor>& parametros_;
    std::vector<db::Resultado> resultados_;
    std::vector<std::string> chaveViolada_;  // columns of the key the last failure broke
};

}  // namespace zolvek::simulador
