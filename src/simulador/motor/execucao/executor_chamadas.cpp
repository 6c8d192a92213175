// EXEC of a user procedure: its stored body runs with its parameters as variables of
// its own call; OUTPUT parameters and the RETURN value go back to the caller.

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

std::string SemArroba(const std::string& nome) {
    return !nome.empty() && nome[0] == '@' ? nome.substr(1) : nome;
}

// The type SQL Server names for a value the caller passed.
std::string TipoDoValor(const db::Valor& v) {
    if (std::holds_alternative<std::int64_t>(v)) return "int";
    if (std::holds_alternative<double>(v)) return "float";
    if (std::holds_alternative<db::Decimal>(v)) return "numeric";
    if (std::holds_alternative<db::DataHora>(v)) return "datetime";
    if (std::holds_alternative<db::Bytes>(v)) return "varbinary";
    return "varchar";
}

}  // namespace

// EXEC @r = P @a, @b = @v OUTPUT: which arguments are DEFAULT, which write back.
ChamadaDeProcedimento Interpretador::LerChamada(const instrucao::ExecutarProcedimento& c) {
    ChamadaDeProcedimento r;
    r.retorno = c.retorno;
    for (const auto& a : c.argumentos) {
        if (a.valor.Vazia()) continue;
        r.padrao.push_back(a.padrao);
        r.saidas.push_back(a.saida);
        r.temSaidas = r.temSaidas || !a.saida.empty();
    }
    return r;
}

// EXEC @r = sp_xxx: the engine's own procedures return 0 when they succeed; none of
// them gives OUTPUT parameters back.
void Interpretador::ChamadaDeSistema(const std::string& nome,
                                     const ChamadaDeProcedimento& chamada) {
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome);
    if (o && o->tipo == "P") return;
    if (chamada.temSaidas && !IguaisCiAs(nome, "sp_executesql"))
        throw Recusa("O simulador de SQL Server não devolve parâmetros OUTPUT de " + nome + ".");
    if (!chamada.retorno.empty())
        AtribuirValor(VariavelDeclarada(chamada.retorno), db::Valor{std::int64_t{0}});
}

void Interpretador::RodarProcedimento(const ObjetoProgramado& o, const Argumentos& args,
                                      const ChamadaDeProcedimento& chamada) {
    EstadoProcedural& estado = *e_.estado_;
    if (estado.aninhamento >= kAninhamentoMaximo) throw ErroDoServidor(217);
    auto plano = s_.Planejar(o.texto);
    const auto* def =
        plano->comandos.empty()
            ? nullptr
            : std::get_if<instrucao::CriarObjeto>(&plano->comandos.front()->instrucao);
    if (!def) throw Recusa("O simulador de SQL Server não leu o corpo de '" + o.nome + "'.");
    Executor corpo(s_, *plano, kSemParametros);
    PrepararCorpo(corpo);
    EstadoDaExecucao& doCorpo = corpo.Estado();
    doCorpo.emProcedimento_ = true;
    for (const auto& p : def->parametros) doCorpo.quadro_->Declarar(p);
    doCorpo.quadro_->DeclararDe(def->instrucoes);
    std::vector<int> parametroDe;  // per argument: the parameter it sets
    LigarArgumentos(o, *def, args, chamada, corpo, parametroDe);
    ++estado.aninhamento;
    // SET options a procedure changes last until it returns
    struct Saida {
        OpcoesDaSessao& o;
        int& n;
        const bool semContagem;
        const OrdemDeData ordem;
        const std::string identityInsert;
        ~Saida() {
            --n;
            o.semContagem = semContagem;
            o.ordemDeData = ordem;
            DefinirOrdemDeDataAtual(ordem);
            o.identityInsert = identityInsert;
        }
    } saida{s_.Opcoes(), estado.aninhamento, s_.Opcoes().semContagem, s_.Opcoes().ordemDeData,
            s_.Opcoes().identityInsert};
    const int transacoes = s_.NivelDeTransacao();
    CadeiaDeDono cadeia(s_, true);
    try {
        RodarCorpo(corpo, def->instrucoes);
    } catch (const ErroDeBanco&) {
        e_.erroDeChamada_ = true;
        throw;
    }
    if (s_.NivelDeTransacao() != transacoes)
        throw ErroDoServidor(266,
                             {std::to_string(transacoes), std::to_string(s_.NivelDeTransacao())});
    for (std::size_t k = 0; k < chamada.saidas.size() && k < parametroDe.size(); ++k) {
        if (chamada.saidas[k].empty() || parametroDe[k] < 0) continue;
        const auto& p = def->parametros[static_cast<std::size_t>(parametroDe[k])];
        AtribuirValor(VariavelDeclarada(chamada.saidas[k]), doCorpo.quadro_->Achar(p.nome)->valor);
    }
    if (!chamada.retorno.empty())
        AtribuirValor(VariavelDeclarada(chamada.retorno), db::Valor{doCorpo.retorno_});
}

