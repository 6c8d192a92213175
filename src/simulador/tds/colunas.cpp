#include "simulador/tds/colunas.hpp"

#include <algorithm>

#include "comum/decimal.hpp"
#include "simulador/tds/tokens.hpp"

namespace zolvek::simulador::tds {

namespace {

using db::TipoDeCampo;

constexpr std::uint16_t kAnulavel = 0x0001;
// usUpdateable "unknown", as SQL Server marks the columns of a plain SELECT (drivers
// take any column so marked as writable)
constexpr std::uint16_t kAtualizavel = 0x0008;
constexpr std::uint16_t kIdentidade = 0x0010;

// What the values of a column say about it.
struct Amostra {
    bool algumDecimal = false;
    bool algumReal = false;
    bool algumForaDoDatetime = false;
    std::size_t maiorTexto = 0;  // UTF-16 units
    std::size_t maiorBinario = 0;
    bool binariosDoMesmoTamanho = true;
    int digitosInteiros = 1;
    int escala = 0;
    std::int64_t menor = 0, maior = 0;  // of the integers
};

Amostra Amostrar(const db::Resultado& r, std::size_t c) {
    Amostra a;
    std::size_t primeiroBinario = SIZE_MAX;
    for (const auto& linha : r.linhas) {
        const db::Valor& v = linha[c];
        if (const auto* s = std::get_if<std::string>(&v)) {
            a.maiorTexto =
                std::max(a.maiorTexto, s->size() <= 4000 ? UnidadesUtf16(*s) : s->size());
        } else if (const auto* b = std::get_if<db::Bytes>(&v)) {
            a.maiorBinario = std::max(a.maiorBinario, b->size());
            if (primeiroBinario == SIZE_MAX) primeiroBinario = b->size();
            if (b->size() != primeiroBinario) a.binariosDoMesmoTamanho = false;
        } else if (const auto* d = std::get_if<db::Decimal>(&v)) {
            a.algumDecimal = true;
            Decimal x;
            if (Decimal::TentarLer(d->texto, x)) {
                a.escala = std::max(a.escala, x.Escala());
                a.digitosInteiros = std::max(a.digitosInteiros, x.Digitos() - x.Escala());
            }
        } else if (std::holds_alternative<double>(v)) {
            a.algumReal = true;
        } else if (const auto* n = std::get_if<std::int64_t>(&v)) {
            a.menor = std::min(a.menor, *n);
            a.maior = std::max(a.maior, *n);
            a.digitosInteiros = std::max(
                a.digitosInteiros, static_cast<int>(std::to_string(*n).size()) - (*n < 0 ? 1 : 0));
        } else if (const auto* h = std::get_if<db::DataHora>(&v)) {
            if (h->ano < 1753) a.algumForaDoDatetime = true;
        }
    }
    return a;
}

TipoTds Texto(const db::Coluna& col, const Amostra& a) {
    TipoTds t;
    t.tipo = kNVarChar;
    t.colacao = kColacao;
    const std::size_t declarado = col.tamanho > 0 ? static_cast<std::size_t>(col.tamanho) : 0;
    const std::size_t caracteres = std::max(declarado, a.maiorTexto);
    if (col.tipo == TipoDeCampo::Memo || caracteres > 4000)
        t.tamanho = kTamanhoMax;
    else
        t.tamanho = static_cast<std::uint32_t>(std::max<std::size_t>(caracteres, 1) * 2);
    if (declarado == 0 && t.tamanho != kTamanhoMax) t.tamanho = 8000;  // nvarchar(4000)
    return t;
}

TipoTds Binario(const db::Coluna& col, const Amostra& a) {
    TipoTds t;
    const std::size_t declarado = col.tamanho > 0 ? static_cast<std::size_t>(col.tamanho) : 0;
    const std::size_t tamanho = std::max(declarado, a.maiorBinario);
    if (col.tipo == TipoDeCampo::Bytes && declarado > 0 && declarado <= 8000 &&
        a.binariosDoMesmoTamanho && (a.maiorBinario == 0 || a.maiorBinario == declarado)) {
        t.tipo = kBinario;
        t.tamanho = static_cast<std::uint32_t>(declarado);
        return t;
    }
    t.tipo = kVarBinario;
    t.tamanho =
        declarado == 0 || tamanho > 8000 ? kTamanhoMax : static_cast<std::uint32_t>(tamanho);
    return t;
}

TipoTds Numero(const db::Coluna& col, const Amostra& a) {
    TipoTds t;
    const bool real = !a.algumDecimal && (a.algumReal || col.precisao == 0 || col.precisao == 53 ||
                                          col.precisao == 24);
    if (real) {
        t.tipo = kRealN;
        t.tamanho = col.precisao == 24 ? 4 : 8;
        return t;
    }
    t.tipo = kDecimalN;
    int escala = col.precisao > 0 ? col.escala : a.escala;
    int precisao = col.precisao > 0 ? col.precisao : a.digitosInteiros + escala;
    if (escala < a.escala && col.precisao == 0) escala = a.escala;
    precisao = std::clamp(std::max(precisao, a.digitosInteiros + escala), 1, 38);
    escala = std::clamp(escala, 0, precisao);
    t.precisao = static_cast<std::uint8_t>(precisao);
    t.escala = static_cast<std::uint8_t>(escala);
    t.tamanho = TamanhoDoDecimal(precisao);
    return t;
}

// The fraction digits of a time or datetime2 column: 7 when the result does not say.
std::uint8_t EscalaDaFracao(const db::Coluna& col) {
    return static_cast<std::uint8_t>(col.precisao == 0 ? 7 : std::clamp(col.escala, 0, 7));
}

TipoTds TipoDaColuna(const db::Coluna& col, const Amostra& a) {
    TipoTds t;
    switch (col.tipo) {
        case TipoDeCampo::Integer:
        case TipoDeCampo::SmallInt:
        case TipoDeCampo::Word:
        case TipoDeCampo::LargeInt:
            if (a.algumDecimal || a.algumReal) return Numero(col, a);
            t.tipo = kIntN;
            t.tamanho = col.tipo == TipoDeCampo::Integer    ? 4
                        : col.tipo == TipoDeCampo::SmallInt ? 2
                        : col.tipo == TipoDeCampo::Word     ? 1
                                                            : 8;
            // a value the category's size cannot hold widens the column
            if (t.tamanho == 1 && (a.menor < 0 || a.maior > 255)) t.tamanho = 2;
            if (t.tamanho == 2 && (a.menor < INT16_MIN || a.maior > INT16_MAX)) t.tamanho = 4;
            if (t.tamanho == 4 && (a.menor < INT32_MIN || a.maior > INT32_MAX)) t.tamanho = 8;
            return t;
        case TipoDeCampo::Boolean:
            t.tipo = kBitN;
            t.tamanho = 1;
            return t;
        case TipoDeCampo::Float:
            return Numero(col, a);
        case TipoDeCampo::Currency:
            t.tipo = kDinheiroN;
            t.tamanho = col.precisao == 10 ? 4 : 8;
            return t;
        case TipoDeCampo::DateTime:
            if (a.algumForaDoDatetime ||
                (col.precisao != 0 && col.precisao != 23 && col.precisao != 16)) {
                t.tipo = kDataHora2N;
                t.escala = EscalaDaFracao(col);
                return t;
            }
            t.tipo = kDataHoraN;
            t.tamanho = col.precisao == 16 ? 4 : 8;
            return t;
        case TipoDeCampo::Date:
            t.tipo = kDataN;
            t.tamanho = 3;
            return t;
        case TipoDeCampo::Time:
            t.tipo = kHoraN;
            t.escala = EscalaDaFracao(col);
            return t;
        case TipoDeCampo::Guid:
            t.tipo = kGuid;
            t.tamanho = 16;
            return t;
        case TipoDeCampo::Variant:
            t.tipo = kVariante;
            t.tamanho = 8009;
            return t;
        case TipoDeCampo::Blob:
        case TipoDeCampo::Bytes:
            return Binario(col, a);
        default:
            return Texto(col, a);
    }
}

}  // namespace

std::vector<ColunaDeSaida> DescreverColunas(const db::Resultado& r) {
    std::vector<ColunaDeSaida> colunas;
    colunas.reserve(r.colunas.size());
    for (std::size_t c = 0; c < r.colunas.size(); ++c) {
        const db::Coluna& col = r.colunas[c];
        ColunaDeSaida s;
        s.nome = col.nome;
        s.tipo = TipoDaColuna(col, Amostrar(r, c));
        s.anulavel = col.anulavel;
        s.identidade = col.identidade;
        s.somenteLeitura = col.somenteLeitura;
        colunas.push_back(std::move(s));
    }
    return colunas;
}

void EscreverMetadados(Escritor& e, const std::vector<ColunaDeSaida>& colunas) {
    e.U8(kMetadados);
    e.U16(static_cast<std::uint16_t>(colunas.size()));
    for (const auto& c : colunas) {
        e.U32(0);  // user type
        std::uint16_t flags = c.somenteLeitura ? 0 : kAtualizavel;
        if (c.anulavel) flags |= kAnulavel;
        if (c.identidade) flags |= kIdentidade;
        e.U16(flags);
        EscreverInfoDeTipo(e, c.tipo);
        e.BVarChar(c.nome);
    }
}

void EscreverLinha(Escritor& e, const std::vector<ColunaDeSaida>& colunas,
                   const std::vector<db::Valor>& linha) {
    const bool temNulo =
        std::any_of(linha.begin(), linha.end(), [](const db::Valor& v) { return db::EhNulo(v); });
    if (!temNulo) {
        e.U8(kLinha);
        for (std::size_t c = 0; c < colunas.size(); ++c)
            EscreverValor(e, colunas[c].tipo, linha[c]);
        return;
    }
    // NBCROW: a bit per column marks the NULLs, which take no bytes of their own
    e.U8(kLinhaComNulos);
    const std::size_t inicio = e.Tamanho();
    for (std::size_t i = 0; i < (colunas.size() + 7) / 8; ++i) e.U8(0);
    for (std::size_t c = 0; c < colunas.size(); ++c) {
        if (db::EhNulo(linha[c]))
            e.Dados()[inicio + c / 8] |= static_cast<std::uint8_t>(1u << (c % 8));
        else
            EscreverValor(e, colunas[c].tipo, linha[c]);
    }
}

void EscreverValorDeRetorno(Escritor& e, std::uint16_t ordinal, const std::string& nome,
                            const TipoTds& tipo, const db::Valor& valor) {
    e.U8(kValorDeRetorno);
    e.U16(ordinal);
    e.BVarChar(nome);
    e.U8(0x01);  // an OUTPUT parameter
    e.U32(0);    // user type
    e.U16(kAnulavel);
    const TipoTds anulavel = TipoAnulavel(tipo);
    EscreverInfoDeTipo(e, anulavel);
    EscreverValor(e, anulavel, valor);
}

}  // namespace zolvek::simulador::tds
