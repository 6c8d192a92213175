#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/conector/conector.hpp"
#include "db/conector/valor.hpp"

namespace zolvek::db {

class Conexao;
class ConjuntoDeDados;

// The count of the last statement of a batch that reported one (-1: none did).
// Triggers that do not set NOCOUNT report their own counts first; the statement's own
// count comes last.
std::int64_t LinhasAfetadasDoComando(const std::vector<Resultado>& resultados);

// A field of the current row of an open dataset.
class Campo {
  public:
    Campo(ConjuntoDeDados* dono, std::size_t indice, Coluna coluna);

    const std::string& Nome() const { return coluna_.nome; }
    TipoDeCampo Tipo() const { return coluna_.tipo; }
    int Tamanho() const { return coluna_.tamanho; }
    const Coluna& Definicao() const { return coluna_; }
    bool EhBlob() const;

    bool Nulo() const;
    std::string Texto() const;            // AsString (NULL -> "")
    std::string TextoDeExibicao() const;  // DisplayText
    std::int64_t Inteiro() const;
    double Real() const;
    bool Logico() const;
    DataHora DataEHora() const;
    const Valor& Variante() const;

    // Writing requires the dataset in edit or insert mode.
    void DefinirValor(Valor v);
    void DefinirTexto(const std::string& s) { DefinirValor(s); }
    void DefinirInteiro(std::int64_t n) { DefinirValor(n); }
    void DefinirDataHora(const DataHora& d) { DefinirValor(d); }
    void Limpar() { DefinirValor(std::monostate{}); }

  private:
    ConjuntoDeDados* dono_;
    std::size_t indice_;
    Coluna coluna_;
};

enum class TipoDeParametro { Texto, Inteiro, Variante };
enum class DirecaoDeParametro { Entrada };

class Parametro {
  public:
    explicit Parametro(std::string nome) : nome_(std::move(nome)) {}
    const std::string& Nome() const { return nome_; }
    void DefinirTipo(TipoDeParametro t) { tipo_ = t; }
    TipoDeParametro Tipo() const { return tipo_; }
    void DefinirDirecao(DirecaoDeParametro d) { direcao_ = d; }
    void DefinirValor(Valor v) { valor_ = std::move(v); }
    void DefinirTexto(const std::string& s) { valor_ = s; }
    void DefinirInteiro(std::int64_t n) { valor_ = n; }
    const Valor& ValorAtual() const { return valor_; }

  private:
    std::string nome_;
    TipoDeParametro tipo_ = TipoDeParametro::Variante;
    DirecaoDeParametro direcao_ = DirecaoDeParametro::Entrada;
    Valor valor_;
};

enum class TipoDeBloqueio { SomenteLeitura, Atualizavel };
enum class EstadoDoConjunto { Fechado, Navegando, Editando, Inserindo };

// A position in a dataset's rows, to come back to later.
using Marcador = std::int64_t;

// What Consulta and Procedimento share: the rows of the first result set that has
// columns (read whole when opened), navigation, fields, edit/insert/post.
class ConjuntoDeDados {
  public:
    explicit ConjuntoDeDados(Conexao* conexao = nullptr);
    virtual ~ConjuntoDeDados();
    ConjuntoDeDados(const ConjuntoDeDados&) = delete;
    ConjuntoDeDados& operator=(const ConjuntoDeDados&) = delete;

    void DefinirConexao(Conexao* conexao) { conexao_ = conexao; }
    Conexao* ConexaoAtual() const { return conexao_; }

    // The component name ("Parametros", "qryDataHora"): named in error messages and in
    // dumps of the program's state.
    void DefinirNomeDoComponente(std::string nome) { nomeDoComponente_ = std::move(nome); }
    const std::string& NomeDoComponente() const { return nomeDoComponente_; }

    // Opens and positions on the first row. Raises ErroDeBanco on failure.
    void Abrir();
    void Fechar();
    bool Aberto() const { return estado_ != EstadoDoConjunto::Fechado; }
    EstadoDoConjunto Estado() const { return estado_; }

    // Runs a statement that returns no rows; LinhasAfetadas() is then available.
    void Executar();
    std::int64_t LinhasAfetadas() const { return linhasAfetadas_; }

    void DefinirTimeout(int segundos) { timeout_ = segundos; }  // 0 = no limit
    int Timeout() const { return timeout_; }
    void DefinirBloqueio(TipoDeBloqueio b) { bloqueio_ = b; }
    // While the session has IDENTITY_INSERT on for the table, an inserted row carries
    // the value set in its identity column (the server refuses a row without one).
    void DefinirInclusaoDeIdentidade(bool incluir) { incluirIdentidade_ = incluir; }
    bool InclusaoDeIdentidade() const { return incluirIdentidade_; }
    TipoDeBloqueio Bloqueio() const { return bloqueio_; }

    // Parameters; the name lookup ignores letter case. A name the dataset does not
    // have raises ErroDeEntrada.
    Parametro& ParametroPorNome(std::string_view nome);
    Parametro* AcharParametro(std::string_view nome);
    std::vector<Parametro>& Parametros() { return parametros_; }

    // Fields of the open dataset. CampoPorNome raises ErroDeEntrada when missing;
    // AcharCampo returns nullptr.
    Campo& CampoPorNome(std::string_view nome);
    Campo* AcharCampo(std::string_view nome);
    std::vector<Campo>& Campos() { return campos_; }

