// Function calls: T-SQL's functions as the engine's zv_ functions, and the checks SQL
// Server makes of a call before it runs.
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/funcoes/agregados.hpp"
#include "simulador/motor/funcoes/argumentos_das_funcoes.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/variaveis.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

// The most characters a text's type holds where SQL Server cuts what REPLICATE makes of
// it: 8 000 bytes, so 4 000 national characters; 0 for the max types, which it does not
// cut.
int GeradorSqlite::LimiteDeReplicacao(const Expressao& e) const {
    if (const auto* p = std::get_if<Parenteses>(&e.no)) return LimiteDeReplicacao(*p->dentro);
    if (const auto* f = std::get_if<Chamada>(&e.no)) {
        const std::string chave = Dobrar(f->nome.back());
        if ((chave == "cast" || chave == "convert") &&
            Dobrar(f->tipo).find("max") != std::string::npos)
            return 0;
    }
    if (const auto* c = std::get_if<Coluna>(&e.no))
        if (const ColunaDaTabela* col = ColunaDoEscopo(*c))
            if (col->tipo.tamanho == -1 || col->tipo.base == TipoBase::Text ||
                col->tipo.base == TipoBase::NText)
                return 0;
    return Nacional(e) ? 4000 : 8000;
}

// "|int", "|numeric", "|money" or "|float" after the type of a CAST or CONVERT of a number
// to text: a result too long for the text is '*' or an error by the number's type.
std::string GeradorSqlite::OrigemNumerica(const Chamada& c, std::size_t valor) const {
    if (valor >= c.argumentos.size()) return "";
    const auto alvo = LerTextoDeTipo(c.tipo);
    const auto t = TipoDe(*c.argumentos[valor]);
    if (alvo && t && EhDataHora(alvo->base) && (EhDataHora(t->base) || EhTexto(t->base)))
        return "|" + TextoDoTipo(*t);  // a text and a stored date-time read differently
    if (!alvo || !t || !EhTexto(alvo->base)) return "";
    if (EhInteiro(t->base) && t->base != TipoBase::Bit) return "|int";
    if (t->base == TipoBase::Money || t->base == TipoBase::SmallMoney) return "|money";
    if (EhNumericoExato(t->base)) return "|numeric";
    if (t->base == TipoBase::Float || t->base == TipoBase::Real) return "|float";
    // a date, time or datetime2 shows its own fraction, unlike a datetime
    if (t->base == TipoBase::Date || t->base == TipoBase::Time || t->base == TipoBase::DateTime2 ||
        t->base == TipoBase::DateTimeOffset)
        return "|" + TextoDoTipo(*t);
    return "";
}

std::string GeradorSqlite::Chamar(const Chamada& c) {
    if (c.nome.size() == 1 && c.nome[0] == ".value") return ChamarValorXml(c);
    std::string chave = Dobrar(c.nome.back());
    if (c.nome.size() == 1 && c.argumentos.empty())
        if (std::string f = SqliteDaFuncaoDeErro(chave, ctx_.variaveis); !f.empty()) return f;
    // a user's function may have any name, the engine's own included (dbo.zv_len)
    const bool doUsuario = c.nome.size() > 1 && ctx_.funcaoDoUsuario;
    if (doUsuario)
        if (auto f = FuncaoDoUsuario(c)) return ChamarFuncaoDoUsuario(c, *f);
    RecusarFuncaoDesconhecida(c, chave, doUsuario);
    RecusarFuncaoIndisponivel(c, chave);
    if (chave == "update" && c.nome.size() == 1) return ColunaAtualizada(c);
    if (c.nome.size() == 1) VerificarJanela(c, chave);
    if (c.nome.size() == 1 && (chave == "grouping" || chave == "grouping_id"))
        return Agrupando(c, chave);
    if (c.nome.size() == 1)
        ExigirArgumentos(
            chave, c.argumentos.size() + (c.parteDeData.empty() ? 0 : 1) + (c.estrela ? 1 : 0));
    if (chave == "datalength" && c.nome.size() == 1 && c.argumentos.size() == 1 &&
        Nacional(*c.argumentos[0]))
        return "(zv_datalength(" + Gerar(*c.argumentos[0]) + ") * 2)";
    VerificarOperandoDoAgregado(c, chave);
    RecusarAgregadoAninhado(c);
    if (auto propria = GerarChamadaPropria(c, chave)) return *propria;
    return SomaFinita(c, chave, GerarChamadaComum(c, chave));
}

