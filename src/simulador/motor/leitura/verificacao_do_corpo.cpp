#include "simulador/motor/leitura/verificacao_do_corpo.hpp"

#include <string_view>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

[[noreturn]] void EfeitoColateral(const std::string& operador) {
    throw ErroDoServidor(443, {operador});
}

class Verificador {
  public:
    Verificador(const std::vector<Token>& tokens, bool funcao, bool funcaoDeTabela)
        : t_(tokens), funcao_(funcao), funcaoDeTabela_(funcaoDeTabela) {}

    void Instrucao(const Comando& c) {
        std::visit(Visitante{
                       [&](const instrucao::Selecionar& x) { Consulta(x.selecao.faixa); },
                       [&](const instrucao::Inserir& x) {
                           if (!x.selecao.Vazia()) Consulta(x.selecao.faixa);
                       },
                       // UPDATE's and DELETE's clauses and the procedural statements'
                       // expressions were read with them
                       [&](const instrucao::Se& x) {
                           Instrucao(*x.entao);
                           if (x.senao) Instrucao(*x.senao);
                       },
                       [&](const instrucao::Bloco& x) {
                           for (const auto& f : x.filhos) Instrucao(*f);
                       },
                       [&](const instrucao::Enquanto& x) { Instrucao(*x.corpo); },
                       [&](const instrucao::TentarCapturar& x) {
                           Instrucao(*x.tentar);
                           Instrucao(*x.capturar);
                       },
                       [&](const instrucao::Retornar& x) {
                           // a table function returns its table: RETURN takes no value
                           if (funcaoDeTabela_ && !x.valor.Vazia()) throw ErroDoServidor(178);
                       },
                       [&](const instrucao::LevantarErro& x) {
                           // a bare word, read as a text, is still no reserved word
                           for (const auto& a : x.argumentos) Valor(a.faixa);
                       },
                       [&](const instrucao::ExecutarTexto& x) {
                           for (const auto& p : x.partes) Valor(p.faixa);
                       },
                       [&](const instrucao::ExecutarProcedimento& x) {
                           // a bare word, read as a text, is still no reserved word
                           for (const auto& a : x.argumentos) Argumento(a.valor.faixa);
                       },
                       [&](const auto&) {},
                   },
                   c.instrucao);
        if (funcao_) SemEfeitoForaDaFuncao(c);
    }

  private:
    // A function changes nothing but its own variables and table variables, and shows
    // no rows: SQL Server refuses the rest when the function is created.
    void SemEfeitoForaDaFuncao(const Comando& c) const {
        std::visit(
            Visitante{
                [&](const instrucao::Inserir& x) {
                    if (!DaFuncao(x.objeto, {})) EfeitoColateral("INSERT");
                },
                [&](const instrucao::Atualizar& x) {
                    if (!DaFuncao(x.objeto, x.resto.faixa)) EfeitoColateral("UPDATE");
                },
                [&](const instrucao::Excluir& x) {
                    if (!DaFuncao(x.objeto, x.resto.faixa))
                        EfeitoColateral(x.truncar ? "TRUNCATE TABLE" : "DELETE");
                },
                [&](const instrucao::Imprimir&) { EfeitoColateral("PRINT"); },
                [&](const instrucao::LevantarErro&) { EfeitoColateral("RAISERROR"); },
                [&](const instrucao::ExecutarTexto&) { EfeitoColateral("EXECUTE STRING"); },
                [&](const instrucao::IniciarTransacao&) { EfeitoColateral("BEGIN TRANSACTION"); },
                [&](const instrucao::ConfirmarTransacao&) {
                    EfeitoColateral("COMMIT TRANSACTION");
                },
                [&](const instrucao::DesfazerTransacao&) {
                    EfeitoColateral("ROLLBACK TRANSACTION");
                },
                [&](const instrucao::SalvarTransacao&) { EfeitoColateral("SAVE TRANSACTION"); },
                [&](const instrucao::Selecionar& x) {
                    if (x.para) EfeitoColateral("SELECT INTO");
                    if (!Atribui(x.selecao.faixa)) throw ErroDoServidor(444);
                },
                [&](const auto&) {},
            },
            c.instrucao);
    }

    // A table variable, or the alias a FROM gives one (UPDATE r SET ... FROM @t r).
    bool DaFuncao(const NomeComposto& objeto, Faixa resto) const {
        if (objeto.partes.size() == 1 && !objeto.partes[0].empty() && objeto.partes[0][0] == '@')
            return true;
        for (std::size_t k = resto.inicio; k + 1 < resto.fim; ++k) {
            if (t_[k].tipo != TipoToken::Variavel) continue;
            std::size_t a = k + 1;
            if (EhPalavra(t_[a], "AS") && a + 1 < resto.fim) ++a;
            if (EhNome(t_[a]) && IguaisCiAs(t_[a].texto, objeto.Nome())) return true;
        }
        return false;
    }

    // SELECT @v = ...: a SELECT that assigns variables shows nothing.
    bool Atribui(Faixa f) const {
        try {
            LeitorDeExpressoes leitor(t_, f.inicio, f.fim);
            auto q = leitor.LerConsulta();
            leitor.ExigirFim();
            return !q->ramos.empty() && q->ramos[0].selecao &&
                   !q->ramos[0].selecao->itens.empty() &&
                   !q->ramos[0].selecao->itens[0].variavel.empty();
        } catch (const ErroDeBanco&) {
            return true;  // its syntax is told by Consulta
        }
    }

    // A lone text, number or binary always reads (as a literal): the long VALUES lists
    // of a script are made of them. A money constant ($12) is read further.
    bool LiteralSozinho(Faixa f) const {
        if (f.fim != f.inicio + 1) return false;
        const Token& t = t_[f.inicio];
        return t.tipo == TipoToken::Texto || t.tipo == TipoToken::TextoN ||
               t.tipo == TipoToken::Binario ||
               (t.tipo == TipoToken::Numero && !t.texto.empty() && t.texto[0] != '$');
    }

    // What SQL Server reads and the engine does not (APPLY, ...) is refused
    // when the body runs, not when it is created.
    template <class F>
    static void Ler(F ler) {
        try {
            ler();
        } catch (const ErroDeBanco& e) {
            if (!RecusaDoSimulador(e)) throw;
        }
    }
    void Valor(Faixa f) {
        if (f.Vazia() || LiteralSozinho(f)) return;
        Ler([&] {
            LeitorDeExpressoes leitor(t_, f.inicio, f.fim);
            leitor.Expressao();
            leitor.ExigirFim();
        });
    }
    void Consulta(Faixa f) {
        Ler([&] {
            LeitorDeExpressoes leitor(t_, f.inicio, f.fim);
            leitor.LerConsulta();
            leitor.ExigirFim();
        });
    }
    // a value, or DEFAULT (INSERT ... VALUES, UPDATE ... SET)
    void ValorOuPadrao(Faixa f) {
        if (f.fim == f.inicio + 1 && EhPalavra(t_[f.inicio], "DEFAULT")) return;
        Valor(f);
    }
    // a value, or DEFAULT, and OUTPUT after a variable
    void Argumento(Faixa f) { ValorOuPadrao(f); }

    const std::vector<Token>& t_;
    bool funcao_;
    bool funcaoDeTabela_;
};

}  // namespace

void VerificarCorpo(const std::vector<Token>& tokens,
                    const std::vector<std::unique_ptr<Comando>>& instrucoes, bool funcao,
                    bool funcaoDeTabela) {
    Verificador v(tokens, funcao, funcaoDeTabela);
    for (const auto& c : instrucoes) v.Instrucao(*c);
}

}  // namespace zolvek::simulador
