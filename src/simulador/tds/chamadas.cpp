// RPC calls: each becomes a batch of the stand-in. OUTPUT parameters are variables of
// that batch, declared with the type the client gave them, and a last SELECT of the batch
// brings their values and the RETURN value back.
#include <cctype>

#include "comum/texto.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/tds/colunas.hpp"
#include "simulador/tds/resposta.hpp"
#include "simulador/tds/rpc.hpp"
#include "simulador/tds/sessao_tds.hpp"

namespace zolvek::simulador::tds {

namespace {

struct Traducao {
    std::string sql;
    std::vector<db::Valor> valores;
    std::vector<std::size_t> saidas;  // the call's parameters the last SELECT brings back
    bool comRetorno = false;          // that SELECT starts with the RETURN value
};

std::string LiteralUnicode(const std::string& s) {
    std::string r = "N'";
    for (char c : s) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r + "'";
}

// A procedure name as a client may write it: names, [quoted names], dots, # and @.
bool NomeValido(const std::string& nome) {
    bool colchete = false;
    for (char c : nome) {
        const auto u = static_cast<unsigned char>(c);
        if (colchete) {
            colchete = c != ']';
            continue;
        }
        if (c == '[')
            colchete = true;
        else if (!(std::isalnum(u) || u >= 0x80 || c == '_' || c == '.' || c == '#' || c == '$'))
            return false;
    }
    return !colchete && !nome.empty();
}

// The arguments of an EXEC, from the call's parameters `inicio` on.
void TraduzirArgumentos(const ChamadaRpc& c, std::size_t inicio, Traducao& t,
                        std::string& declaracoes, std::string& argumentos) {
    std::vector<db::Valor> dasDeclaracoes, dosArgumentos;
    std::string selecao;
    for (std::size_t k = inicio; k < c.parametros.size(); ++k) {
        const ParametroRpc& p = c.parametros[k];
        std::string arg = p.nome.empty() ? "" : p.nome + " = ";
        if (p.padrao) {
            arg += "DEFAULT";
        } else if (p.saida) {
            const std::string variavel = "@zv_saida" + std::to_string(k);
            declaracoes += "DECLARE " + variavel + " " + NomeSql(p.tipo) + " = ?;\n";
            dasDeclaracoes.push_back(p.valor);
            arg += variavel + " OUTPUT";
            t.saidas.push_back(k);
        } else {
            arg += "?";
            dosArgumentos.push_back(p.valor);
        }
        argumentos += (argumentos.empty() ? "" : ", ") + arg;
    }
    t.valores = std::move(dasDeclaracoes);
    t.valores.insert(t.valores.end(), dosArgumentos.begin(), dosArgumentos.end());
}

std::string SelecaoDasSaidas(const Traducao& t, const std::string& primeira) {
    std::string s = primeira;
    for (std::size_t k : t.saidas) s += (s.empty() ? "" : ", ") + ("@zv_saida" + std::to_string(k));
    return s.empty() ? "" : ";\nSELECT " + s;
}

Traducao TraduzirSqlDinamico(const ChamadaRpc& c, const std::string& texto,
                             const db::Valor& declaracoes, std::size_t inicio) {
    Traducao t;
    std::string declara, argumentos;
    TraduzirArgumentos(c, inicio, t, declara, argumentos);
    t.sql = declara + "EXEC sp_executesql " + LiteralUnicode(texto);
    if (!db::EhNulo(declaracoes)) t.sql += ", " + LiteralUnicode(db::ValorComoTexto(declaracoes));
    if (!argumentos.empty()) t.sql += ", " + argumentos;
    t.sql += SelecaoDasSaidas(t, "");
    return t;
}

Traducao TraduzirProcedimento(const ChamadaRpc& c) {
    if (!NomeValido(c.nome)) throw ErroDoServidor(2812, {c.nome});
    Traducao t;
    std::string declara, argumentos;
    TraduzirArgumentos(c, 0, t, declara, argumentos);
    t.comRetorno = true;
    t.sql = declara + "DECLARE @zv_retorno int;\nEXEC @zv_retorno = " + c.nome +
            (argumentos.empty() ? "" : " " + argumentos) + SelecaoDasSaidas(t, "@zv_retorno");
    return t;
}

void EscreverSaidas(Resposta& r, const ChamadaRpc& c, const Traducao& t,
                    const std::vector<db::Valor>& valores) {
    std::size_t i = 0;
    EscreverRetornoDeStatus(r.Corpo(),
                            t.comRetorno && !valores.empty()
                                ? static_cast<std::int32_t>(db::ValorComoInteiro(valores[i++]))
                                : 0);
    for (std::size_t k : t.saidas) {
        const ParametroRpc& p = c.parametros[k];
        EscreverValorDeRetorno(r.Corpo(), static_cast<std::uint16_t>(k), p.nome, p.tipo,
                               i < valores.size() ? valores[i] : db::Valor{});
        ++i;
    }
}

// Runs the translated call and answers it; `extra` writes what comes before DONEPROC.
void Rodar(SessaoTds& s, Resposta& r, const ChamadaRpc& c, const Traducao& t,
           const std::string& texto) {
    Execucao x = Executar(s, t.sql, t.valores);
    std::vector<db::Valor> saidas;
    const bool comSelecao = t.comRetorno || !t.saidas.empty();
    if (!x.erro && comSelecao && !x.resultados.empty()) {
        if (!x.resultados.back().linhas.empty()) saidas = x.resultados.back().linhas[0];
        x.resultados.pop_back();
    }
    EnviarExecucao(r, x, kFimNoProcedimento);
    if (!x.erro) {
        try {
            EscreverSaidas(r, c, t, saidas);
        } catch (const ErroDeBanco& e) {
            r.Erro(e);
        } catch (const Erro& e) {
            r.Erro(ErroDeBanco(e.what()));
        }
    }
    InformarMudancas(s, r, texto);
}

std::string NomeSimples(const std::string& nome) {
    std::string n = texto::Minusculas(nome);
    if (const auto p = n.rfind('.'); p != std::string::npos) n = n.substr(p + 1);
    if (n.size() > 2 && n.front() == '[' && n.back() == ']') n = n.substr(1, n.size() - 2);
    return n;
}

std::uint16_t NumeroDoProcedimento(const ChamadaRpc& c) {
    if (c.numero) return c.numero;
    const std::string n = NomeSimples(c.nome);
    if (n == "sp_executesql") return kSpExecuteSql;
    if (n == "sp_prepare") return kSpPrepare;
    if (n == "sp_execute") return kSpExecute;
    if (n == "sp_prepexec") return kSpPrepExec;
    if (n == "sp_unprepare") return kSpUnprepare;
    if (n.rfind("sp_cursor", 0) == 0) return kSpCursor;
    return 0;
}

const db::Valor& Parametro(const ChamadaRpc& c, std::size_t i) {
    static const db::Valor nulo;
    return i < c.parametros.size() ? c.parametros[i].valor : nulo;
}

std::int32_t Preparar(SessaoTds& s, const ChamadaRpc& c) {
    const std::int32_t id = s.proximoPreparado++;
    s.preparados[id] = {db::ValorComoTexto(Parametro(c, 2)), db::ValorComoTexto(Parametro(c, 1))};
    return id;
}

void DevolverIdentificador(Resposta& r, const ChamadaRpc& c, std::int32_t id) {
    TipoTds inteiro;
    inteiro.tipo = kIntN;
    inteiro.tamanho = 4;
    EscreverValorDeRetorno(r.Corpo(), 0, c.parametros.empty() ? "" : c.parametros[0].nome, inteiro,
                           db::Valor{std::int64_t{id}});
}

void Chamar(SessaoTds& s, Resposta& r, const ChamadaRpc& c) {
    switch (NumeroDoProcedimento(c)) {
        case 0:
            return Rodar(s, r, c, TraduzirProcedimento(c), c.nome);
        case kSpExecuteSql: {
            const std::string texto = db::ValorComoTexto(Parametro(c, 0));
            return Rodar(s, r, c, TraduzirSqlDinamico(c, texto, Parametro(c, 1), 2), texto);
        }
        case kSpPrepare:
            EscreverRetornoDeStatus(r.Corpo(), 0);
            return DevolverIdentificador(r, c, Preparar(s, c));
        case kSpPrepExec: {
            const std::int32_t id = Preparar(s, c);
            const Preparado& p = s.preparados[id];
            Rodar(s, r, c, TraduzirSqlDinamico(c, p.texto, p.declaracoes, 3), p.texto);
            return DevolverIdentificador(r, c, id);
        }
        case kSpExecute: {
            const auto id = static_cast<std::int32_t>(db::ValorComoInteiro(Parametro(c, 0)));
            const auto p = s.preparados.find(id);
            if (p == s.preparados.end()) throw ErroDoServidor(8179, {std::to_string(id)});
            return Rodar(s, r, c, TraduzirSqlDinamico(c, p->second.texto, p->second.declaracoes, 1),
                         p->second.texto);
        }
        case kSpUnprepare:
            s.preparados.erase(static_cast<std::int32_t>(db::ValorComoInteiro(Parametro(c, 0))));
            return EscreverRetornoDeStatus(r.Corpo(), 0);
        default:
            throw Recusa(
                "O servidor TDS do simulador não aceita cursores do servidor (sp_cursor...): use "
                "o cursor padrão do driver.");
    }
}

}  // namespace

void AtenderRpc(SessaoTds& s, const Bytes& dados) {
    const std::vector<ChamadaRpc> chamadas = LerRpc(dados);
    Resposta r(s.canal, s.servidor);
    r.DefinirEmTransacao(s.emTransacao);
    for (const auto& c : chamadas) {
        bool falhou = false;
        try {
            const bool antes = r.TeveErro();
            Chamar(s, r, c);
            falhou = r.TeveErro() && !antes;
        } catch (const ErroDeBanco& e) {
            r.Erro(e);
            falhou = true;
        } catch (const Erro& e) {
            r.Erro(ErroDeBanco(e.what(), 50000, 16, 1));
            falhou = true;
        }
        r.Fim(kFimDeProcedimento, falhou ? kFimErro : 0);
        if (s.encerrar) break;
    }
    r.Concluir(kFimDeProcedimento);
}

}  // namespace zolvek::simulador::tds