// RADIANS and DEGREES of an integer, a decimal or money are of its kind: SQLite's float
// converted as CAST converts it (an integer truncated).
std::string GeradorSqlite::Angulo(const Chamada& c, const std::string& chave) {
    const auto t = TipoDaChamada(c);
    if (!t || t->base == TipoBase::Float || c.argumentos.size() != 1) return "";
    const auto a = TipoDe(*c.argumentos[0]);
    std::string x = Gerar(*c.argumentos[0]);
    if (a && EhNumericoExato(a->base)) x = "zv_dreal(" + x + ")";
    return "zv_cast(" + chave + "(" + x + "), " + ComoTexto(TextoDoTipo(*t)) + ")";
}

// A float sum or average past float's range is SQL Server's overflow, never SQLite's Inf.
std::string GeradorSqlite::SomaFinita(const Chamada& c, const std::string& chave, std::string sql) {
    if (c.nome.size() != 1 || (chave != "sum" && chave != "avg")) return sql;
    const auto t = TipoDaChamada(c);
    if (!t || t->base != TipoBase::Float) return sql;
    return "zv_real_finito(" + sql + ")";
}

// A name of the engine's own functions is none of T-SQL's, and a user function that does
// not exist is refused as SQL Server refuses it.
void GeradorSqlite::RecusarFuncaoDesconhecida(const Chamada& c, const std::string& chave,
                                              bool doUsuario) const {
    if (EhFuncaoDoMotor(chave) && (c.nome.size() > 1 || !FuncaoEmbutidaDe(chave))) {
        std::string nome;
        for (const auto& p : c.nome) nome += (nome.empty() ? "" : ".") + p;
        if (c.nome.size() == 1) throw ErroDoServidor(195, {nome, "built-in function name"});
        throw ErroDoServidor(4121, {c.nome.front(), nome});
    }
    if (doUsuario) {
        // a body may call a function made after it
        if (!ctx_.variaveisSemValor && c.nome.size() <= 3) {
            std::string nome;
            for (const auto& p : c.nome) nome += (nome.empty() ? "" : ".") + p;
            throw ErroDoServidor(4121, {c.nome[c.nome.size() - 2], nome});
        }
    }
}

// The functions this server's version does not know, and those the simulator cannot
// reproduce.
void GeradorSqlite::RecusarFuncaoIndisponivel(const Chamada& c, const std::string& chave) const {
    const FuncaoEmbutida* f = c.nome.size() == 1 ? FuncaoEmbutidaDe(chave) : nullptr;
    if (f && ctx_.versaoMaior < f->desdeVersao)
        throw ErroDoServidor(195, {c.nome[0], "built-in function name"});
    // SQL Server's hash of these is its own: a value of another would be a wrong answer
    if (f && f->hashDoServidor)
        throw Recusa("O simulador de SQL Server não calcula " + c.nome[0] +
                     ": os valores de SQL Server para ela não se reproduzem aqui.");
}

