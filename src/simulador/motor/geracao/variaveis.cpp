#include "simulador/motor/geracao/variaveis.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// @@ROWCOUNT, @@ERROR, @@FETCH_STATUS and the CATCH block's functions, as :zvsN.
constexpr const char* kPseudo[] = {"@@rowcount",   "@@error",       "@@fetch_status",
                                   "error_number", "error_message", "error_severity",
                                   "error_state",  "@@nestlevel"};

int Pseudo(const std::string& dobrado) {
    for (int k = 0; k < 8; ++k)
        if (dobrado == kPseudo[k]) return k + 1;
    return 0;
}

}  // namespace

db::Valor EstadoProcedural::Valor(int n) const {
    switch (n) {
        case 1:
            return linhas;
        case 2:
            return erro;
        case 3:
            return buscaDoCursor;
        default:
            break;
    }
    if (n == 8) return static_cast<std::int64_t>(aninhamento);
    if (!emCaptura) return std::monostate{};
    if (n == 4) return numeroDoErro;
    if (n == 5) return mensagemDoErro;
    if (n == 6) return severidadeDoErro;
    return estadoDoErro;
}

void QuadroDeVariaveis::Declarar(const instrucao::VariavelDeclarada& v) {
    const std::string chave = Dobrar(v.nome);
    if (porNome_.count(chave)) return;  // the parser already refused a second one
    const TipoSql tipo = TipoDeclarado(v);
    porNome_[chave] = itens_.size();
    itens_.push_back({v.nome, tipo, std::monostate{}});
}

void QuadroDeVariaveis::DeclararDe(const std::vector<std::unique_ptr<Comando>>& comandos) {
    for (const auto& c : comandos) DeclararDe(*c);
}

void QuadroDeVariaveis::DeclararDe(const Comando& c) {
    std::visit(Visitante{
                   [&](const instrucao::Declarar& x) {
                       for (const auto& v : x.variaveis)
                           if (!v.tabela)
                               Declarar(v);
                           else
                               tabelas_.push_back(&v);
                   },
                   [&](const instrucao::Se& x) {
                       DeclararDe(*x.entao);
                       if (x.senao) DeclararDe(*x.senao);
                   },
                   [&](const instrucao::Bloco& x) { DeclararDe(x.filhos); },
                   [&](const instrucao::Enquanto& x) { DeclararDe(*x.corpo); },
                   [&](const instrucao::TentarCapturar& x) {
                       DeclararDe(*x.tentar);
                       DeclararDe(*x.capturar);
                   },
                   [](const auto&) {},
               },
               c.instrucao);
}

VariavelDoLote* QuadroDeVariaveis::Achar(const std::string& nome) {
    auto it = porNome_.find(Dobrar(nome));
    return it == porNome_.end() ? nullptr : &itens_[it->second];
}

const VariavelDoLote* QuadroDeVariaveis::Achar(const std::string& nome) const {
    auto it = porNome_.find(Dobrar(nome));
    return it == porNome_.end() ? nullptr : &itens_[it->second];
}

std::string QuadroDeVariaveis::Sqlite(const std::string& nome) const {
    const std::string chave = Dobrar(nome);
    if (int p = chave.rfind("@@", 0) == 0 ? Pseudo(chave) : 0) return ":zvs" + std::to_string(p);
    const VariavelDoLote* v = Achar(nome);
    if (!v) return "";
    std::string s = "zv_cast(:zvv" + std::to_string(Slot(*v) + 1) + ", " +
                    ComoTexto(TextoDoTipo(v->tipo)) + ")";
    // a variable compares in the database's collation, as SQL Server's does
    if (EhTexto(v->tipo.base)) s = "(" + s + " COLLATE " + kColacao + ")";
    return s;
}

std::optional<TipoSql> QuadroDeVariaveis::Tipo(const std::string& nome) const {
    const std::string chave = Dobrar(nome);
    if (chave.rfind("@@", 0) == 0) {
        if (Pseudo(chave)) return TipoSql{TipoBase::Int, 0, 10, 0};
        return std::nullopt;
    }
    const VariavelDoLote* v = Achar(nome);
    return v ? std::optional(v->tipo) : std::nullopt;
}

