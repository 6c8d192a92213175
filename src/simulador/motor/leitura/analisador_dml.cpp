// SELECT, INSERT, UPDATE, DELETE and TRUNCATE TABLE, and the WITH that names queries
// before a data change (MERGE is in analisador_mescla.cpp).

#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/leitura/chave_da_forma.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// SELECT, INSERT, UPDATE, DELETE, MERGE and TRUNCATE TABLE, a WITH before any of them
// included; null for any other statement.
std::unique_ptr<Comando> Analisador::InstrucaoDeDados(std::size_t inicio) {
    if (Palavra("WITH") && ComAntesDeAlteracao()) return AlteracaoComConsultas();
    if (Palavra("SELECT") || Palavra("WITH") || Simbolo("(")) return Selecionar(inicio);
    if (Palavra("INSERT")) return Inserir();
    if (Palavra("UPDATE") && Palavra("STATISTICS", 1)) return AtualizarEstatisticas(inicio);
    if (Palavra("UPDATE")) return Atualizar();
    if (Palavra("DELETE")) return Excluir();
    if (Palavra("MERGE")) return Mesclar();
    if (Palavra("TRUNCATE")) return Truncar(inicio);
    return nullptr;
}

std::unique_ptr<Comando> Analisador::Selecionar(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::Selecionar>(inicio);
    // WITH names its queries first; the statement's own SELECT follows them
    i_ = FimDaInstrucao(i_ + 1, Palavra("WITH") ? 1 : 0);
    if (Simbolo(")") && inicio < i_ && EhSimbolo(t_[inicio], "(")) ++i_;
    x->selecao = ConsultaDe({inicio, i_});
    x->para = TemInto({inicio, i_});
    x->variaveisRepetidas = VariaveisRepetidas({inicio, i_});
    return c;
}

// The variables a run of tokens names more than once, each once, as first written.
std::vector<std::string> Analisador::VariaveisRepetidas(Faixa f) const {
    std::vector<std::pair<std::string, int>> usos;
    for (std::size_t k = f.inicio; k < f.fim; ++k) {
        if (t_[k].tipo != TipoToken::Variavel) continue;
        auto it = std::find_if(usos.begin(), usos.end(),
                               [&](const auto& u) { return IguaisCiAs(u.first, t_[k].texto); });
        if (it == usos.end())
            usos.emplace_back(t_[k].texto, 1);
        else
            ++it->second;
    }
    std::vector<std::string> r;
    for (auto& [nome, n] : usos)
        if (n > 1) r.push_back(std::move(nome));
    return r;
}

// TRUNCATE TABLE t: read as a DELETE marked to truncate.
std::unique_ptr<Comando> Analisador::Truncar(std::size_t inicio) {
    ++i_;
    Esperar("TABLE");
    auto [c, x] = Novo<instrucao::Excluir>(inicio);
    x->objeto = NomeDeObjeto();
    x->truncar = true;
    return c;
}

// UPDATE STATISTICS t [alvo | (alvo, ...)] [WITH opções]: the options only tell how much
// to read, which a table of the engine always reads whole.
std::unique_ptr<Comando> Analisador::AtualizarEstatisticas(std::size_t inicio) {
    i_ += 2;
    auto [c, x] = Novo<instrucao::AtualizarEstatisticas>(inicio);
    x->objeto = NomeDeObjeto();
    if (Simbolo("(")) {
        i_ = Fecho(i_) + 1;
    } else if (!Fim() && EhNome(Atual()) && !PalavraReservada(Atual()) &&
               !IniciaInstrucao(Atual())) {
        ++i_;
    }
    if (!Palavra("WITH")) return c;
    ++i_;
    static const char* opcoes[] = {"FULLSCAN",    "SAMPLE", "PERCENT", "ROWS",  "RESAMPLE",
                                   "NORECOMPUTE", "ALL",    "COLUMNS", "INDEX", "INCREMENTAL"};
    auto opcao = [&] {
        for (const char* o : opcoes)
            if (Palavra(o)) return true;
        return false;
    };
    do {
        if (Simbolo(",")) ++i_;
        if (Fim() || !(opcao() || Atual().tipo == TipoToken::Numero)) Erro();
        while (!Fim() && (opcao() || Atual().tipo == TipoToken::Numero)) ++i_;
    } while (Simbolo(","));
    return c;
}

