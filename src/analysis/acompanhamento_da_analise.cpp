#include "analysis/acompanhamento_da_analise.hpp"

#include "analysis/leitura_de_comandos.hpp"
#include "comum/texto.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"
#include "db/tokens_sql.hpp"

namespace zolvek::analysis {

namespace {

// A simulation's transaction begins before the catalog is read, so that the picture is
// the one its statements change.
FotoDoCatalogo IniciarELer(db::Conexao& conexao, bool simular) {
    if (simular) conexao.IniciarTransacao();
    return FotoDoCatalogo::Ler(conexao);
}

bool InseriuLinhas(const std::vector<db::Resultado>& resultados) {
    for (const db::Resultado& r : resultados)
        if (r.linhasAfetadas > 0) return true;
    return false;
}

// "SAVE TRANSACTION x" (salvar) or "ROLLBACK TRANSACTION x": the savepoint's name.
struct PontoNomeado {
    bool salvar = false;
    std::string nome;
};

PontoNomeado PontoDoComando(std::string_view sql) {
    const auto t = db::TokensSql(sql);
    PontoNomeado p;
    if (t.size() != 3 || !(db::EhPalavra(t[1], "TRAN") || db::EhPalavra(t[1], "TRANSACTION")))
        return p;
    p.salvar = db::EhPalavra(t[0], "SAVE");
    if (p.salvar || db::EhPalavra(t[0], "ROLLBACK")) p.nome = t[2].texto;
    return p;
}

// While it lives, the commands the object sends are its own.
struct ComandoProprio {
    bool& flag;
    explicit ComandoProprio(bool& f) : flag(f) { flag = true; }
    ~ComandoProprio() { flag = false; }
};

}  // namespace

AcompanhamentoDaAnalise::AcompanhamentoDaAnalise(db::Conexao& conexao, bool simular,
                                                 int versaoMaior)
    : conexao_(conexao),
      simular_(simular),
      versaoMaior_(versaoMaior),
      observadorAnterior_(conexao.ObservadorAtual()),
      desfechosAnterior_(conexao.ObservadorDeDesfechosAtual()),
      registro_(IniciarELer(conexao, simular)) {
    db::ObservadorDeComandos antes = observadorAnterior_;
    if (simular_)
        antes = [this](std::string_view sql) {
            if (!proprio_) Antes(sql);
            if (observadorAnterior_) observadorAnterior_(sql);
        };
    conexao_.DefinirObservadorDeComandos(
        antes, [this](std::string_view sql, const std::vector<db::Resultado>* resultados,
                      const ErroDeBanco* erro) {
            if (!proprio_) Depois(sql, resultados, erro);
            if (desfechosAnterior_) desfechosAnterior_(sql, resultados, erro);
        });
}

AcompanhamentoDaAnalise::~AcompanhamentoDaAnalise() {
    try {
        Encerrar();
    } catch (const Erro&) {
        // The error that ended the run is the one to tell.
    }
    conexao_.DefinirObservadorDeComandos(observadorAnterior_, desfechosAnterior_);
}

void AcompanhamentoDaAnalise::Encerrar() {
    if (!simular_ || encerrado_) return;
    encerrado_ = true;
    ComandoProprio proprio(proprio_);
    if (conexao_.EmTransacao()) conexao_.Desfazer();
}

void AcompanhamentoDaAnalise::Comentar(const std::string& motivo, std::string_view sql) {
    script_ += "-- " + motivo + "\n";
    for (const std::string& linha : db::DividirEmLinhas(sql)) script_ += "-- " + linha + "\n";
    script_ += "\n";
}

void AcompanhamentoDaAnalise::Reter(std::string_view sql, const std::string& motivo) {
    Comentar("Não enviado na simulação: " + motivo + ":", sql);
    retidos_.push_back(std::string(sql) + " -- " + motivo);
    throw db::ComandoRetido{};
}

void AcompanhamentoDaAnalise::Antes(std::string_view sql) {
    // Nothing more goes to the server once the simulation lost its transaction.
    if (!interrupcao_.empty()) throw Cancelamento();
    if (pausado_ || EspecieDoComando(sql) != EspecieDeComando::Mudanca) return;
    if (const std::string recusa = RecusaEmTransacao(sql); !recusa.empty())
        Reter(sql, "o SQL Server não aceita " + recusa + " dentro de uma transação");
    if (EncerraTransacaoDeFora(sql)) Reter(sql, "encerraria a transação da simulação");
    const Mudanca m = ClassificarMudanca(sql);
    if (m.tipo == TipoDeMudanca::AlterarColuna) ContarAntesDeAlterar(m, sql);
}

void AcompanhamentoDaAnalise::Depois(std::string_view sql,
                                     const std::vector<db::Resultado>* resultados,
                                     const ErroDeBanco* erro) {
    if (pausado_) return;
    const EspecieDeComando especie = EspecieDoComando(sql);
    if (especie == EspecieDeComando::Transacao && resultados) AcompanharPontoSalvo(sql);
    if (especie != EspecieDeComando::Mudanca) return;
    if (resultados) {
        const Mudanca m = ClassificarMudanca(sql);
        // Switching the access mode is not a change of the structure, and a parameter
        // table that had its row got none.
        const bool mudou =
            !(m.tipo == TipoDeMudanca::Outra && m.objeto == "ALTER DATABASE") &&
            (m.tipo != TipoDeMudanca::LinhaDeParametro || InseriuLinhas(*resultados));
        if (mudou) registro_.Aplicar(m);
    }
    if (!simular_) return;
    if (erro) {
        Comentar("Falhou na simulação: " + std::string(erro->what()), sql);
        VerificarTransacao(sql, *erro);
    } else {
        script_ += std::string(sql) + "\nGO\n\n";
    }
}

void AcompanhamentoDaAnalise::AcompanharPontoSalvo(std::string_view sql) {
    const PontoNomeado ponto = PontoDoComando(sql);
    if (ponto.nome.empty()) return;
    if (ponto.salvar) {
        pontos_.push_back({ponto.nome, registro_, script_.size()});
        return;
    }
    for (auto p = pontos_.rbegin(); p != pontos_.rend(); ++p)
        if (texto::IguaisSemCaixa(p->nome, ponto.nome)) {
            registro_ = p->registro;
            script_.resize(p->script);
            script_ +=
                "-- Comandos desfeitos pela própria análise depois de uma falha (volta ao "
                "ponto salvo " +
                ponto.nome + ") foram omitidos aqui.\n\n";
            pontos_.erase(std::next(p).base(), pontos_.end());
            return;
        }
}

std::optional<std::vector<std::int64_t>> AcompanhamentoDaAnalise::Contar(const std::string& sql) {
    ComandoProprio proprio(proprio_);
    db::Consulta q(&conexao_);
    q.DefinirTimeout(0);
    q.DefinirSQL(sql);
    try {
        q.Abrir();
        std::vector<std::int64_t> r;
        for (const db::Campo& c : q.Campos()) r.push_back(c.Nulo() ? 0 : c.Inteiro());
        q.Fechar();
        return r;
    } catch (const ErroDeBanco& e) {
        q.Fechar();
        VerificarTransacao(sql, e);
        return std::nullopt;
    }
}

void AcompanhamentoDaAnalise::ContarAntesDeAlterar(const Mudanca& m, std::string_view sql) {
    // A table made by this run holds nothing that could fail to convert.
    if (registro_.CriadaNestaExecucao(m.tabela)) return;
    const auto atual = registro_.Foto().Coluna(m.tabela, m.objeto);
    if (!atual) return;
    const std::string para = TipoNormalizado(m.especie);
    if (para != atual->tipo && PodeFalharOuPerder(atual->tipo, para)) {
        std::optional<std::vector<std::int64_t>> n;
        if (auto consulta = ConsultaDeValoresQueNaoConvertem(m.tabela, m.objeto, atual->tipo, para,
                                                             versaoMaior_))
            n = Contar(*consulta);
        ColunaMudada& c = registro_.Coluna(m.tabela, m.objeto);
        c.podePerder = true;
        c.tipoPedido = para;
        if (n && n->size() == 2) {
            c.falham = (*n)[0];
            c.perdem = (*n)[1];
        }
        // Such a failure would roll the whole simulation back on the server: the
        // statement is not sent and fails here as it would fail there.
        if (c.falham.value_or(0) > 0 && ConversaoDesfazATransacao(para)) {
            const std::string motivo = std::to_string(*c.falham) + " linha(s) de " + m.tabela +
                                       "." + m.objeto + " não convertem de " + atual->tipo +
                                       " para " + para;
            Comentar("Falharia (não enviado na simulação): " + motivo, sql);
            throw ErroDeBanco("A alteração da coluna falharia: " + motivo +
                              " (na simulação o comando não foi enviado)");
        }
    }
    if (m.nulo == false && atual->nulo) {
        const auto n = Contar("SELECT COUNT(*) FROM " + db::EntreColchetes(m.tabela) + " WHERE " +
                              db::EntreColchetes(m.objeto) + " IS NULL");
        if (n && !n->empty() && (*n)[0] > 0) registro_.Coluna(m.tabela, m.objeto).nulos = (*n)[0];
    }
}

void AcompanhamentoDaAnalise::VerificarTransacao(std::string_view sql, const ErroDeBanco& erro) {
    if (!interrupcao_.empty()) return;
    ComandoProprio proprio(proprio_);
    db::Consulta q(&conexao_);
    q.DefinirSQL("select @@TRANCOUNT");
    std::int64_t abertas = 0;
    try {
        q.Abrir();
        abertas = q.Campos().at(0).Inteiro();
    } catch (const ErroDeBanco&) {
        abertas = 0;  // a connection that cannot answer cannot go on either
    }
    q.Fechar();
    if (abertas > 0) return;
    interrupcao_ =
        "A simulação parou: o servidor desfez a sua transação quando este comando falhou (" +
        std::string(erro.what()) +
        "), e o que viria depois não seria o que a análise faz: " + std::string(sql);
}

}  // namespace zolvek::analysis
