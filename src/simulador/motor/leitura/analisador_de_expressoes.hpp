#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/leitura/lexico.hpp"

// Reads T-SQL expressions and queries from a run of tokens into the typed tree.
// Raises ErroDeBanco ("Incorrect syntax near 'x'.") on what it cannot read.
namespace zolvek::simulador {

class LeitorDeExpressoes {
  public:
    // Reads tokens [inicio, fim); `ordinais` numbers the '?' of the whole batch.
    LeitorDeExpressoes(const std::vector<Token>& tokens, std::size_t inicio, std::size_t fim,
                       const std::vector<int>* ordinais = nullptr);

    Expr Expressao();
    std::unique_ptr<Consulta> LerConsulta();
    // WITH x AS (...), y AS (...): the named queries that a query or a data change reads
    std::vector<ConsultaNomeada> LerCom();
    // [FROM sources] [WHERE condition]
    Clausulas LerClausulas();
    // a FROM list without its keyword
    std::vector<Juncao> LerFontes();

    bool NoFim() const;
    // Fails unless every token was read (a trailing ';' aside).
    void ExigirFim();
    std::size_t Posicao() const { return i_; }

  private:
    // Guards the reader's recursion: each level of nesting holds one while it is read.
    struct Nivel {
        explicit Nivel(int& n);
        ~Nivel();
        Nivel(const Nivel&) = delete;
        Nivel& operator=(const Nivel&) = delete;
        int& n_;
    };

    bool Fim() const { return i_ >= fim_; }
    bool Palavra(const char* p, std::size_t k = 0) const;
    bool Simbolo(const char* s, std::size_t k = 0) const;
    bool Aceitar(const char* p);
    bool AceitarSimbolo(const char* s);
    void Esperar(const char* p);
    void EsperarSimbolo(const char* s);
    [[noreturn]] void Erro() const;
    bool NomeLivre(std::size_t k = 0) const;  // a name that is not a reserved word
    std::vector<std::string> NomeComPartes();
    std::string Apelido();
    bool IniciaConsulta() const;
    bool ConsultaEntreParenteses(std::size_t k) const;

    Expr Ou();
    Expr E();
    Expr Nao();
    Expr Predicado();
    Expr Quantificada(Expr valor, std::string comparacao);
    Expr Escalar();
    Expr Soma();
    Expr Produto();
    Expr Unario();
    Expr Primario();
    Expr NomeOuChamada();
    Expr Chamar(std::vector<std::string> nome);
    Expr LerCaso();
    std::string LerTipo();
    std::unique_ptr<Janela> LerJanela();
    void LerMoldura(Janela& j);
    std::string LerLimiteDaMoldura(bool faixa, bool inicio, bool sozinho);
    std::vector<OrdemDe> LerOrdem();
    std::unique_ptr<Selecao> LerSelecao();
    ItemDaSelecao LerItem();
    // GROUP BY's list (analisador_de_agrupamento.cpp)
    void LerAgrupamento(Selecao& s);
    std::vector<std::vector<std::size_t>> LerElementoDoAgrupamento(Selecao& s, int& especial);
    std::vector<std::vector<std::size_t>> LerListaDeConjuntos(Selecao& s);
    std::vector<std::size_t> LerComposto(Selecao& s);
    Fonte LerFonte();
    std::unique_ptr<Pivo> LerPivo();
    void LerValores(Fonte& f);
    void ExigirNomesDosValores(const Fonte& f) const;
    void LerDicas();
    // FOR XML PATH and the xml methods of its TYPE (analisador_xml.cpp)
    std::unique_ptr<ParaXml> LerParaXml();
    std::string LerNomeDoXml(const char* padrao);
    Expr LerMetodoXml(Expr alvo);
    void RecusarAmostra() const;

    const std::vector<Token>& t_;
    std::size_t i_;
    std::size_t fim_;
    const std::vector<int>* ordinais_;
    int profundidade_ = 0;
};

// The literal a lone text, number or binary token reads as, as the reader makes it;
// null for any other token and for a money constant ($12, which is read further).
Expr LiteralDoToken(const Token& t);
std::optional<Literal> LiteralDe(const Token& t);

// "Incorrect syntax near 'x'." (102), or "near the keyword 'X'." (156) for a reserved
// word, naming token i (the end of the batch past the last).
[[noreturn]] void ErroDeSintaxe(const std::vector<Token>& tokens, std::size_t i);
ErroDeBanco ErroDeSintaxeEm(const std::vector<Token>& tokens, std::size_t i);

// An error the engine gives for what SQL Server reads and it does not run.
bool RecusaDoSimulador(const ErroDeBanco& e);

// True for T-SQL's reserved words, which cannot name a column or alias unquoted.
bool PalavraReservada(const Token& t);

}  // namespace zolvek::simulador