// The calls written in a form of their own (CONCAT, PARSE, a conversion to binary,
// HASHBYTES, exact decimals); nothing for the others.
std::optional<std::string> GeradorSqlite::GerarChamadaPropria(const Chamada& c,
                                                              const std::string& chave) {
    if (chave == "concat" && c.nome.size() == 1) return Concatenar(c);
    if ((chave == "parse" || chave == "try_parse") && c.nome.size() == 1) {
        // the culture's text made the invariant one, then converted as CAST converts it
        const std::string tentar = chave == "try_parse" ? "1" : "0";
        return std::string(chave == "try_parse" ? "zv_try_cast" : "zv_cast") + "(zv_parse(" +
               Gerar(*c.argumentos[0]) + ", " + ComoTexto(c.tipo) + ", " +
               (c.argumentos.size() > 1 ? Gerar(*c.argumentos[1]) : "''") + ", " + tentar + "), " +
               ComoTexto(c.tipo) + ")";
    }
    if ((chave == "cast" || chave == "convert") && c.nome.size() == 1 &&
        (chave == "cast" || c.argumentos.size() == 1))
        if (auto alvo = LerTextoDeTipo(c.tipo); alvo && EhBinario(alvo->base)) {
            // a text becomes the bytes its own type keeps: nvarchar's are UTF-16
            const std::string x = "zv_bytes(" + Gerar(*c.argumentos[0]) + ", " +
                                  (Nacional(*c.argumentos[0]) ? "1" : "0") + ")";
            return chave == "cast" ? "zv_cast(" + x + ", " + ComoTexto(c.tipo) + ")"
                                   : "zv_convert(" + ComoTexto(c.tipo) + ", " + x + ")";
        }
    if (chave == "hashbytes" && c.nome.size() == 1)
        return "zv_hashbytes(" + Gerar(*c.argumentos[0]) + ", " + Gerar(*c.argumentos[1]) + ", " +
               (Nacional(*c.argumentos[1]) ? "1" : "0") + ")";
    if ((chave == "radians" || chave == "degrees") && c.nome.size() == 1)
        if (std::string a = Angulo(c, chave); !a.empty()) return a;
    if (std::string d = ChamadaDecimal(c, chave); !d.empty()) return d;
    if (chave == "avg" && c.nome.size() == 1 && c.argumentos.size() == 1)
        if (const auto t = TipoDe(*c.argumentos[0]);
            t && EhInteiro(t->base) && t->base != TipoBase::Bit) {
            // an average of integers is an integer: their sum divided as integers divide
            const std::string x =
                std::string(c.distinto ? "DISTINCT " : "") + Gerar(*c.argumentos[0]) + ")";
            return "(sum(" + x + Sobre(c) + " / count(" + x + Sobre(c) + ")";
        }
    if (chave == "power" && c.nome.size() == 1 && c.argumentos.size() == 2)
        if (const auto t = TipoDaChamada(c);
            t && (t->base == TipoBase::Int || t->base == TipoBase::BigInt))
            // an integer raised stays an integer of its type, truncated, or overflows it
            return "zv_ipotencia(" + Gerar(*c.argumentos[0]) + ", " + Gerar(*c.argumentos[1]) +
                   ", '" + (t->base == TipoBase::Int ? "int" : "bigint") + "')";
    return std::nullopt;
}

