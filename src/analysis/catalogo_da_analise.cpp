#include "analysis/catalogo_da_analise.hpp"

#include <charconv>
#include <vector>

#include "analysis/leitura_de_comandos.hpp"
#include "comum/texto.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

namespace {

std::string ChaveDoCatalogo(const std::string& nome) {
    return texto::Minusculas(nome);
}

// Runs `sql` and hands every row to `linha`; a catalog that cannot be read is skipped.
template <typename Linha>
void PercorrerCatalogo(db::Conexao& conexao, const std::string& sql, Linha linha) {
    db::Consulta q(&conexao);
    q.DefinirTimeout(0);
    q.DefinirSQL(sql);
    try {
        q.Abrir();
        for (q.Primeiro(); !q.Fim(); q.Proximo()) linha(q);
    } catch (const ErroDeBanco&) {
    }
    q.Fechar();
}

enum class FamiliaDeTipo { Texto, Numero, Data, Outra };

std::string BaseDoTipo(const std::string& tipo) {
    return tipo.substr(0, tipo.find('('));
}

// The numbers in the type's parentheses; "max" is -1.
std::vector<long long> ParametrosDoTipo(const std::string& tipo) {
    std::vector<long long> r;
    const auto abre = tipo.find('('), fecha = tipo.find(')');
    if (abre == std::string::npos || fecha == std::string::npos || fecha < abre) return r;
    for (const std::string& parte : texto::Dividir(tipo.substr(abre + 1, fecha - abre - 1), ',')) {
        long long n = -1;
        if (parte != "max") std::from_chars(parte.data(), parte.data() + parte.size(), n);
        r.push_back(n);
    }
    return r;
}

FamiliaDeTipo FamiliaDoTipo(const std::string& tipo) {
    const std::string b = BaseDoTipo(tipo);
    for (const char* t : {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "TEXT", "NTEXT"})
        if (b == t) return FamiliaDeTipo::Texto;
    for (const char* t : {"INT", "BIGINT", "SMALLINT", "TINYINT", "BIT", "DECIMAL", "MONEY",
                          "SMALLMONEY", "FLOAT", "REAL"})
        if (b == t) return FamiliaDeTipo::Numero;
    for (const char* t : {"DATETIME", "SMALLDATETIME", "DATE", "DATETIME2", "TIME"})
        if (b == t) return FamiliaDeTipo::Data;
    return FamiliaDeTipo::Outra;
}

bool TextoNacional(const std::string& tipo) {
    return !tipo.empty() && tipo[0] == 'N';
}

// Characters a text type takes; -1 for no limit.
long long ComprimentoDoTexto(const std::string& tipo) {
    const auto p = ParametrosDoTipo(tipo);
    if (BaseDoTipo(tipo) == "TEXT" || BaseDoTipo(tipo) == "NTEXT") return -1;
    return p.empty() ? 1 : p[0];
}

// Digits before the decimal point and after it.
std::pair<long long, long long> DigitosDoNumero(const std::string& tipo) {
    const std::string b = BaseDoTipo(tipo);
    if (b == "DECIMAL") {
        const auto p = ParametrosDoTipo(tipo);
        const long long precisao = p.empty() ? 18 : p[0];
        const long long escala = p.size() > 1 ? p[1] : 0;
        return {precisao - escala, escala};
    }
    if (b == "TINYINT") return {3, 0};
    if (b == "SMALLINT") return {5, 0};
    if (b == "INT") return {10, 0};
    if (b == "BIGINT") return {19, 0};
    return {-1, -1};  // money, float, bit: no simple count of digits
}

bool TextoMaisLargo(const std::string& de, const std::string& para) {
    if (TextoNacional(de) && !TextoNacional(para))
        return false;  // characters outside the code page
    const long long a = ComprimentoDoTexto(de), b = ComprimentoDoTexto(para);
    return b == -1 || (a != -1 && b >= a);
}

bool NumeroMaisLargo(const std::string& de, const std::string& para) {
    const auto [inteirosDe, decimaisDe] = DigitosDoNumero(de);
    const auto [inteirosPara, decimaisPara] = DigitosDoNumero(para);
    if (inteirosDe < 0 || inteirosPara < 0) return false;
    if (BaseDoTipo(para) != "DECIMAL" && BaseDoTipo(de) == "DECIMAL") return false;
    return inteirosPara >= inteirosDe && decimaisPara >= decimaisDe;
}

}  // namespace

FotoDoCatalogo FotoDoCatalogo::Ler(db::Conexao& conexao) {
    FotoDoCatalogo f;
    PercorrerCatalogo(
        conexao,
        "select TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, "
        "NUMERIC_PRECISION, NUMERIC_SCALE, IS_NULLABLE from INFORMATION_SCHEMA.COLUMNS",
        [&](db::Consulta& q) {
            const auto campo = [&](int i) -> const db::Campo& { return q.Campos().at(i); };
            ColunaDoCatalogo c;
            c.tipo = TipoDoCatalogo(campo(2).Texto(), campo(3).Nulo() ? 0 : campo(3).Inteiro(),
                                    campo(4).Nulo() ? 0 : campo(4).Inteiro(),
                                    campo(5).Nulo() ? 0 : campo(5).Inteiro());
            c.nulo = texto::IguaisSemCaixa(campo(6).Texto(), "YES");
            f.DefinirColuna(campo(0).Texto(), campo(1).Texto(), c);
        });
    PercorrerCatalogo(conexao, "select name from sysobjects",
                      [&](db::Consulta& q) { f.DefinirObjeto(q.Campos().at(0).Texto(), true); });
    PercorrerCatalogo(conexao,
                      "select t.name, i.name from sys.indexes i inner join sys.objects t on "
                      "i.object_id = t.object_id where i.name is not null",
                      [&](db::Consulta& q) {
                          f.DefinirIndice(q.Campos().at(0).Texto(), q.Campos().at(1).Texto(), true);
                      });
    return f;
}

