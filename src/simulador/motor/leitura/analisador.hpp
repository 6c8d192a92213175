#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"

// The parser of a batch's statements. Its parts: the batch and the choice of each
// statement's reader (analisador.cpp); SELECT and the data changes (analisador_dml.cpp,
// analisador_mescla.cpp); CREATE, ALTER and DROP (analisador_de_criacoes.cpp,
// analisador_de_alteracoes.cpp, analisador_de_exclusoes.cpp), with the columns and
// constraints of tables (analisador_de_tabelas.cpp) and data types (analisador_de_tipos.cpp);
// the bodies of procedures, triggers, functions and views (analisador_de_objetos.cpp);
// transactions (analisador_de_transacoes.cpp), SET (analisador_de_opcoes.cpp), GRANT
// (analisador_de_permissoes.cpp), BACKUP and RESTORE (analisador_de_backups.cpp); and
// procedural T-SQL (analisador_procedural.cpp). Only AnalisarLote uses it.
namespace zolvek::simulador {

// Keywords that start a new statement when met at the outer level.
bool IniciaInstrucao(const Token& t);

class Analisador {
  public:
    Analisador(const std::vector<Token>& tokens, const std::string& texto)
        : t_(tokens), texto_(texto) {}

    std::vector<std::unique_ptr<Comando>> Lote();

  private:
    bool Fim() const { return i_ >= t_.size(); }
    const Token& Atual() const { return t_[i_]; }
    bool Palavra(std::string_view p, std::size_t k = 0) const {
        return i_ + k < t_.size() && EhPalavra(t_[i_ + k], p);
    }
    bool Simbolo(std::string_view s, std::size_t k = 0) const {
        return i_ + k < t_.size() && EhSimbolo(t_[i_ + k], s);
    }
    [[noreturn]] void Erro() const { ErroDeSintaxe(t_, i_); }
    void Esperar(std::string_view p) {
        if (!Palavra(p)) Erro();
        ++i_;
    }
    void EsperarSimbolo(std::string_view s) {
        if (!Simbolo(s)) Erro();
        ++i_;
    }
    bool Aceitar(std::string_view p) {
        if (Palavra(p)) {
            ++i_;
            return true;
        }
        return false;
    }
    bool AceitarSimbolo(std::string_view s) {
        if (Simbolo(s)) {
            ++i_;
            return true;
        }
        return false;
    }
    std::string Nome();
    NomeComposto NomeDeObjeto();
    std::string TextoOuNome();
    std::string NomeDaTransacao();
    std::optional<instrucao::ClausulaDeSaida> Saida();
    bool TemInto(Faixa f) const;
    std::size_t Fecho(std::size_t i) const;
    std::string TextoEntre(std::size_t a, std::size_t b) const {  // tokens [a, b)
        if (b <= a) return "";
        return texto_.substr(t_[a].inicio, t_[b - 1].fim - t_[a].inicio);
    }

    std::size_t FimDaInstrucao(std::size_t k, int selectsAceitos = 0, int setsAceitos = 0) const;

    // A statement of type T that starts at token `inicio`, and its body to fill in.
    template <class T>
    std::pair<std::unique_ptr<Comando>, T*> Novo(std::size_t inicio) {
        auto c = std::unique_ptr<Comando>(
            new Comando{Faixa{inicio, 0},
                        QualquerInstrucao(std::in_place_type<T>),
                        inicio < t_.size() ? t_[inicio].texto : std::string(),
                        {}});
        T* corpo = &std::get<T>(c->instrucao);
        return {std::move(c), corpo};
    }