// Where the named queries of a WITH that starts at `k` end: the token after the last ')'.
std::size_t Analisador::FimDoCom(std::size_t k) const {
    ++k;  // WITH
    for (;;) {
        if (k >= t_.size() || !EhNome(t_[k])) return k;
        ++k;
        if (k < t_.size() && EhSimbolo(t_[k], "(")) k = Fecho(k) + 1;
        if (k >= t_.size() || !EhPalavra(t_[k], "AS")) return k;
        if (++k >= t_.size() || !EhSimbolo(t_[k], "(")) return k;
        k = Fecho(k) + 1;
        if (k >= t_.size() || !EhSimbolo(t_[k], ",")) return k;
        ++k;
    }
}

// WITH x AS (...) followed by INSERT, UPDATE, DELETE or MERGE instead of a SELECT.
bool Analisador::ComAntesDeAlteracao() const {
    const std::size_t k = FimDoCom(i_);
    return k < t_.size() && (EhPalavra(t_[k], "INSERT") || EhPalavra(t_[k], "UPDATE") ||
                             EhPalavra(t_[k], "DELETE") || EhPalavra(t_[k], "MERGE"));
}

// The data change that follows a WITH, with its named queries read into their trees.
std::unique_ptr<Comando> Analisador::AlteracaoComConsultas() {
    const std::size_t inicio = i_, fim = FimDoCom(i_);
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    LeitorDeExpressoes leitor(t_, inicio, fim, &ordinais_);
    auto com = std::make_shared<const std::vector<ConsultaNomeada>>(leitor.LerCom());
    leitor.ExigirFim();
    i_ = fim;
    if (Palavra("MERGE")) throw Recusa("O simulador de SQL Server não aceita WITH antes de MERGE.");
    std::unique_ptr<Comando> c = Palavra("INSERT")   ? Inserir()
                                 : Palavra("UPDATE") ? Atualizar()
                                                     : Excluir();
    std::visit(Visitante{
                   [&](instrucao::Inserir& x) {
                       x.com = com;
                       x.forma.reset();  // its form's key does not hold the WITH
                   },
                   [&](instrucao::Atualizar& x) { x.com = com; },
                   [&](instrucao::Excluir& x) { x.com = com; },
                   [](auto&) {},
               },
               c->instrucao);
    c->faixa.inicio = inicio;
    return c;
}

// TOP (n) [PERCENT] after INSERT, UPDATE or DELETE: the parentheses are required there.
std::optional<instrucao::Topo> Analisador::TopoDaAlteracao() {
    if (!Aceitar("TOP")) return std::nullopt;
    if (!Simbolo("(")) Erro();
    const std::size_t fecho = Fecho(i_);
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    // read with its parentheses, (SELECT ...) is the subquery's value
    LeitorDeExpressoes leitor(t_, i_, fecho + 1, &ordinais_);
    instrucao::Topo topo;
    topo.quantidade = leitor.Expressao();
    leitor.ExigirFim();
    i_ = fecho + 1;
    topo.porcento = Aceitar("PERCENT");
    return topo;
}

