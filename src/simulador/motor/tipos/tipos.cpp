#include "simulador/motor/tipos/tipos.hpp"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "comum/hora_local.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
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

TipoSql TipoDaOperacaoDecimal(char operador, int p1, int s1, int p2, int s2) {
    int p = 0, s = 0;
    switch (operador) {
        case '+':
        case '-':
            s = std::max(s1, s2);
            p = std::max(p1 - s1, p2 - s2) + s + 1;
            if (p > 38) s = std::max(0, std::min(s, 38 - std::max(p1 - s1, p2 - s2)));
            break;
        case '%':
            s = std::max(s1, s2);
            p = std::min(p1 - s1, p2 - s2) + s;
            break;
        default:
            if (operador == '*') {
                p = p1 + p2 + 1;
                s = s1 + s2;
            } else {
                s = std::max(6, s1 + p2 + 1);
                p = p1 - s1 + s2 + s;
            }
            // Past 38 digits the integral part keeps its room; the scale gives way, but
            // not below 6 digits once the integral part needs more than 32.
            if (p > 38) {
                const int inteira = p - s;
                if (inteira < 32)
                    s = std::min(s, 38 - inteira);
                else if (s > 6)
                    s = 6;
            }
            break;
    }
    return TipoSql{TipoBase::Numeric, 0, std::clamp(p, 1, 38), std::clamp(s, 0, 38)};
}

std::string FormatarDecimal(double v, int escala) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", escala, v);
    std::string s = b;
    if (s == "-0" || (s.rfind("-0.", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos))
        s.erase(0, 1);
    return s;
}

}  // namespace zolvek::simulador
