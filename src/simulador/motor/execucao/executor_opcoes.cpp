// SET: the options of the session the engine keeps, SET ROWCOUNT and SET IDENTITY_INSERT.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// SET NOCOUNT ON|OFF; the other SET options the parser lets through change nothing here.
namespace {

// ON/OFF options the engine keeps as SQL Server's defaults, with the values that change
// nothing it answers: "*" any value. Others would change results, and are refused.
const std::map<std::string, std::string>& OpcoesSemEfeito() {
    static const std::map<std::string, std::string> m = {
        {"ANSI_NULLS", "ON"},
        {"ANSI_PADDING", "*"},  // OFF: the columns it would shape are refused where made
        {"ANSI_WARNINGS", "ON"},
        {"ANSI_NULL_DFLT_ON", "ON"},
        {"ANSI_NULL_DFLT_OFF", "OFF"},
        {"ARITHABORT", "*"},
        {"ARITHIGNORE", "*"},
        {"CONCAT_NULL_YIELDS_NULL", "ON"},
        {"CURSOR_CLOSE_ON_COMMIT", "*"},  // ON: the end of a transaction closes the cursors
        {"FMTONLY", "OFF"},
        {"FORCEPLAN", "*"},
        {"IMPLICIT_TRANSACTIONS", "OFF"},
        {"NO_BROWSETABLE", "*"},
        {"NOCOUNT", "*"},
        {"NOEXEC", "OFF"},
        {"NUMERIC_ROUNDABORT", "OFF"},
        {"PARSEONLY", "OFF"},
        {"QUOTED_IDENTIFIER", "ON"},
        {"REMOTE_PROC_TRANSACTIONS", "OFF"},
        {"SHOWPLAN_ALL", "OFF"},
        {"SHOWPLAN_TEXT", "OFF"},
        {"SHOWPLAN_XML", "OFF"},
        {"XACT_ABORT", "*"},
    };
    return m;
}

// SET options that take a value other than ON/OFF, and the values that change nothing.
bool ValorSemEfeito(const std::string& opcao, const std::string& valor) {
    if (opcao == "TRANSACTION" || opcao == "DEADLOCK_PRIORITY" || opcao == "CONTEXT_INFO" ||
        opcao == "TEXTSIZE" || opcao == "QUERY_GOVERNOR_COST_LIMIT")
        return true;
    if (opcao == "DATEFIRST") return valor == "7";
    return false;
}

bool OpcaoConhecida(const std::string& o) {
    static const std::set<std::string> outras = {"ANSI_DEFAULTS",
                                                 "CONTEXT_INFO",
                                                 "DATEFIRST",
                                                 "DEADLOCK_PRIORITY",
                                                 "FIPS_FLAGGER",
                                                 "OFFSETS",
                                                 "QUERY_GOVERNOR_COST_LIMIT",
                                                 "ROWCOUNT",
                                                 "TEXTSIZE",
                                                 "TRANSACTION"};
    return OpcoesSemEfeito().count(o) > 0 || outras.count(o) > 0 || o.rfind("STATISTICS ", 0) == 0;
}

}  // namespace

// SET NOCOUNT, XACT_ABORT and the options that leave the engine's answers as SQL Server's.
void Executor::LerOpcaoDaSessao(const instrucao::Ignorado& x) {
    if (x.linhas) return DefinirLimiteDeLinhas(x.limite);
    std::vector<std::string> opcoes;
    for (const auto& escrita : x.opcoes) {
        std::string o = texto::Maiusculas(escrita);
        if (!OpcaoConhecida(o))  // SQL Server names the option's last word
            throw ErroDoServidor(195, 1, {escrita.substr(escrita.rfind(' ') + 1), "SET option"});
        opcoes.push_back(std::move(o));
    }
    const bool comValor = !x.valor.empty();
    for (const auto& o : opcoes) {
        auto it = OpcoesSemEfeito().find(o);
        bool aceita = false;
        if (comValor && it != OpcoesSemEfeito().end())
            aceita = it->second == "*" || it->second == x.valor;
        else if (comValor && o.rfind("STATISTICS ", 0) == 0)
            aceita = o == "STATISTICS IO" || o == "STATISTICS TIME" || x.valor == "OFF";
        else if (!comValor && opcoes.size() == 1)
            aceita = ValorSemEfeito(o, x.valorEscrito);
        if (!aceita) throw Recusa("O simulador de SQL Server não aceita " + x.escrito + ".");
        if (o == "NOCOUNT") s_.Opcoes().semContagem = x.valor == "ON";
        if (o == "XACT_ABORT") s_.Opcoes().xactAbort = x.valor == "ON";
        if (o == "CURSOR_CLOSE_ON_COMMIT") s_.Opcoes().fecharCursoresNoFim = x.valor == "ON";
        if (o == "ANSI_PADDING") s_.Opcoes().semPreenchimentoAnsi = x.valor == "OFF";
    }
}

// SET ROWCOUNT n (or @n): SELECT, INSERT, UPDATE and DELETE stop after n rows; 0 for all.
void Executor::DefinirLimiteDeLinhas(const ExpressaoLida& valor) {
    const db::Valor v = Avaliar(valor);
    std::int64_t n = 0;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        n = *i;
    else if (const auto* d = std::get_if<db::Decimal>(&v))
        n = std::strtoll(d->texto.c_str(), nullptr, 10);
    else if (const auto* x = std::get_if<std::string>(&v))
        n = std::strtoll(x->c_str(), nullptr, 10);
    else if (!db::EhNulo(v))
        throw ErroDoServidor(102, {"'ROWCOUNT'"});
    s_.Opcoes().limiteDeLinhas = n > 0 ? n : 0;
}

void Executor::IdentityInsert(const instrucao::IdentityInsert& c) {
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t) throw ErroDoServidor(1088, 11, {c.objeto.Nome()});
    if (!t->Identidade()) throw ErroDoServidor(8106, {t->nome});
    std::string chave = Dobrar(t->nome);
    if (c.ligado) {
        if (!s_.Opcoes().identityInsert.empty() && s_.Opcoes().identityInsert != chave) {
            Tabela* outra = s_.CatalogoAtual().AcharTabela(s_.Opcoes().identityInsert);
            throw ErroDoServidor(
                8107, {s_.Banco(), (outra ? outra->nome : s_.Opcoes().identityInsert), t->nome});
        }
        s_.Opcoes().identityInsert = chave;
    } else if (s_.Opcoes().identityInsert == chave) {
        s_.Opcoes().identityInsert.clear();
    }
}

}  // namespace zolvek::simulador
