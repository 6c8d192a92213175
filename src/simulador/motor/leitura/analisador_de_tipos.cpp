// CREATE TYPE nome FROM tipo [NULL | NOT NULL]: an alias type; and the data type that a
// column, a parameter or a variable is declared with.

#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_dos_tipos.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::CriarTipo(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::CriarTipo>(inicio);
    x->objeto = NomeDeObjeto();
    if (Palavra("AS") && Palavra("TABLE", 1))
        throw Recusa(
            "O simulador de SQL Server não cria tipos de tabela (CREATE TYPE ... AS "
            "TABLE).");
    Esperar("FROM");
    x->tipo = Tipo();
    if (!tipoDoUsuario_.empty() && tipoDoUsuario_ != "sysname")  // an alias of an alias
        throw ErroDoServidor(2715, {"1", tipoDoUsuario_});
    if (Palavra("NOT") && Palavra("NULL", 1)) {
        i_ += 2;
        x->anulavel = false;
    } else if (Aceitar("NULL")) {
        x->anulavel = true;
    }
    return std::move(c);
}

TipoSql Analisador::Tipo() {
    std::string nome = Nome();
    if (Simbolo(".")) {  // dbo.type
        ++i_;
        nome = Nome();
    }
    tipoDoUsuario_.clear();
    auto base = TipoPeloNome(nome);
    if (!base) {  // an alias type: the executor finds it in the catalog
        tipoDoUsuario_ = nome;
        return TipoSql{TipoBase::SqlVariant, 0, 0, 0};
    }
    if (IguaisCiAs(nome, "sysname")) tipoDoUsuario_ = "sysname";
    int tamanho = 0, precisao = 0, escala = 0;
    bool informado = false;
    if (Aceitar("VARYING")) {
        if (*base == TipoBase::Char) base = TipoBase::VarChar;
    }
    if (AceitarSimbolo("(")) {
        informado = true;
        if (Aceitar("MAX")) {
            tamanho = -1;
        } else {
            if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
            tamanho = precisao = std::stoi(t_[i_++].texto);
            if (AceitarSimbolo(",")) {
                if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
                escala = std::stoi(t_[i_++].texto);
            }
        }
        EsperarSimbolo(")");
    }
    TipoSql t = CompletarTipo(*base, tamanho, precisao, escala, informado);
    if (IguaisCiAs(nome, "sysname")) {
        if (informado) throw ErroDoServidor(2716);
        t.tamanho = 128;
    }
    if (t.base == TipoBase::Time || t.base == TipoBase::DateTime2 ||
        t.base == TipoBase::DateTimeOffset) {
        if (informado && (tamanho < 0 || tamanho > 7))
            throw ErroDoServidor(1002, {std::to_string(tamanho)});
        return t;
    }
    const TipoDoServidor& linha = TipoDoServidorDe(t.base);
    if (tamanho == -1 && !linha.variavel) throw ErroDoServidor(102, {"'max'"});
    if (linha.maiorTamanho == 8000 && t.tamanho > 8000)
        throw ErroDoServidor(131, {std::to_string(t.tamanho), NomeDoTipo(t.base)});
    if (linha.maiorTamanho == 4000 && t.tamanho > 4000)
        throw ErroDoServidor(2717, {std::to_string(t.tamanho), NomeDoTipo(t.base)});
    if ((t.base == TipoBase::Decimal || t.base == TipoBase::Numeric) &&
        (t.precisao < 1 || t.precisao > 38 || t.escala > t.precisao))
        throw ErroDoServidor(183, {std::to_string(t.escala), "", "0", std::to_string(t.precisao)});
    if (t.tamanho == 0 && informado && !EhNumericoExato(t.base) && t.base != TipoBase::Float)
        throw ErroDoServidor(131, {"0", NomeDoTipo(t.base)});
    return t;
}

}  // namespace zolvek::simulador
