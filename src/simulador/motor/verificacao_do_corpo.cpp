#include "simulador/motor/verificacao_do_corpo.hpp"

#include "simulador/motor/analisador_de_expressoes.hpp"
#include "simulador/motor/visitante.hpp"

namespace zolvek::simulador {

namespace {

class Verificador {
  public:
    explicit Verificador(const std::vector<Token>& tokens) : t_(tokens) {}

    void Instrucao(const Comando& c) {
        std::visit(Visitante{
                       [&](const instrucao::Selecionar& x) { Consulta(x.selecao); },
                       [&](const instrucao::Inserir& x) {
                           for (const auto& linha : x.valores)
                               for (const auto& v : linha) Valor(v);
                           if (!x.selecao.Vazia()) Consulta(x.selecao);
                       },
                       [&](const instrucao::Atualizar& x) {
                           for (const auto& [coluna, v] : x.atribuicoes) Valor(v);
                           Clausulas(x.resto);
                       },
                       [&](const instrucao::Excluir& x) { Clausulas(x.resto); },
                       [&](const instrucao::Se& x) {
                           Valor(x.condicao);
                           Instrucao(*x.entao);
                           if (x.senao) Instrucao(*x.senao);
                       },
                       [&](const instrucao::Bloco& x) {
                           for (const auto& f : x.filhos) Instrucao(*f);
                       },
                       [&](const instrucao::Enquanto& x) {
                           Valor(x.condicao);
                           Instrucao(*x.corpo);
                       },
                       [&](const instrucao::TentarCapturar& x) {
                           Instrucao(*x.tentar);
                           Instrucao(*x.capturar);
                       },
                       [&](const instrucao::Declarar& x) {
                           for (const auto& v : x.variaveis) Valor(v.valor);
                       },
                       [&](const instrucao::DeclararCursor& x) { Consulta(x.selecao); },
                       [&](const instrucao::Atribuir& x) { Valor(x.valor); },
                       [&](const instrucao::Retornar& x) { Valor(x.valor); },
                       [&](const instrucao::Imprimir& x) { Valor(x.valor); },
                       [&](const instrucao::LevantarErro& x) {
                           for (const auto& a : x.argumentos) Valor(a);
                       },
                       [&](const instrucao::ExecutarTexto& x) {
                           for (const auto& p : x.partes) Valor(p);
                       },
                       [&](const instrucao::ExecutarProcedimento& x) {
                           for (const auto& [nome, v] : x.argumentos) Argumento(v);
                       },
                       [&](const auto&) {},
                   },
                   c.instrucao);
    }

  private:
    void Valor(Faixa f) {
        if (f.Vazia()) return;
        LeitorDeExpressoes leitor(t_, f.inicio, f.fim);
        leitor.Expressao();
        leitor.ExigirFim();
    }
    void Consulta(Faixa f) {
        LeitorDeExpressoes leitor(t_, f.inicio, f.fim);
        leitor.LerConsulta();
        leitor.ExigirFim();
    }
    // FROM ... WHERE ... of UPDATE and DELETE
    void Clausulas(Faixa f) {
        if (f.Vazia()) return;
        LeitorDeExpressoes leitor(t_, f.inicio, f.fim);
        leitor.LerClausulas();
        leitor.ExigirFim();
    }
    // a value, or DEFAULT, and OUTPUT after a variable
    void Argumento(Faixa f) {
        if (f.fim == f.inicio + 1 && EhPalavra(t_[f.inicio], "DEFAULT")) return;
        Valor(f);
    }

    const std::vector<Token>& t_;
};

}  // namespace

void VerificarCorpo(const std::vector<Token>& tokens,
                    const std::vector<std::unique_ptr<Comando>>& instrucoes) {
    Verificador v(tokens);
    for (const auto& c : instrucoes) v.Instrucao(*c);
}

}  // namespace zolvek::simulador
