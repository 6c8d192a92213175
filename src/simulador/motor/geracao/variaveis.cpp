#include "simulador/motor/geracao/variaveis.hpp"

#include <cctype>

#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/leitura/lexico.hpp"
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

}  // namespace zolvek::simulador
