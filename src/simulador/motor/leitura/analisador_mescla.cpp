// MERGE [INTO] alvo [AS a] USING fonte [AS f] ON condição WHEN ... THEN ...
// [OUTPUT ...] [OPTION (...)];  SQL Server demands the final semicolon.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

using Quando = instrucao::AcaoDaMescla::Quando;

std::string NomeDaClausula(Quando q) {
    switch (q) {
        case Quando::Combinada:
            return "WHEN MATCHED";
        case Quando::SemAlvo:
            return "WHEN NOT MATCHED";
        default:
            return "WHEN NOT MATCHED BY SOURCE";
    }
}

std::string NomeDaAcao(char operacao) {
    return operacao == 'U' ? "UPDATE" : operacao == 'D' ? "DELETE" : "INSERT";
}

// Each kind of clause takes each action once (so WHEN MATCHED at most twice, an UPDATE
// and a DELETE), and of two clauses of a kind only the last may go without AND.
void ExigirClausulasValidas(const std::vector<instrucao::AcaoDaMescla>& acoes) {
    for (std::size_t k = 0; k < acoes.size(); ++k)
        for (std::size_t j = 0; j < k; ++j) {
            if (acoes[j].quando != acoes[k].quando) continue;
            const std::string clausula = NomeDaClausula(acoes[k].quando);
            // SQL Server's text names the clause and the action the other way round
            if (acoes[j].operacao == acoes[k].operacao)
                throw ErroDoServidor(10714, {clausula, NomeDaAcao(acoes[k].operacao)});
            if (acoes[j].condicao.Vazia()) throw ErroDoServidor(5324, {clausula, clausula});
        }
}

}  // namespace

// A source table of MERGE as the query of its rows, SELECT * FROM tabela.
ConsultaLida Analisador::TabelaComoConsulta(Faixa nome) {
    LeitorDeExpressoes leitor(t_, nome.inicio, nome.fim);
    auto selecao = std::make_unique<Selecao>();
    selecao->itens.push_back({Nova(simulador::Coluna{{"*"}, false}), "", ""});
    selecao->de = leitor.LerFontes();
    leitor.ExigirFim();
    auto consulta = std::make_shared<Consulta>();
    consulta->ramos.push_back({std::move(selecao), nullptr});
    return {nome, std::move(consulta), nullptr};
}

// A source in parentheses whose alias names its columns, (VALUES ...) AS f (a, b) or
// (SELECT ...) AS f (a, b), as the query of its rows, SELECT f.a, f.b FROM it: typed by
// its columns, as a source table's are.
ConsultaLida Analisador::FonteComNomes(Faixa fonte, std::string& apelido) {
    LeitorDeExpressoes leitor(t_, fonte.inicio, fonte.fim);
    auto selecao = std::make_unique<Selecao>();
    selecao->de = leitor.LerFontes();
    leitor.ExigirFim();
    const Fonte& f = selecao->de.front().fonte;
    if (selecao->de.size() != 1 || f.apelido.empty()) Erro();
    apelido = f.apelido;
    for (const auto& nome : f.colunasDoApelido)
        selecao->itens.push_back({Nova(simulador::Coluna{{apelido, nome}, false}), nome, ""});
    auto consulta = std::make_shared<Consulta>();
    consulta->ramos.push_back({std::move(selecao), nullptr});
    return {fonte, std::move(consulta), nullptr};
}

// Where a source in parentheses ends with its alias: after the names of its columns when
// it has them (AS f (a, b)); nothing when it has none and is not a table of values.
std::optional<std::size_t> Analisador::FimDaFonteComNomes() const {
    std::size_t k = Fecho(i_) + 1;
    const bool valores = Palavra("VALUES", 1);
    if (k < t_.size() && EhPalavra(t_[k], "AS")) ++k;
    if (k < t_.size() && EhNome(t_[k]) && !EhPalavra(t_[k], "ON")) ++k;
    if (k < t_.size() && EhSimbolo(t_[k], "(")) return Fecho(k) + 1;
    return valores ? std::optional<std::size_t>(k) : std::nullopt;
}

