#include "analysis/tipos_sql.hpp"

#include "comum/erros.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

using dicionario::CategoriaDeDados;

namespace {

// "INT" for "F" and "N" fields without decimals of at most 9 digits.
bool CriaInteiro(const dicionario::CampoDic& campo) {
    return campo.Decimais == 0 && campo.Tamanho <= 9;
}

}  // namespace

std::string TipoSQL(const dicionario::CampoDic& campo, int versaoMaior) {
    const std::string tamanho = std::to_string(campo.Tamanho);
    switch (campo.Tipo) {
        case 'S':
            return "INT IDENTITY(1,1)";
        case 'B':
            return "VARBINARY(max)";
        case 'M':
            return "NVARCHAR(max)";
        case 'F':
        case 'N':
            if (CriaInteiro(campo)) return "INT";
            return "DEC(" + tamanho + "," + std::to_string(campo.Decimais) + ")";
        case 'D':
        case 'H':
            return "DATETIME";
        case 'I':
            return "MONEY";
        case 'R':
            return versaoMaior >= 10 ? "ROWVERSION" : "TIMESTAMP";
        default:
            if (campo.Tamanho > 8000)
                throw ErroDeEntrada("Campo 'caracter' não pode ter mais que 8.000 caracteres");
            if (campo.Tamanho > 4000) return "VARCHAR(" + tamanho + ")";
            return "NVARCHAR(" + tamanho + ")";
    }
}

std::string DefinicaoDaColuna(const dicionario::CampoDic& campo, ModoDeNulo modo, int versaoMaior) {
    std::string definicao = db::EntreColchetes(campo.Nome) + " " + TipoSQL(campo, versaoMaior);
    if (campo.Tipo == 'S' || campo.Tipo == 'M' || campo.Tipo == 'R') return definicao;
    if (modo == ModoDeNulo::ConformeCampo)
        return definicao + (campo.Obrigatorio ? " NOT NULL" : " NULL");
    if (modo == ModoDeNulo::SempreNulo) return definicao + " NULL";
    return definicao;
}

CategoriaDeDados CategoriaDaColunaCriada(const dicionario::CampoDic& campo) {
    if (campo.Tipo == 'F' && CriaInteiro(campo)) return CategoriaDeDados::Inteiro;
    const CategoriaDeDados k = campo.Categoria();
    return k == CategoriaDeDados::Nenhuma ? CategoriaDeDados::Texto : k;
}

bool CriaVarchar(const dicionario::CampoDic& campo) {
    return CategoriaDaColunaCriada(campo) == CategoriaDeDados::Texto && campo.Tamanho > 4000;
}

CategoriaDeDados CategoriaDaColuna(const db::Coluna& coluna) {
    using db::TipoDeCampo;
    switch (coluna.tipo) {
        case TipoDeCampo::String:
        case TipoDeCampo::Guid:
        case TipoDeCampo::Variant:
            return CategoriaDeDados::Texto;
        case TipoDeCampo::Memo:
            return CategoriaDeDados::Memo;
        case TipoDeCampo::Blob:
            return CategoriaDeDados::Blob;
        case TipoDeCampo::Bytes:
            return CategoriaDeDados::Bytes;
        case TipoDeCampo::Integer:
            return CategoriaDeDados::Inteiro;
        case TipoDeCampo::SmallInt:
        case TipoDeCampo::Word:  // tinyint: a small integer for the comparison
            return CategoriaDeDados::InteiroPequeno;
        case TipoDeCampo::LargeInt:
            return CategoriaDeDados::InteiroGrande;
        case TipoDeCampo::Boolean:
            return CategoriaDeDados::Booleano;
        case TipoDeCampo::Float:
            return CategoriaDeDados::Flutuante;
        case TipoDeCampo::Currency:
            return CategoriaDeDados::Moeda;
        case TipoDeCampo::DateTime:
            return CategoriaDeDados::DataHora;
        case TipoDeCampo::Date:
            return CategoriaDeDados::Data;
        case TipoDeCampo::Time:
            return CategoriaDeDados::Hora;
        case TipoDeCampo::Desconhecido:
            break;
    }
    return CategoriaDeDados::Nenhuma;
}

}  // namespace zolvek::analysis