// A call of the function SQLite knows by the same or the mapped name, its arguments
// converted as SQL Server converts them.
std::string GeradorSqlite::GerarChamadaComum(const Chamada& c, const std::string& chave) {
    const FuncaoEmbutida* f = c.nome.size() == 1 ? FuncaoEmbutidaDe(chave) : nullptr;
    std::string s = (f && *f->noSqlite ? std::string(f->noSqlite) : c.nome.back()) + "(";
    std::vector<std::string> args;
    if (!c.parteDeData.empty()) args.push_back(ComoTexto(c.parteDeData));
    // PARSE and TRY_PARSE, also written with a type after AS, are written on their own
    const bool comoConvert = f && f->forma == FormaDaChamada::TipoPrimeiro;
    const bool comoCast = f && f->forma == FormaDaChamada::TipoAoFim;
    const std::string tipo =
        (comoConvert || comoCast) && c.nome.size() == 1 ? c.tipo + OrigemNumerica(c, 0) : c.tipo;
    if (comoConvert && c.nome.size() == 1) args.push_back(ComoTexto(tipo));
    if (auto convertidos =
            c.nome.size() == 1 ? ArgumentosConvertidos(c, chave) : std::vector<std::string>{};
        !convertidos.empty())
        args.insert(args.end(), convertidos.begin(), convertidos.end());
    else
        for (const auto& a : c.argumentos) args.push_back(Gerar(*a));
    if ((comoCast || comoConvert) && c.nome.size() == 1 && !c.argumentos.empty()) {
        // a date-time column's stored text is written in the style asked for, as any date-time
        const auto t = TipoDe(*c.argumentos[0]);
        if (t && (t->base == TipoBase::DateTime || t->base == TipoBase::SmallDateTime))
            args[comoConvert ? 1 : 0] = "zv_dt(" + args[comoConvert ? 1 : 0] + ")";
    }
    if (comoCast && c.nome.size() == 1) args.push_back(ComoTexto(tipo));
    if ((chave == "todatetimeoffset" || chave == "switchoffset") && c.nome.size() == 1 &&
        c.argumentos.size() == 2) {
        // the result keeps the fraction digits of the value's type
        const auto t = TipoDe(*c.argumentos[0]);
        args.push_back(ComoTexto(t && EhDataHora(t->base) ? TextoDoTipo(*t) : ""));
    }
    if (chave == "datediff" && c.nome.size() == 1)  // a datetimeoffset counts in UTC
        for (std::size_t k = 0; k < c.argumentos.size(); ++k)
            if (const auto t = TipoDe(*c.argumentos[k]); t && t->base == TipoBase::DateTimeOffset)
                args[k + 1] = "zv_dto_utc(" + args[k + 1] + ")";
    if (chave == "dateadd" && c.nome.size() == 1 && c.argumentos.size() == 2) {
        // the sum keeps the date's type, whose parts it must have
        const auto t = TipoDe(*c.argumentos[1]);
        args.push_back(ComoTexto(t && EhDataHora(t->base) ? TextoDoTipo(*t) : ""));
    }
    if (chave == "replicate" && c.nome.size() == 1 && c.argumentos.size() == 2)
        args.push_back(std::to_string(LimiteDeReplicacao(*c.argumentos[0])));
    if (chave == "choose" && c.nome.size() == 1 && !args.empty())
        args[0] = "zv_cast(" + args[0] + ", 'int')";  // CHOOSE(2.7, ...) is CHOOSE(2, ...)
    if (c.estrela) args.push_back("*");
    if (c.distinto) s += "DISTINCT ";
    for (std::size_t k = 0; k < args.size(); ++k) s += (k ? ", " : "") + args[k];
    return s + ")" + Sobre(c);
}

// UPDATE(col) in a trigger: whether the statement that fired it set the column (an
// INSERT sets them all).
std::string GeradorSqlite::ColunaAtualizada(const Chamada& c) {
    const auto* col =
        c.argumentos.size() == 1 ? std::get_if<Coluna>(&c.argumentos[0]->no) : nullptr;
    if (!col || col->partes.size() != 1) throw ErroDoServidor(102, {"'UPDATE'"});
    if (ctx_.variaveisSemValor) return "0";  // a body being compiled
    if (!ctx_.gatilho)
        throw Recusa("O simulador de SQL Server não avalia UPDATE(" + col->partes[0] +
                     ") fora de uma trigger.");
    if (ctx_.gatilho->tabela && !ctx_.gatilho->tabela->Coluna(col->partes[0]))
        throw ErroDoServidor(207, {col->partes[0]});
    for (const auto& a : ctx_.gatilho->atualizadas)
        if (IguaisCiAs(a, col->partes[0])) return "1";
    return "0";
}

// " OVER (...)" of a window function; "" for any other call.
std::string GeradorSqlite::Sobre(const Chamada& c) {
    if (!c.sobre) return "";
    std::string s = " OVER (";
    if (!c.sobre->particao.empty()) {
        s += "PARTITION BY ";
        for (std::size_t k = 0; k < c.sobre->particao.size(); ++k)
            s += (k ? ", " : "") + Gerar(*c.sobre->particao[k]);
    }
    if (!c.sobre->ordem.empty())
        s += std::string(c.sobre->particao.empty() ? "" : " ") + Ordem(c.sobre->ordem);
    if (!c.sobre->moldura.empty()) s += " " + c.sobre->moldura;
    return s + ")";
}

}  // namespace zolvek::simulador