CursorDoLote* QuadroDeVariaveis::Cursor(const std::string& nome) {
    auto it = cursores_.find(Dobrar(nome));
    return it == cursores_.end() ? nullptr : &it->second;
}

std::string SqliteDaFuncaoDeErro(const std::string& nome, bool comEstado) {
    if (nome == "xact_state") return "zv_xact_state()";
    const int p = Pseudo(nome);
    if (p < 4 || p > 7) return "";
    // outside a CATCH block they are NULL
    return comEstado ? ":zvs" + std::to_string(p) : "NULL";
}

namespace {

bool Usa(const Comando& c) {
    return std::visit(
        Visitante{
            [](const instrucao::Se& x) { return Usa(*x.entao) || (x.senao && Usa(*x.senao)); },
            [](const instrucao::Bloco& x) { return UsaVariaveis(x.filhos); },
            [](const auto& x) { return InstrucaoProcedural<std::decay_t<decltype(x)>>; },
        },
        c.instrucao);
}

}  // namespace

bool UsaVariaveis(const std::vector<std::unique_ptr<Comando>>& comandos) {
    for (const auto& c : comandos)
        if (Usa(*c)) return true;
    return false;
}

namespace {

std::string TextoDoArgumento(const db::Valor& v) {
    return db::EhNulo(v) ? "(null)" : ComoTextoDeValor(v);
}

std::int64_t InteiroDoArgumento(const db::Valor& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (const auto* d = std::get_if<double>(&v)) return static_cast<std::int64_t>(*d);
    return std::strtoll(TextoDoArgumento(v).c_str(), nullptr, 10);
}

}  // namespace

// %[flags][width][.precision][h|l|I64]type, type one of d i o s u x X; %% is a %.
std::string FormatarMensagem(const std::string& f, const std::vector<db::Valor>& args) {
    std::string r;
    std::size_t proximo = 0;
    for (std::size_t k = 0; k < f.size(); ++k) {
        if (f[k] != '%') {
            r += f[k];
            continue;
        }
        if (k + 1 < f.size() && f[k + 1] == '%') {
            r += '%';
            ++k;
            continue;
        }
        std::size_t j = k + 1;
        std::string conversao = "%";
        while (j < f.size() && std::string("-+ 0#").find(f[j]) != std::string::npos)
            conversao += f[j++];
        auto numero = [&] {
            if (j < f.size() && f[j] == '*') {
                ++j;
                conversao +=
                    std::to_string(proximo < args.size() ? InteiroDoArgumento(args[proximo++]) : 0);
                return;
            }
            while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j])))
                conversao += f[j++];
        };
        numero();
        if (j < f.size() && f[j] == '.') {
            conversao += f[j++];
            numero();
        }
        if (j < f.size() && (f[j] == 'h' || f[j] == 'l')) ++j;
        if (f.compare(j, 3, "I64") == 0) j += 3;
        if (j >= f.size() || std::string("diosuxX").find(f[j]) == std::string::npos) {
            r += f.substr(k, j - k);  // not a placeholder: kept as written
            k = j - 1;
            continue;
        }
        const char tipo = f[j];
        k = j;
        if (proximo >= args.size()) {
            r += "(null)";
            continue;
        }
        const db::Valor& a = args[proximo++];
        char buf[512];
        if (tipo == 's' || db::EhNulo(a)) {
            std::snprintf(buf, sizeof buf, (conversao + "s").c_str(), TextoDoArgumento(a).c_str());
        } else {
            const std::string molde = conversao + "ll" + (tipo == 'i' ? 'd' : tipo);
            std::snprintf(buf, sizeof buf, molde.c_str(),
                          static_cast<long long>(InteiroDoArgumento(a)));
        }
        r += buf;
    }
    return r;
}

}  // namespace zolvek::simulador