void Interpretador::PrepararCorpo(Executor& corpo) {
    EstadoDaExecucao& doCorpo = corpo.Estado();
    doCorpo.estado_ = e_.estado_;
    doCorpo.quadro_ = std::make_unique<QuadroDeVariaveis>();
}

void Interpretador::RodarCorpo(Executor& corpo,
                               const std::vector<std::unique_ptr<Comando>>& instrucoes) {
    EstadoDaExecucao& doCorpo = corpo.Estado();
    const auto passarResultados = [&] {
        for (auto& r : doCorpo.resultados_) e_.resultados_.push_back(std::move(r));
    };
    try {
        Interpretador noCorpo(corpo);
        for (const auto& c : instrucoes) {
            s_.VerificarSeFoiEliminada();
            noCorpo.RodarNaLista(*c);
            if (doCorpo.fluxo_ == Fluxo::Retornar) break;
        }
    } catch (const ErroDeBanco&) {
        passarResultados();
        throw;
    }
    passarResultados();
}

// Positional arguments first, then @name = value ones; a parameter left out takes its
// default, and one without a default must be given.
void Interpretador::LigarArgumentos(const ObjetoProgramado& o, const instrucao::CriarObjeto& def,
                                    const Argumentos& args, const ChamadaDeProcedimento& chamada,
                                    Executor& corpo, std::vector<int>& parametroDe) {
    const auto& ps = def.parametros;
    Interpretador noCorpo(corpo);
    QuadroDeVariaveis& quadro = *corpo.Estado().quadro_;
    std::vector<bool> dado(ps.size(), false);
    bool nomeado = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string nome = SemArroba(args[k].first);
        int p = -1;
        if (nome.empty()) {
            if (nomeado) throw ErroDoServidor(119, {std::to_string(k + 1)});
            if (k >= ps.size()) throw ErroDoServidor(8144, {o.nome});
            p = static_cast<int>(k);
        } else {
            nomeado = true;
            for (std::size_t j = 0; j < ps.size(); ++j)
                if (IguaisCiAs(SemArroba(ps[j].nome), nome)) p = static_cast<int>(j);
            if (p < 0) throw ErroDoServidor(8145, {nome, o.nome});
            if (dado[static_cast<std::size_t>(p)]) throw ErroDoServidor(8143, {nome});
        }
        const auto& par = ps[static_cast<std::size_t>(p)];
        const bool saida = k < chamada.saidas.size() && !chamada.saidas[k].empty();
        if (saida && !par.saida) throw ErroDoServidor(8162, {par.nome});
        parametroDe.push_back(p);
        if (k < chamada.padrao.size() && chamada.padrao[k]) continue;  // DEFAULT: as if left out
        dado[static_cast<std::size_t>(p)] = true;
        VariavelDoLote& v = *quadro.Achar(par.nome);
        try {
            noCorpo.AtribuirValor(v, args[k].second);
        } catch (const ErroDeBanco& e) {
            if (e.Numero() != 245 && e.Numero() != 241 && e.Numero() != 8114) throw;
            throw ErroDoServidor(8114, 1, {TipoDoValor(args[k].second), NomeDoTipo(par.tipo.base)});
        }
    }
    for (std::size_t j = 0; j < ps.size(); ++j) {
        if (dado[j]) continue;
        VariavelDoLote& v = *quadro.Achar(ps[j].nome);
        if (!ps[j].valor.Vazia()) {
            v.valor = noCorpo.ValorConvertido(ps[j].valor, v.tipo);
        } else {
            throw ErroDoServidor(201, {o.nome, ps[j].nome});
        }
    }
}

}  // namespace zolvek::simulador