    // Navigation, in the order the server returned the rows.
    void Primeiro();
    void Proximo();
    void Anterior();
    void Ultimo();
    bool Fim() const;              // Eof
    bool Inicio() const;           // Bof
    int NumeroDoRegistro() const;  // 1-based; 0 when there is no row
    int QuantidadeDeRegistros() const;
    bool Vazio() const { return QuantidadeDeRegistros() == 0; }

    // Edit on an empty result inserts a new row. Post writes the row back to the
    // dataset's single table (UPDATE of the changed columns, or INSERT). A read-only
    // dataset refuses edits with ErroDeEntrada.
    void Editar();
    void Inserir();
    // Append: a new row after the last one (no rows move, so appending many is cheap).
    void Acrescentar();
    void Gravar();  // Post
    void Cancelar();

    Marcador MarcadorAtual() const;
    void IrParaMarcador(Marcador m);
    void DesabilitarControles() { ++controlesDesabilitados_; }
    void HabilitarControles() {
        if (controlesDesabilitados_ > 0) --controlesDesabilitados_;
    }
    bool ControlesDesabilitados() const { return controlesDesabilitados_ > 0; }

    // The value of field `indice` of the current row (used by Campo).
    const Valor& ValorNaLinha(std::size_t indice) const;
    void AlterarValorNaLinha(std::size_t indice, Valor v);

  protected:
    // The results of running the dataset's command (query text or procedure).
    virtual std::vector<Resultado> RodarComando() = 0;
    // The table a Post writes to; raises ErroDeEntrada when there is no single table.
    virtual std::string TabelaParaGravar() const = 0;

    Conector& ConectorAberto();
    // The columns of the open result.
    const std::vector<Coluna>& Colunas() const { return colunas_; }
    // The one table the columns come from, as the backend reports it ("" when it does
    // not say); ErroDeEntrada when they come from several tables.
    std::string TabelaDasColunas() const;
    // "Nome: " for messages ("" when the dataset has no name).
    std::string Prefixo() const;

    Conexao* conexao_ = nullptr;
    std::vector<Parametro> parametros_;
    int timeout_ = 30;
    bool incluirIdentidade_ = false;

  private:
    void CarregarResultados(std::vector<Resultado> resultados);
    void GravarLinha();
    void GravarInclusao(Conector& conector, const std::string& tabela,
                        const std::vector<std::size_t>& colunas);
    void GravarAlteracao(Conector& conector, const std::string& tabela,
                         const std::vector<std::size_t>& colunas);
    std::vector<std::size_t> ColunasParaLocalizar(Conector& conector, const std::string& tabela,
                                                  const std::vector<std::size_t>& daTabela,
                                                  bool& porChave);
    void ExigirAberto() const;
    void InserirEm(std::size_t pos);
    void ExigirEdicaoPossivel() const;
    // Leaves edit or insert mode as navigation does: posts a modified row, drops an
    // untouched one.
    void SairDaEdicao();

    EstadoDoConjunto estado_ = EstadoDoConjunto::Fechado;
    TipoDeBloqueio bloqueio_ = TipoDeBloqueio::Atualizavel;
    std::vector<Coluna> colunas_;
    std::vector<Campo> campos_;
    std::vector<std::vector<Valor>> linhas_;
    std::vector<Valor> original_;  // the row as it was before Edit
    std::int64_t atual_ = 0;       // index into linhas_
    bool bof_ = true;
    bool eof_ = true;
    std::int64_t linhasAfetadas_ = -1;
    int controlesDesabilitados_ = 0;
    std::string nomeDoComponente_;
    std::vector<Marcador> marcadores_;  // a stable mark per row, parallel to linhas_
    Marcador proximoMarcador_ = 1;
    bool modificado_ = false;
};

// A dataset over SQL text. `:name` markers of the text are its parameters: they are
// created whenever the text changes, keeping the values of names that remain.
class Consulta : public ConjuntoDeDados {
  public:
    explicit Consulta(Conexao* conexao = nullptr);

    // The lines are joined with line breaks and sent as one batch.
    void DefinirSQL(const std::string& texto);
    void LimparSQL();
    void AdicionarLinha(const std::string& linha);
    const std::vector<std::string>& LinhasSQL() const { return linhas_; }
    std::string TextoSQL() const;

  protected:
    std::vector<Resultado> RodarComando() override;
    std::string TabelaParaGravar() const override;

  private:
    void AtualizarParametros();
    std::vector<std::string> linhas_;
};

// A stored-procedure dataset: runs the named procedure with input parameters.
class Procedimento : public ConjuntoDeDados {
  public:
    explicit Procedimento(Conexao* conexao = nullptr);

    void DefinirNome(const std::string& nome) { nome_ = nome; }
    const std::string& Nome() const { return nome_; }
    // Adds the parameter when the procedure does not have it yet.
    Parametro& CriarParametro(const std::string& nome, TipoDeParametro tipo);
    void Preparar() {}

  protected:
    std::vector<Resultado> RodarComando() override;
    std::string TabelaParaGravar() const override;

  private:
    std::string nome_;
};

}  // namespace zolvek::db
