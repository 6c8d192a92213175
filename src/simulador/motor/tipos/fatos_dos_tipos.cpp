#include "simulador/motor/tipos/tipos.hpp"

#include <cstdlib>

#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_dos_tipos.hpp"

namespace zolvek::simulador {

std::string NomeDoTipo(TipoBase b) {
    return TipoDoServidorDe(b).nome;
}

std::string TextoDoTipo(const TipoSql& t) {
    std::string s = NomeDoTipo(t.base);
    switch (t.base) {
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return s + "(" + (t.tamanho < 0 ? std::string("max") : std::to_string(t.tamanho)) + ")";
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return s + "(" + std::to_string(t.precisao) + "," + std::to_string(t.escala) + ")";
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t) == 7 ? s : s + "(" + std::to_string(CasasDaFracao(t)) + ")";
        default:
            return s;
    }
}

std::optional<TipoBase> TipoPeloNome(std::string_view nome) {
    const std::string dobrado = Dobrar(nome);
    for (const TipoDoServidor& t : TiposDoServidor())
        if (dobrado == t.nome) return t.base;
    return TipoPorOutroNome(dobrado);
}

namespace {

// The digits a time, datetime2 or datetimeoffset of `casas` fraction digits is written with.
int PrecisaoDaData(TipoBase b, int casas) {
    const int base = b == TipoBase::Time ? 8 : b == TipoBase::DateTime2 ? 19 : 26;
    return base + (casas ? casas + 1 : 0);
}

}  // namespace

TipoSql CompletarTipo(TipoBase b, int tamanho, int precisao, int escala, bool informado) {
    TipoSql t;
    t.base = b;
    switch (b) {
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            t.tamanho = informado ? tamanho : 1;
            break;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            t.precisao = informado ? precisao : 18;
            t.escala = informado ? escala : 0;
            break;
        case TipoBase::Float:
            // float(n): 1..24 is real, 25..53 is float
            if (informado && tamanho > 0 && tamanho <= 24) t.base = TipoBase::Real;
            break;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            // the precision tells a kept scale from a column stored before it was kept
            t.escala = informado ? tamanho : 7;
            t.precisao = PrecisaoDaData(b, t.escala);
            break;
        default:
            break;
    }
    return t;
}

bool EhTexto(TipoBase b) {
    return TipoDoServidorDe(b).familia == FamiliaDoTipo::Texto;
}
bool EhBinario(TipoBase b) {
    return TipoDoServidorDe(b).familia == FamiliaDoTipo::Binario;
}
bool EhInteiro(TipoBase b) {
    return TipoDoServidorDe(b).familia == FamiliaDoTipo::Inteiro;
}
bool EhNumericoExato(TipoBase b) {
    const FamiliaDoTipo f = TipoDoServidorDe(b).familia;
    return f == FamiliaDoTipo::Decimal || f == FamiliaDoTipo::Moeda;
}

bool EhAproximado(TipoBase b) {
    return b == TipoBase::Float || b == TipoBase::Real;
}

bool EhNumerico(TipoBase b) {
    return EhInteiro(b) || EhNumericoExato(b) || EhAproximado(b);
}
bool EhMoeda(TipoBase b) {
    return TipoDoServidorDe(b).familia == FamiliaDoTipo::Moeda;
}
bool EhDataHora(TipoBase b) {
    return TipoDoServidorDe(b).familia == FamiliaDoTipo::DataHora;
}

int XType(TipoBase b) {
    return TipoDoServidorDe(b).xtype;
}

int ComprimentoEmBytes(const TipoSql& t) {
    if (const int bytes = TipoDoServidorDe(t.base).bytes; bytes != kPelaDeclaracao) return bytes;
    switch (t.base) {
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.precisao <= 9 ? 5 : t.precisao <= 19 ? 9 : t.precisao <= 28 ? 13 : 17;
        case TipoBase::Time:
            return CasasDaFracao(t) <= 2 ? 3 : CasasDaFracao(t) <= 4 ? 4 : 5;
        case TipoBase::DateTime2:
            return CasasDaFracao(t) <= 2 ? 6 : CasasDaFracao(t) <= 4 ? 7 : 8;
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t) <= 2 ? 8 : CasasDaFracao(t) <= 4 ? 9 : 10;
        case TipoBase::NChar:
        case TipoBase::NVarChar:
            return t.tamanho < 0 ? -1 : t.tamanho * 2;
        default:  // char, varchar, binary, varbinary
            return t.tamanho;
    }
}

int PrecisaoDoCatalogo(const TipoSql& t) {
    if (const int p = TipoDoServidorDe(t.base).precisao; p != kPelaDeclaracao) return p;
    if (t.base == TipoBase::Decimal || t.base == TipoBase::Numeric) return t.precisao;
    if (EhDataHora(t.base)) return PrecisaoDaData(t.base, CasasDaFracao(t));
    return t.tamanho;  // char, varchar, nchar, nvarchar, binary, varbinary
}

int EscalaDoCatalogo(const TipoSql& t) {
    if (const int e = TipoDoServidorDe(t.base).escala; e != kPelaDeclaracao) return e;
    if (t.base == TipoBase::Decimal || t.base == TipoBase::Numeric) return t.escala;
    return CasasDaFracao(t);  // time, datetime2, datetimeoffset
}

std::optional<int> PrecisaoNumerica(const TipoSql& t) {
    if (EhInteiro(t.base) && t.base != TipoBase::Bit) return PrecisaoDoCatalogo(t);
    if (EhNumericoExato(t.base) || t.base == TipoBase::Float || t.base == TipoBase::Real)
        return PrecisaoDoCatalogo(t);
    return std::nullopt;
}

std::optional<int> EscalaNumerica(const TipoSql& t) {
    if (EhInteiro(t.base) && t.base != TipoBase::Bit) return 0;
    if (EhNumericoExato(t.base)) return EscalaDoCatalogo(t);
    return std::nullopt;
}

db::TipoDeCampo CategoriaDoTipo(const TipoSql& t) {
    // varchar(max) and nvarchar(max) read as the long texts they are
    if ((t.base == TipoBase::VarChar || t.base == TipoBase::NVarChar) && t.tamanho < 0)
        return db::TipoDeCampo::Memo;
    return TipoDoServidorDe(t.base).campo;
}

const char* TipoSqlite(const TipoSql& t) {
    return TipoDoServidorDe(t.base).noSqlite;
}

std::optional<TipoSql> LerTextoDeTipo(const std::string& texto) {
    std::string nome;
    std::size_t i = 0;
    while (i < texto.size() && texto[i] != '(') nome += texto[i++];
    while (!nome.empty() && nome.back() == ' ') nome.pop_back();
    auto base = TipoPeloNome(nome);
    if (!base) return std::nullopt;
    int a = 0, b = 0;
    bool informado = false;
    if (i < texto.size()) {
        informado = true;
        std::string dentro = texto.substr(i + 1);
        if (!dentro.empty() && dentro.back() == ')') dentro.pop_back();
        if (Dobrar(dentro) == "max")
            a = -1;
        else {
            a = std::atoi(dentro.c_str());
            auto v = dentro.find(',');
            if (v != std::string::npos) b = std::atoi(dentro.c_str() + v + 1);
        }
    }
    return CompletarTipo(*base, a, a, b, informado);
}

}  // namespace zolvek::simulador