std::unique_ptr<Comando> Analisador::Inserir() {
    auto [c, x] = Novo<instrucao::Inserir>(i_);
    ++i_;
    x->topo = TopoDaAlteracao();
    Aceitar("INTO");
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (Simbolo("(") && !(Palavra("SELECT", 1) || Palavra("WITH", 1))) {
        ++i_;
        do {
            // a bare column name, as a script writes them, without a NomeComposto of its own
            if (!Fim() && EhNome(Atual()) && !Simbolo(".", 1))
                x->colunasAlvo.push_back(t_[i_++].texto);
            else
                x->colunasAlvo.push_back(NomeDeObjeto().Nome());
        } while (AceitarSimbolo(","));
        EsperarSimbolo(")");
    }
    x->saida = Saida();
    LerConsultaDaSaida(x->saida, "INSERT");
    if (Aceitar("DEFAULT")) {
        Esperar("VALUES");
        x->valoresPadrao = true;
    } else if (Aceitar("VALUES")) {
        do {
            if (!Simbolo("(")) Erro();
            std::size_t fecho = Fecho(i_);
            ++i_;
            std::vector<instrucao::ValorDaInsercao> linha;
            // the rows of a VALUES list mostly have as many values as the first
            if (!x->valores.empty()) linha.reserve(x->valores.front().size());
            while (i_ < fecho) {
                std::size_t ini = i_;
                int nivel = 0;
                while (i_ < fecho && !(nivel == 0 && Simbolo(","))) {
                    if (Simbolo("(")) ++nivel;
                    if (Simbolo(")")) --nivel;
                    ++i_;
                }
                if (i_ == ini) Erro();
                linha.push_back(ValorDaInsercaoDe({ini, i_}, *x));
                if (i_ < fecho) ++i_;
            }
            i_ = fecho + 1;
            x->valores.push_back(std::move(linha));
        } while (AceitarSimbolo(","));
        if (std::string chave = ChaveDaForma(t_, {c->faixa.inicio, i_}); !chave.empty()) {
            if (!ultimaForma_ || *ultimaForma_ != chave)
                ultimaForma_ = std::make_shared<const std::string>(std::move(chave));
            x->forma = ultimaForma_;
        }
    } else if (Palavra("SELECT") || Palavra("WITH") || Simbolo("(")) {
        std::size_t ini = i_;
        i_ = FimDaInstrucao(i_ + 1);
        x->selecao = ConsultaDe({ini, i_});
    } else if (Palavra("EXEC") || Palavra("EXECUTE")) {
        const std::size_t exec = i_++;
        x->execucao = Executar(exec);
        x->execucao->faixa.fim = i_;
    } else {
        Erro();
    }
    return c;
}

// A value of INSERT ... VALUES: DEFAULT, a lone text or short integer, or an expression.
instrucao::ValorDaInsercao Analisador::ValorDaInsercaoDe(Faixa f, instrucao::Inserir& x) {
    using Forma = instrucao::ValorDaInsercao::Forma;
    instrucao::ValorDaInsercao v;
    if (f.fim == f.inicio + 1) {
        const Token& t = t_[f.inicio];
        if (EhPalavra(t, "DEFAULT")) {
            v.forma = Forma::Padrao;
            return v;
        }
        if (t.tipo == TipoToken::Texto || t.tipo == TipoToken::TextoN ||
            (t.tipo == TipoToken::Numero && !t.texto.empty() && t.texto.size() <= 9 &&
             t.texto.find_first_not_of("0123456789") == std::string::npos)) {
            v.forma = t.tipo == TipoToken::Numero ? Forma::Inteiro : Forma::Texto;
            v.literal = t.texto;
            return v;
        }
    }
    for (std::size_t k = f.inicio; k < f.fim; ++k) {
        if (EhPalavra(t_[k], "SELECT")) x.valoresComConsulta = true;
        if (t_[k].tipo == TipoToken::Parametro) x.valoresComParametros = true;
        if (t_[k].tipo == TipoToken::Variavel) x.valoresComVariaveis = true;
    }
    v.expressao = std::make_shared<const ExpressaoLida>(ExpressaoDe(f));
    return v;
}