    // The readers Instrucao tries in turn; each but the last is null when the statement is
    // not of its kind.
    std::unique_ptr<Comando> Instrucao(bool primeiro);
    std::unique_ptr<Comando> InstrucaoDeDados(std::size_t inicio);  // analisador_dml.cpp
    std::unique_ptr<Comando> InstrucaoDeDefinicao();
    std::unique_ptr<Comando> InstrucaoDeControle(std::size_t inicio);
    std::unique_ptr<Comando> InstrucaoAdministrativa(std::size_t inicio);
    std::unique_ptr<Comando> InstrucaoSemPalavraConhecida(std::size_t inicio, bool primeiro);
    std::unique_ptr<Comando> Usar(std::size_t inicio);
    std::unique_ptr<Comando> Matar(std::size_t inicio);
    std::unique_ptr<Comando> Aguardar(std::size_t inicio);
    std::unique_ptr<Comando> PontoDeControle(std::size_t inicio);
    std::unique_ptr<Comando> Selecionar(std::size_t inicio);
    std::unique_ptr<Comando> Truncar(std::size_t inicio);
    std::unique_ptr<Comando> AtualizarEstatisticas(std::size_t inicio);
    std::vector<std::string> VariaveisRepetidas(Faixa f) const;
    std::size_t FimDoCom(std::size_t k) const;
    bool ComAntesDeAlteracao() const;
    std::unique_ptr<Comando> AlteracaoComConsultas();
    std::optional<instrucao::Topo> TopoDaAlteracao();
    std::unique_ptr<Comando> Inserir();
    instrucao::ValorDaInsercao ValorDaInsercaoDe(Faixa f, instrucao::Inserir& x);
    std::unique_ptr<Comando> Atualizar();
    void IrAte(std::size_t fim, std::initializer_list<std::string_view> paradas, bool virgula);
    std::vector<std::pair<std::string, Faixa>> Atribuicoes(
        std::size_t fim, std::initializer_list<std::string_view> paradas);
    std::vector<instrucao::AtribuicaoDeColuna> AtribuicoesLidas(std::size_t fim);
    // MERGE (analisador_mescla.cpp).
    std::unique_ptr<Comando> Mesclar();
    void AcaoDaMescla(instrucao::AcaoDaMescla& a);
    ConsultaLida TabelaComoConsulta(Faixa nome);
    ConsultaLida FonteComNomes(Faixa fonte, std::string& apelido);
    std::optional<std::size_t> FimDaFonteComNomes() const;
    std::unique_ptr<Comando> Excluir();
    std::string Expressao();
    static std::string EntreParenteses(const std::string& s);
    TipoSql Tipo();
    std::vector<ColunaDeIndice> ColunasDeIndice();
    std::vector<std::string> ListaDeNomes();
    void OpcoesDeIndice();
    void AcoesReferenciais(DefRestricao& r);
    bool RestricaoDeTabela(DefRestricao& r);
    void PularWithOn();
    void ColunaOuRestricao(std::vector<DefColuna>& colunas, std::vector<DefRestricao>& restricoes);
    DefColuna Coluna(bool soTipo);
    DefRestricao RestricaoDeColuna(const std::string& coluna);
    void LerCalculo(DefColuna& c);
    std::string FiltroDoIndice();
    std::unique_ptr<Comando> CriarTipo(std::size_t inicio);  // analisador_de_tipos.cpp
    std::unique_ptr<Comando> Dbcc(std::size_t inicio);       // analisador_dbcc.cpp
    // analisador_de_logins.cpp
    std::unique_ptr<Comando> CriarLogin(std::size_t inicio);
    std::unique_ptr<Comando> AlterarLogin(std::size_t inicio);
    std::unique_ptr<Comando> AlterarPapelDoServidor(std::size_t inicio);
    std::string TextoLiteral();
    std::string Numero();
    std::unique_ptr<Comando> Criar();
    void RecusarObjetoSemSuporte(const char* verbo);
    // CREATE/ALTER PROCEDURE, TRIGGER, FUNCTION, VIEW (analisador_de_objetos.cpp)
    std::unique_ptr<Comando> ObjetoProgramado(std::size_t inicio, bool alterar);
    void OpcoesDoObjeto();
    void CabecalhoDoProcedimento(instrucao::CriarObjeto& x);
    void CabecalhoDoGatilho(instrucao::CriarObjeto& x);
    ConsultaLida ConsultaAteOFim();
    std::unique_ptr<Comando> Visao(std::unique_ptr<Comando> c, instrucao::CriarObjeto& x);
    std::unique_ptr<Comando> Funcao(std::unique_ptr<Comando> c, instrucao::CriarObjeto& x);