std::optional<ColunaDoCatalogo> FotoDoCatalogo::Coluna(const std::string& tabela,
                                                       const std::string& coluna) const {
    const auto t = colunas_.find(ChaveDoCatalogo(tabela));
    if (t == colunas_.end()) return std::nullopt;
    const auto c = t->second.find(ChaveDoCatalogo(coluna));
    if (c == t->second.end()) return std::nullopt;
    return c->second;
}

void FotoDoCatalogo::DefinirColuna(const std::string& tabela, const std::string& coluna,
                                   const ColunaDoCatalogo& c) {
    colunas_[ChaveDoCatalogo(tabela)][ChaveDoCatalogo(coluna)] = c;
}

bool FotoDoCatalogo::TabelaExiste(const std::string& tabela) const {
    return colunas_.count(ChaveDoCatalogo(tabela)) > 0;
}

bool FotoDoCatalogo::ObjetoExiste(const std::string& nome) const {
    return objetos_.count(ChaveDoCatalogo(nome)) > 0;
}

void FotoDoCatalogo::DefinirObjeto(const std::string& nome, bool existe) {
    if (existe)
        objetos_.insert(ChaveDoCatalogo(nome));
    else
        objetos_.erase(ChaveDoCatalogo(nome));
}

bool FotoDoCatalogo::IndiceExiste(const std::string& tabela, const std::string& nome) const {
    return indices_.count({ChaveDoCatalogo(tabela), ChaveDoCatalogo(nome)}) > 0;
}

void FotoDoCatalogo::DefinirIndice(const std::string& tabela, const std::string& nome,
                                   bool existe) {
    if (existe)
        indices_.insert({ChaveDoCatalogo(tabela), ChaveDoCatalogo(nome)});
    else
        indices_.erase({ChaveDoCatalogo(tabela), ChaveDoCatalogo(nome)});
}

std::string TipoDoCatalogo(const std::string& tipo, std::int64_t tamanho, std::int64_t precisao,
                           std::int64_t escala) {
    const std::string t = texto::Maiusculas(tipo);
    for (const char* comTamanho : {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "BINARY", "VARBINARY"})
        if (t == comTamanho)
            return t + "(" + (tamanho < 0 ? std::string("max") : std::to_string(tamanho)) + ")";
    if (t == "DECIMAL" || t == "NUMERIC")
        return "DECIMAL(" + std::to_string(precisao) + "," + std::to_string(escala) + ")";
    return TipoNormalizado(t);
}

bool PodeFalharOuPerder(const std::string& de, const std::string& para) {
    if (de == para) return false;
    const FamiliaDeTipo a = FamiliaDoTipo(de), b = FamiliaDoTipo(para);
    if (a == FamiliaDeTipo::Texto && b == FamiliaDeTipo::Texto) return !TextoMaisLargo(de, para);
    if (a == FamiliaDeTipo::Numero && b == FamiliaDeTipo::Numero) return !NumeroMaisLargo(de, para);
    return true;
}

bool ConversaoDesfazATransacao(const std::string& para) {
    const FamiliaDeTipo f = FamiliaDoTipo(para);
    return f == FamiliaDeTipo::Numero || f == FamiliaDeTipo::Data;
}

std::optional<std::string> ConsultaDeValoresQueNaoConvertem(const std::string& tabela,
                                                            const std::string& coluna,
                                                            const std::string& de,
                                                            const std::string& para,
                                                            int versaoMaior) {
    if (!PodeFalharOuPerder(de, para)) return std::nullopt;
    const std::string c = db::EntreColchetes(coluna);
    const FamiliaDeTipo destino = FamiliaDoTipo(para), origem = FamiliaDoTipo(de);
    std::string falham, perdem = "0";
    if (destino == FamiliaDeTipo::Texto) {
        if (origem == FamiliaDeTipo::Outra || ComprimentoDoTexto(para) < 0) return std::nullopt;
        falham =
            "LEN(CONVERT(NVARCHAR(max), " + c + ")) > " + std::to_string(ComprimentoDoTexto(para));
    } else if ((destino == FamiliaDeTipo::Numero || destino == FamiliaDeTipo::Data) &&
               versaoMaior >= 11) {
        falham = "TRY_CONVERT(" + para + ", " + c + ") IS NULL";
        // Only a number compares with a number without a conversion of its own.
        if (destino == FamiliaDeTipo::Numero && origem == FamiliaDeTipo::Numero)
            perdem =
                "COUNT(CASE WHEN TRY_CONVERT(" + para + ", " + c + ") <> " + c + " THEN 1 END)";
    } else {
        return std::nullopt;
    }
    return "SELECT COUNT(CASE WHEN " + falham + " THEN 1 END) AS falham, " + perdem +
           " AS perdem FROM " + db::EntreColchetes(tabela) + " WHERE " + c + " IS NOT NULL";
}

}  // namespace zolvek::analysis