// OUTPUT inserted.x, deleted.y [INTO T [(colunas)]] of INSERT, UPDATE and DELETE: the list
// runs to INTO or to the clause that follows it (VALUES, SELECT, FROM, WHERE...).
std::optional<instrucao::ClausulaDeSaida> Analisador::Saida() {
    if (!Aceitar("OUTPUT")) return std::nullopt;
    instrucao::ClausulaDeSaida s;
    const std::size_t ini = i_;
    const std::size_t fim = FimDaInstrucao(i_);
    int nivel = 0;
    for (; i_ < fim; ++i_) {
        if (Simbolo("(")) ++nivel;
        if (Simbolo(")")) --nivel;
        if (nivel == 0 && (Palavra("INTO") || Palavra("VALUES") || Palavra("DEFAULT") ||
                           Palavra("FROM") || Palavra("WHERE") || Palavra("OPTION") ||
                           Palavra("EXEC") || Palavra("EXECUTE") || Palavra("SELECT")))
            break;
    }
    if (i_ == ini) Erro();
    s.lista = {ini, i_};
    if (Aceitar("INTO")) {
        s.destino = NomeDeObjeto();
        if (Simbolo("(") && !(Palavra("SELECT", 1) || Palavra("WITH", 1)))
            s.colunasDoDestino = ListaDeNomes();
    }
    return s;
}

// Moves to the first ',' (when `virgula`) or word of `paradas` outside parentheses and
// CASE ... END, before `fim`.
void Analisador::IrAte(std::size_t fim, std::initializer_list<std::string_view> paradas,
                       bool virgula) {
    int nivel = 0, casos = 0;
    for (; i_ < fim; ++i_) {
        if (Simbolo("(")) ++nivel;
        if (Simbolo(")")) --nivel;
        if (nivel == 0 && Palavra("CASE")) ++casos;
        if (nivel == 0 && casos > 0 && Palavra("END")) --casos;
        if (nivel != 0 || casos != 0) continue;
        if (virgula && Simbolo(",")) return;
        for (auto p : paradas)
            if (Palavra(p)) return;
    }
}

// col = value, ... of UPDATE SET (and MERGE's): each value runs to a ',' or a word of
// `paradas`.
std::vector<std::pair<std::string, Faixa>> Analisador::Atribuicoes(
    std::size_t fim, std::initializer_list<std::string_view> paradas) {
    std::vector<std::pair<std::string, Faixa>> r;
    do {
        NomeComposto coluna = NomeDeObjeto();
        if (coluna.Nome().empty()) Erro();
        EsperarSimbolo("=");
        const std::size_t ini = i_;
        IrAte(fim, paradas, true);
        if (i_ == ini) Erro();
        r.emplace_back(coluna.Nome(), Faixa{ini, i_});
    } while (AceitarSimbolo(","));
    return r;
}

// UPDATE's SET list, each value read into its tree.
std::vector<instrucao::AtribuicaoDeColuna> Analisador::AtribuicoesLidas(std::size_t fim) {
    std::vector<instrucao::AtribuicaoDeColuna> r;
    for (const auto& [coluna, f] : Atribuicoes(fim, {"FROM", "WHERE", "OPTION", "OUTPUT"})) {
        instrucao::AtribuicaoDeColuna a{coluna, {f, nullptr, nullptr}, false};
        if (f.fim == f.inicio + 1 && EhPalavra(t_[f.inicio], "DEFAULT"))
            a.padrao = true;
        else
            a.valor = ExpressaoDe(f);
        r.push_back(std::move(a));
    }
    return r;
}

std::unique_ptr<Comando> Analisador::Atualizar() {
    auto [c, x] = Novo<instrucao::Atualizar>(i_);
    ++i_;
    x->topo = TopoDaAlteracao();
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    Esperar("SET");
    std::size_t fim = FimDaInstrucao(i_);
    x->atribuicoes = AtribuicoesLidas(fim);
    x->saida = Saida();
    LerConsultaDaSaida(x->saida, "UPDATE");
    x->resto = ClausulasDe({i_, fim});
    i_ = fim;
    return c;
}

std::unique_ptr<Comando> Analisador::Excluir() {
    auto [c, x] = Novo<instrucao::Excluir>(i_);
    ++i_;
    x->topo = TopoDaAlteracao();
    Aceitar("FROM");
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (Simbolo("(") && Palavra("NOLOCK", 1)) i_ = Fecho(i_) + 1;
    x->saida = Saida();
    LerConsultaDaSaida(x->saida, "DELETE");
    std::size_t fim = FimDaInstrucao(i_);
    x->resto = ClausulasDe({i_, fim});
    i_ = fim;
    return c;
}

}  // namespace zolvek::simulador
