#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The data dictionary: the structure (tables, fields, indexes) that a company
// database must have, read from the dictionary file that ships beside the program.
namespace zolvek::dicionario {

// The server kind of the connection, which selects the script blocks taken from the
// file. Same numbers as the session layer's server kind.
enum class TipoDeServidor : int { Nenhum = 0, SqlServer = 1, PostgreSql = 2 };

// The data category of a field (and of a database column, for the analysis that
// compares both). No dictionary type code gives the small/large integer, word,
// boolean, date or time categories.
enum class CategoriaDeDados {
    Nenhuma,
    Texto,
    Memo,
    Blob,
    Bytes,
    Inteiro,
    InteiroPequeno,
    Word,
    InteiroGrande,
    Booleano,
    Flutuante,
    Moeda,
    DataHora,
    Data,
    Hora,
};

struct CampoDic {
    std::string Nome;
    char Tipo = 0;  // type code; 0 when the file gave none
    std::int32_t Tamanho = 0;
    std::int32_t Decimais = 0;
    std::string SistemasExcluidos;
    std::string Titulo;
    std::string ValoresValidos;
    std::string Texto7;  // kept, not interpreted
    std::string TabelaReferenciada;
    std::string CampoReferenciado;
    std::string FiltroDaReferencia;  // handed to the filter editor with the reference
    bool Obrigatorio = false;
    std::string Validacao;
    std::string ValorPadrao;
    std::string Sistemas;
    std::string Texto15;  // kept, not interpreted

    // The fixed list of allowed values: empty when `ValoresValidos` is empty or begins
    // with "*"; else the comma-list items when it holds a comma, else the whole text.
    // The first value is the field's default.
    std::vector<std::string> ListaDeValoresValidos() const;

    // The category of the type code, with N's rule applied to Tamanho and Decimais.
    CategoriaDeDados Categoria() const;
};

struct IndiceDic {
    std::string Nome;
    std::string Colunas;  // used verbatim between the parentheses
    bool Unico = false;
    bool Primario = false;
};

struct TabelaDic {
    std::string Nome;
    std::string Descricao;
    std::string Classe;
    bool Restrita = false;  // Classe exactly "S" or "P": no access grants
    std::string Sistemas;
    std::vector<CampoDic> Campos;    // file order
    std::vector<IndiceDic> Indices;  // file order, may be empty
};

// The three counts that line 4 of the file declares. The model is sized from the
// content itself; the counts tell whether the file holds all it was written with.
struct QuantidadesDeclaradas {
    std::int32_t tabelas = 0;
    std::int32_t campos = 0;
    std::int32_t indices = 0;
};

// What a load does when line 4's counts differ from what the structure section holds
// (a file cut short, or edited by hand): refuse the file, or take it as it is (for
// tools that show a file).
enum class ContagensDaLinha4 { Exigir, Aceitar };

// "" when the tables hold exactly the declared counts; otherwise the difference in
// words ("a linha 4 declara 26 tabela(s), ... mas o arquivo tem 16 tabela(s), ...").
std::string DiferencaDasContagens(const QuantidadesDeclaradas& declaradas,
                                  const std::vector<TabelaDic>& tabelas);

// The file name of the dictionary, looked for in the program's own folder.
inline constexpr const char* kNomeDoArquivo = "ZAV_Molvena.DicD";

// The default path: the program's folder + "ZAV_Molvena.DicD"; the bare file name
// (relative to the current directory) when the folder is unknown (empty).
std::filesystem::path CaminhoDoDicionario(const std::filesystem::path& pastaDoPrograma);

class DicionarioDeDados {
  public:
    // Reads the file and replaces the whole model. When `LinhasDeScript` is given, the
    // body lines of the script blocks of the server kind are appended to it; when
    // `TabelasDeParametro` is given, the names of the tables of class "P". Raises
    // ErroDeEntrada; a failed load leaves no table (and appends nothing to the lists).
    // A file whose structure does not hold line 4's counts is refused unless
    // `contagens` says otherwise. (A cut inside the script section cannot be told:
    // nothing declares its length.)
    void CarregarDicionario(const std::filesystem::path& caminho, TipoDeServidor tipoDeServidor,
                            std::vector<std::string>* LinhasDeScript = nullptr,
                            std::vector<std::string>* TabelasDeParametro = nullptr,
                            ContagensDaLinha4 contagens = ContagensDaLinha4::Exigir);

    // The same from the file's bytes already in memory; `caminho` only names the file
    // in the messages.
    void CarregarDeBytes(std::string_view bytes, const std::string& caminho,
                         TipoDeServidor tipoDeServidor,
                         std::vector<std::string>* LinhasDeScript = nullptr,
                         std::vector<std::string>* TabelasDeParametro = nullptr,
                         ContagensDaLinha4 contagens = ContagensDaLinha4::Exigir);

    // -1 until a file got as far as its second line.
    std::int32_t RevisaoDoDicionario() const { return revisao_; }
    const QuantidadesDeclaradas& Declaradas() const { return declaradas_; }

    const std::vector<TabelaDic>& Tabelas() const { return tabelas_; }
    // Mutable: the analysis widens field sizes to what the database already has.
    std::vector<TabelaDic>& Tabelas() { return tabelas_; }

    // The first table of that name (ignoring case), after dropping a leading "dbo."
    // (case-sensitive); nullptr when there is none.
    const TabelaDic* ObterTabelaDic(std::string_view nome) const;
    TabelaDic* ObterTabelaDic(std::string_view nome);

    // True when some table of that name (ignoring case, no "dbo." handling) has a field
    // of that name (ignoring case).
    bool ExisteCampoNoDicionario(std::string_view tabela, std::string_view campo) const;

    // Back to the state before any load: no tables, revision -1.
    void Limpar();

  private:
    std::int32_t revisao_ = -1;
    QuantidadesDeclaradas declaradas_;
    std::vector<TabelaDic> tabelas_;
};

// The first field of the table with that name (ignoring case), or nullptr.
const CampoDic* ObterCampoDic(const TabelaDic& tabela, std::string_view nome);
CampoDic* ObterCampoDic(TabelaDic& tabela, std::string_view nome);

// The program-wide dictionary that the commands share.
DicionarioDeDados& DicionarioDoPrograma();

}  // namespace zolvek::dicionario