std::unique_ptr<Comando> Analisador::Mesclar() {
    auto [c, x] = Novo<instrucao::Mesclar>(i_);
    ++i_;
    if (Palavra("TOP")) throw Recusa("O simulador de SQL Server não interpreta MERGE TOP (n).");
    Aceitar("INTO");
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    Aceitar("AS");
    if (!Fim() && EhNome(Atual()) && !Palavra("USING")) x->apelido = t_[i_++].texto;
    Esperar("USING");
    if (const auto fim = Simbolo("(") ? FimDaFonteComNomes() : std::nullopt) {
        x->fonte = FonteComNomes({i_, *fim}, x->apelidoDaFonte);
        i_ = *fim;
    } else if (Simbolo("(")) {
        const std::size_t fecho = Fecho(i_);
        x->fonte = ConsultaDe({i_ + 1, fecho});
        i_ = fecho + 1;
    } else {
        const std::size_t ini = i_;
        x->tabelaDaFonte = NomeDeObjeto();
        x->fonte = TabelaComoConsulta({ini, i_});
    }
    if (x->apelidoDaFonte.empty()) {
        Aceitar("AS");
        if (!Fim() && EhNome(Atual()) && !Palavra("ON")) x->apelidoDaFonte = t_[i_++].texto;
    }
    if (x->tabelaDaFonte.Vazio() && x->apelidoDaFonte.empty()) Erro();
    Esperar("ON");
    const std::size_t ini = i_;
    IrAte(t_.size(), {"WHEN"}, false);
    if (i_ == ini) Erro();
    x->condicao = ExpressaoDe({ini, i_});
    while (Aceitar("WHEN")) {
        x->acoes.emplace_back();
        AcaoDaMescla(x->acoes.back());
    }
    if (x->acoes.empty()) Erro();
    ExigirClausulasValidas(x->acoes);
    const std::size_t inicioDaSaida = i_;
    x->saida = Saida();
    LerConsultasDaSaidaDaMescla(x->saida);
    const std::string fonte =
        x->apelidoDaFonte.empty() ? x->tabelaDaFonte.Nome() : x->apelidoDaFonte;
    for (std::size_t k = inicioDaSaida; k + 1 < i_; ++k)
        if (IguaisCiAs(t_[k].texto, fonte) && EhSimbolo(t_[k + 1], ".")) x->saidaDaFonte = true;
    if (Palavra("OPTION") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (!Simbolo(";")) throw ErroDoServidor(10713);
    return c;
}

// WHEN [NOT] MATCHED [BY TARGET|SOURCE] [AND condição] THEN UPDATE SET | DELETE | INSERT
void Analisador::AcaoDaMescla(instrucao::AcaoDaMescla& a) {
    if (!Aceitar("MATCHED")) {
        Esperar("NOT");
        Esperar("MATCHED");
        a.quando = Quando::SemAlvo;
        if (Aceitar("BY")) {
            if (Aceitar("SOURCE"))
                a.quando = Quando::SemFonte;
            else
                Esperar("TARGET");
        }
    }
    if (Aceitar("AND")) {
        const std::size_t ini = i_;
        IrAte(t_.size(), {"THEN"}, false);
        if (i_ == ini) Erro();
        a.condicao = ExpressaoDe({ini, i_});
    }
    Esperar("THEN");
    if (Palavra("UPDATE") || Palavra("DELETE") || Palavra("INSERT")) {
        // INSERT only where the target has no row, UPDATE and DELETE only where it has
        const bool insercao = Palavra("INSERT");
        if (insercao != (a.quando == Quando::SemAlvo))
            throw ErroDoServidor(10711,
                                 {texto::Maiusculas(Atual().texto), NomeDaClausula(a.quando)});
    }
    if (Aceitar("UPDATE")) {
        a.operacao = 'U';
        Esperar("SET");
        for (auto& [coluna, valor] : Atribuicoes(t_.size(), {"WHEN", "OUTPUT", "OPTION"}))
            a.atribuicoes.emplace_back(std::move(coluna), ExpressaoDe(valor));
    } else if (Aceitar("DELETE")) {
        a.operacao = 'D';
    } else if (Aceitar("INSERT")) {
        a.operacao = 'I';
        if (Simbolo("(")) a.colunas = ListaDeNomes();
        if (Aceitar("DEFAULT")) {
            Esperar("VALUES");
            return;
        }
        Esperar("VALUES");
        if (!Simbolo("(")) Erro();
        const std::size_t fecho = Fecho(i_);
        ++i_;
        while (i_ < fecho) {
            const std::size_t ini = i_;
            IrAte(fecho, {}, true);
            if (i_ == ini) Erro();
            a.valores.push_back(ExpressaoDe({ini, i_}));
            if (i_ < fecho) ++i_;
        }
        i_ = fecho + 1;
        if (a.valores.empty()) Erro();
    } else {
        Erro();
    }
}

}  // namespace zolvek::simulador