    ArquivoDeclarado Arquivo();
    std::unique_ptr<Comando> CriarBanco(std::size_t inicio);
    std::unique_ptr<Comando> Alterar();
    std::unique_ptr<Comando> AlterarTabela(std::size_t inicio);
    std::unique_ptr<Comando> AlterarBanco(std::size_t inicio);
    bool LerOpcaoSemEfeito(instrucao::AlterarBanco& x);
    std::unique_ptr<Comando> AlterarPapel(std::size_t inicio);
    std::unique_ptr<Comando> AlterarUsuario(std::size_t inicio);
    std::unique_ptr<Comando> CriarOuAlterar(std::size_t inicio);
    std::unique_ptr<Comando> Soltar();
    bool SeExistir();
    std::unique_ptr<Comando> Iniciar();
    std::unique_ptr<Comando> ConfirmarTransacao(std::size_t inicio);
    std::unique_ptr<Comando> DesfazerTransacao(std::size_t inicio);
    std::unique_ptr<Comando> SalvarTransacao(std::size_t inicio);
    std::unique_ptr<Comando> Executar(std::size_t inicio);
    std::unique_ptr<Comando> Definir();
    void OpcoesDoSet(instrucao::Ignorado& x, std::size_t inicio, std::size_t fim);
    std::unique_ptr<Comando> Conceder();
    ExpressaoLida Disco();
    ExpressaoLida ValorDaOpcao();
    std::unique_ptr<Comando> Backup();
    std::string PalavraEntre(std::initializer_list<const char*> palavras);
    void OpcaoIgnorada();
    ExpressaoLida OpcoesDeLeitura();
    std::unique_ptr<Comando> Restaurar();

    // procedural T-SQL: variables, control of flow, cursors, errors (analisador_procedural.cpp)
    std::unique_ptr<Comando> Se();
    Faixa Condicao();
    // expressoes_lidas.cpp: an expression's tree (with SET's @v op= x, `atribuida` and
    // `operador` "+=" ...), and one where a bare word is a text
    ExpressaoLida ExpressaoDe(Faixa f, const std::string& atribuida = "",
                              const std::string& operador = "");
    ExpressaoLida ExpressaoOuPalavra(Faixa f);
    ConsultaLida ConsultaDe(Faixa f);
    ClausulasLidas ClausulasDe(Faixa f);
    void LerConsultaDaSaida(std::optional<instrucao::ClausulaDeSaida>& s,
                            const std::string& evento);
    void LerConsultasDaSaidaDaMescla(std::optional<instrucao::ClausulaDeSaida>& s);
    ConsultaLida ConsultaDaSaida(Faixa lista, const std::string& evento, bool mescla);
    instrucao::ArgumentoDaChamada Argumento(std::string nome, Faixa f, bool saida);
    std::unique_ptr<Comando> Filha();
    static bool NaoInterpretada(const Token& t);
    std::unique_ptr<Comando> InstrucaoProcedural();
    std::string NomeDoCursor();
    std::size_t FimDoItem() const;
    std::unique_ptr<Comando> Declarar();
    instrucao::VariavelDeclarada Variavel(bool parametro);
    std::vector<DefColuna> ColunasDaTabelaVariavel(std::vector<DefRestricao>& restricoes);
    std::unique_ptr<Comando> DeclararCursor(std::size_t inicio);
    void LerCursor(instrucao::DeclararCursor& x);
    std::unique_ptr<Comando> Buscar();
    std::vector<Faixa> ItensEntreParenteses(const char* separador);
    std::unique_ptr<Comando> LevantarErro();
    std::unique_ptr<Comando> Atribuir(std::size_t inicio);
    std::unique_ptr<Comando> ExecutarTexto(std::size_t inicio);
    std::unique_ptr<Comando> TentarCapturar(std::size_t inicio);
    std::unique_ptr<Comando> BlocoAte(const char* fecho, bool exigeInstrucao);
    void VerificarVariaveis() const;
    static bool EmLugarDeTabela(const Token& anterior);
    bool EhRotulo(std::size_t k) const;
    void VerificarRotulos() const;

    const std::vector<Token>& t_;
    const std::string& texto_;
    std::size_t i_ = 0;
    bool primeiro_ = true;               // the statement being read is the batch's first
    int aninhamento_ = 0;                // statements inside IF, WHILE, BEGIN ... END
    bool emCorpo_ = false;               // reading the body of a procedure, trigger or function
    std::set<std::size_t> declaracoes_;  // tokens that declare a variable
    std::set<std::size_t> nomesDeArgumento_;  // @p of EXEC proc @p = v
    std::vector<std::size_t> rotulos_;        // the name token of each label
    std::vector<std::size_t> destinos_;       // the label token of each GOTO
    std::vector<int> ordinais_;               // of the '?' tokens, numbered when first needed
    // the key of the last INSERT form read: the statements of a form that follow one
    // another (a script's thousands of INSERTs) share it
    std::shared_ptr<const std::string> ultimaForma_;
    std::string tipoDoUsuario_;  // the alias type (or sysname) Tipo() last read
    SintaxeRecente recente_;     // of the statement being read
};

}  // namespace zolvek::simulador
