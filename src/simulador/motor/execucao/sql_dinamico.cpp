// sp_executesql: a text run as a batch of its own, with parameters it declares.

#include <map>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/leitura/textos_guardados.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// EXEC sp_executesql N'text', N'@a int, ...', @a = 1, ...: the text runs as a batch of
// its own, each declared parameter a value of its declared type.
void Interpretador::ExecutarSqlDinamico(const Argumentos& argumentos) {
    if (argumentos.empty() || db::EhNulo(argumentos[0].second))
        throw ErroDoServidor(201, {"sp_executesql", "@statement"});
    const std::string texto = ComoTextoDeValor(argumentos[0].second);
    CadeiaDeDono cadeia(s_, false);
    const std::string declaracao =
        argumentos.size() > 1 ? ComoTextoDeValor(argumentos[1].second) : std::string();
    const auto declarados = LerDeclaracoes(declaracao);
    std::map<std::string, db::Valor> valores;  // by folded name, without @
    std::size_t posicional = 0;
    for (std::size_t k = 2; k < argumentos.size(); ++k) {
        const auto& [nome, valor] = argumentos[k];
        if (!nome.empty())
            valores[Dobrar(nome)] = valor;
        else if (posicional < declarados.size())
            valores[Dobrar(declarados[posicional++].nome.substr(1))] = valor;
    }
    if (e_.chamada_ && e_.chamada_->temSaidas)
        return RodarTextoComSaidas(texto, declarados, argumentos);
    std::vector<db::Valor> parametros;
    std::vector<const ParametroDeclarado*> usos;
    const std::string lote = TextoComParametros(texto, declarados, usos);
    for (const ParametroDeclarado* d : usos) {
        auto v = valores.find(Dobrar(d->nome.substr(1)));
        if (v == valores.end()) throw ErroDoServidor(8178, {declaracao, texto, d->nome});
        parametros.push_back(v->second);
    }
    auto plano = s_.Planejar(lote);
    Executor interno(s_, *plano, parametros);
    interno.Estado().estado_ = e_.estado_;
    for (auto& r : interno.Executar()) e_.resultados_.push_back(std::move(r));
}

// The OUTPUT parameters are variables of the text's batch, declared before it, whose
// values go back to the caller's variables when it ends.
void Interpretador::RodarTextoComSaidas(const std::string& texto,
                                        const std::vector<ParametroDeclarado>& declarados,
                                        const Argumentos& argumentos) {
    std::string lote;
    for (const auto& d : declarados)
        lote += (lote.empty() ? "DECLARE " : ", ") + d.nome + " " + d.tipo;
    auto plano = s_.Planejar(lote + "\n" + texto);
    Executor interno(s_, *plano, kSemParametros);
    interno.Estado().estado_ = e_.estado_;
    interno.Estado().quadro_ = std::make_unique<QuadroDeVariaveis>();
    interno.Estado().quadro_->DeclararDe(plano->comandos);
    std::vector<std::pair<std::size_t, const ParametroDeclarado*>> saidas;
    std::size_t posicao = 0;
    for (std::size_t k = 2; k < argumentos.size(); ++k) {
        const auto& [nome, valor] = argumentos[k];
        const ParametroDeclarado* d = nullptr;
        if (nome.empty() && posicao < declarados.size()) d = &declarados[posicao++];
        for (const auto& x : declarados)
            if (!nome.empty() && IguaisCiAs(x.nome.substr(1), nome)) d = &x;
        if (!d) continue;
        Interpretador(interno).AtribuirValor(*interno.Estado().quadro_->Achar(d->nome), valor);
        if (k >= e_.chamada_->saidas.size() || e_.chamada_->saidas[k].empty()) continue;
        if (!d->saida) throw ErroDoServidor(8162, {d->nome});
        saidas.emplace_back(k, d);
    }
    for (auto& r : interno.Executar()) e_.resultados_.push_back(std::move(r));
    for (const auto& [k, d] : saidas)
        AtribuirValor(VariavelDeclarada(e_.chamada_->saidas[k]),
                      interno.Estado().quadro_->Achar(d->nome)->valor);
}

}  // namespace zolvek::simulador
