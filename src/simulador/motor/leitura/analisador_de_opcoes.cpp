// SET: the session options the engine keeps, a variable's value, or an option it ignores.

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/leitura/analisador.hpp"
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
        x->semLimite = AceitarSimbolo("-");  // negative: wait without limit
        if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
        x->numero = {i_, i_ + 1};
        ++i_;
        return c;
    }
    if (Aceitar("DATEFORMAT")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        std::string nome = TextoOuNome();
        auto ordem = OrdemDeDataPeloNome(nome);
        if (!ordem) throw ErroDeBanco("SET DATEFORMAT date order '" + nome + "' is invalid.");
        x->ordem = *ordem;
        return c;
    }
    if (Aceitar("LANGUAGE")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        std::string nome = TextoOuNome();
        const Idioma* idioma = AcharIdioma(nome);
        if (!idioma)
            throw ErroDeBanco("O simulador de SQL Server não conhece o idioma '" + nome + "'.");
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
        if (!x->primeiroDia) throw ErroDoServidor(2741, {n});
        return c;
    }
    if (!Fim() && Atual().tipo == TipoToken::Variavel) return Atribuir(inicio);
    auto [c, x] = Novo<instrucao::Ignorado>(inicio);
    x->semContagem = i_ == inicio + 1 && Palavra("NOCOUNT");
    i_ = FimDaInstrucao(i_, 0, 0);
    return c;
}

}  // namespace zolvek::simulador
