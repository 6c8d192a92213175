// SET: the session options the engine keeps, a variable's value, or an option it ignores.

#include <cstdlib>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/idiomas.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::Definir() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("IDENTITY_INSERT")) {
        auto [c, x] = Novo<instrucao::IdentityInsert>(inicio);
        x->objeto = NomeDeObjeto();
        if (Aceitar("ON"))
            x->ligado = true;
        else
            Esperar("OFF");
        return c;
    }
    if (Aceitar("LOCK_TIMEOUT")) {
        auto [c, x] = Novo<instrucao::TempoDeBloqueio>(inicio);
        const bool negativo = AceitarSimbolo("-");
        if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
        const long long n = std::strtoll(t_[i_++].texto.c_str(), nullptr, 10);
        if (!negativo && n >= 0 && n <= 2147483647) x->milissegundos = static_cast<int>(n);
        return c;
    }
    if (Aceitar("DATEFORMAT")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        std::string nome = TextoOuNome();
        auto ordem = OrdemDeDataPeloNome(nome);
        if (!ordem) throw ErroDoServidor(2741, {nome});
        x->ordem = *ordem;
        return c;
    }
    if (Aceitar("LANGUAGE")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        std::string nome = TextoOuNome();
        const Idioma* idioma = AcharIdioma(nome);
        if (!idioma) throw Recusa("O simulador de SQL Server não conhece o idioma '" + nome + "'.");
        x->ordem = idioma->ordem;
        x->idioma = idioma->nome;
        x->primeiroDia = idioma->primeiroDia;
        return c;
    }
    if (Aceitar("DATEFIRST")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
        const std::string n = Atual().texto;
        ++i_;
        x->primeiroDia = n.size() == 1 && n[0] >= '1' && n[0] <= '7' ? n[0] - '0' : 0;
        if (!x->primeiroDia) throw ErroDoServidor(2742, {n});
        return c;
    }
    if (!Fim() && Atual().tipo == TipoToken::Variavel) return Atribuir(inicio);
    auto [c, x] = Novo<instrucao::Ignorado>(inicio);
    const std::size_t fim = FimDaInstrucao(i_, 0, 0);
    OpcoesDoSet(*x, inicio, fim);
    i_ = fim;
    return c;
}

// SET a, b ON|OFF, or SET a valor (TRANSACTION ISOLATION LEVEL ..., DATEFIRST 7), or
// SET ROWCOUNT n: the options as written, and their value.
void Analisador::OpcoesDoSet(instrucao::Ignorado& x, std::size_t inicio, std::size_t fim) {
    x.escrito = TextoEntre(inicio, fim);
    if (Palavra("ROWCOUNT") && i_ + 1 < fim) {
        x.linhas = true;
        x.limite = ExpressaoOuPalavra({i_ + 1, fim});
        return;
    }
    std::size_t k = i_;
    while (k < fim && !EhPalavra(t_[k], "ON") && !EhPalavra(t_[k], "OFF")) {
        std::string o = t_[k].texto;
        if (EhPalavra(t_[k], "STATISTICS") && k + 1 < fim) o += " " + t_[++k].texto;
        x.opcoes.push_back(std::move(o));
        if (k + 1 >= fim || !EhSimbolo(t_[k + 1], ",")) break;
        k += 2;
    }
    if (k < fim && (EhPalavra(t_[k], "ON") || EhPalavra(t_[k], "OFF")))
        x.valor = texto::Maiusculas(t_[k].texto);
    else if (k + 1 < fim && (EhPalavra(t_[k + 1], "ON") || EhPalavra(t_[k + 1], "OFF")))
        x.valor = texto::Maiusculas(t_[k + 1].texto);
    else if (k < fim)
        x.valorEscrito = TextoEntre(k + 1, fim);
}

}  // namespace zolvek::simulador
