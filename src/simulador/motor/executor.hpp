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

  private:
    void Rodar(const Comando& c);
    void Selecionar(const Comando& c);
    void Inserir(const Comando& c);
    void Atualizar(const Comando& c);
    void Excluir(const Comando& c);
    void CriarTabela(const Comando& c);
    void AlterarTabela(const Comando& c);
    void ExcluirTabela(const Comando& c);
    void CriarIndice(const Comando& c);
    void ExcluirIndice(const Comando& c);
    void CriarObjeto(const Comando& c);
    void ExcluirObjeto(const Comando& c);
    void Conceder(const Comando& c);
    void ExecutarComando(const Comando& c);
    void IdentityInsert(const Comando& c);
    void ComandoDeServidor(const Comando& c);
    // Refuses, with SQL Server's message, what the user's rights do not allow.
    void ExigirDireitos(const Comando& c);
    int ConjuntoPedido(const Comando& c);
    db::Resultado ListaDoBackup(const std::string& disco, int conjunto);
    void ComandoDeUsuario(const Comando& c);

    bool Condicao(Faixa f);
    db::Valor Avaliar(Faixa f);
    std::string Reescrita(Faixa f, int* flags = nullptr);
    // Runs SQLite text with this batch's parameters; returns the rows when it has any.
    db::Resultado Consultar(const std::string& sql, int flags, char operacao,
                            const std::string& tabela);
    void Ligar(sqlite3_stmt* s);
    void Atomico(const std::function<void()>& f);
    void AposDdl();
    [[noreturn]] void FalhaTraduzida(const std::string& msg, char operacao,
                                     const std::string& tabela);
    std::string TextoDaFaixa(Faixa f) const;

    Sessao& s_;
    PlanoDeLote& plano_;
    const std::vector<db::Valor>& parametros_;
    std::vector<db::Resultado> resultados_;
};

}  // namespace zolvek::simulador
