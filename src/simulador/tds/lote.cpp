// SQL batches, and what every request runs through: the stand-in's connector.
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "comum/texto.hpp"
#include "db/conector/cancelamento.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/tds/resposta.hpp"
#include "simulador/tds/sessao_tds.hpp"

namespace zolvek::simulador::tds {

namespace {

bool ParteDeNome(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

// Whether the text holds the word, in any letter case (comments and literals included:
// a false hit only costs one more look at the session).
bool TemPalavra(const std::string& texto, std::string_view palavra) {
    const std::string minusculo = texto::Minusculas(texto);
    for (std::size_t p = minusculo.find(palavra); p != std::string::npos;
         p = minusculo.find(palavra, p + 1)) {
        const bool antes = p == 0 || !ParteDeNome(minusculo[p - 1]);
        const std::size_t fim = p + palavra.size();
        const bool depois = fim >= minusculo.size() || !ParteDeNome(minusculo[fim]);
        if (antes && depois) return true;
    }
    return false;
}

std::string UmTexto(SessaoTds& s, const char* sql) {
    const auto r = s.conector->Executar(sql, {}, 0);
    if (r.empty() || r.back().linhas.empty()) return "";
    return db::ValorComoTexto(r.back().linhas[0][0]);
}

void InformarBanco(SessaoTds& s, Resposta& r) {
    const std::string banco = UmTexto(s, "SELECT DB_NAME()");
    if (banco.empty() || banco == s.banco) return;
    EscreverAmbiente(r.Corpo(), kAmbienteBanco, banco, s.banco);
    r.Info(5701, 0, "Changed database context to '" + banco + "'.");
    s.banco = banco;
}

void InformarIdioma(SessaoTds& s, Resposta& r) {
    const std::string idioma = UmTexto(s, "SELECT @@LANGUAGE");
    if (idioma.empty() || idioma == s.idioma) return;
    EscreverAmbiente(r.Corpo(), kAmbienteIdioma, idioma, s.idioma);
    r.Info(5703, 0, "Changed language setting to " + idioma + ".");
    s.idioma = idioma;
}

}  // namespace

void PularCabecalhos(Leitor& l) {
    const std::uint32_t total = l.U32();
    if (total < 4 || total - 4 > l.Restante())
        throw ErroDeProtocolo("ALL_HEADERS com tamanho inválido");
    std::size_t resto = total - 4;
    while (resto > 0) {
        const std::uint32_t tamanho = l.U32();
        if (tamanho < 6 || tamanho > resto) throw ErroDeProtocolo("cabeçalho com tamanho inválido");
        l.Pular(tamanho - 4);
        resto -= tamanho;
    }
}

Execucao Executar(SessaoTds& s, const std::string& sql, const std::vector<db::Valor>& parametros) {
    Execucao x;
    if (std::getenv("ZOLVEK_TDS_DEPURAR")) s.registrar("lote: " + sql.substr(0, 2000));
    // An ATTENTION that arrives while the batch runs stops it at the engine's next check;
    // the batch then ends without an error of its own, and the acknowledgement follows.
    db::CanceladorDeComandos cancelador;
    db::VinculoDoCancelador vinculo(cancelador);
    std::atomic<bool> atencao{false};
    std::optional<VigiaDeAtencao::Guarda> guarda;
    if (s.vigia)
        guarda.emplace(*s.vigia, s.canal.Socket(), [&] {
            atencao = true;
            cancelador.Cancelar();
        });
    try {
        x.resultados = s.conector->Executar(sql, parametros, 0);
    } catch (const ErroDeBanco& e) {
        if (!(atencao && e.EstadoSql() == db::ErroDeCancelamento().EstadoSql()))
            x.erro = std::make_unique<ErroDeBanco>(e);
        if (e.Tipo() == ErroDeBanco::TipoDeFalha::SessaoEncerrada) s.encerrar = true;
    } catch (const std::exception& e) {
        x.erro = std::make_unique<ErroDeBanco>(e.what());
    }
    x.mensagens = s.conector->TomarMensagens();
    return x;
}

void InformarMudancas(SessaoTds& s, Resposta& r, const std::string& texto) {
    if (s.encerrar) return;
    const bool agora = s.conector->EmTransacao();
    if (agora && !s.emTransacao) AnunciarInicio(s, r);
    if (!agora && s.emTransacao) AnunciarFim(s, r, r.TeveErro() || TemPalavra(texto, "rollback"));
    try {
        if (TemPalavra(texto, "use")) InformarBanco(s, r);
        if (TemPalavra(texto, "language")) InformarIdioma(s, r);
    } catch (const ErroDeBanco&) {
        // the batch's own answer already says what went wrong with the session
    }
}

void EnviarExecucao(Resposta& r, Execucao& x, std::uint8_t tokenDoFim) {
    for (std::size_t i = 0; i < x.resultados.size(); ++i) {
        r.MensagensAte(x.mensagens, i);
        r.Resultado(x.resultados[i], tokenDoFim);
    }
    r.MensagensAte(x.mensagens, SIZE_MAX);
    if (x.erro) r.Erro(*x.erro);
}

void AtenderLote(SessaoTds& s, const Bytes& dados) {
    Leitor l(dados);
    PularCabecalhos(l);
    if (l.Restante() % 2) throw ErroDeProtocolo("texto do lote com um número ímpar de bytes");
    const std::string sql = l.Utf16(l.Restante() / 2);
    Resposta r(s.canal, s.servidor);
    r.DefinirEmTransacao(s.emTransacao);
    const std::string inicio = texto::Minusculas(texto::Aparar(sql).substr(0, 40));
    if (inicio.rfind("insert bulk", 0) == 0) {
        r.Erro(Recusa("O servidor TDS do simulador não aceita carga em massa (INSERT BULK/BCP)."));
        return r.Concluir();
    }
    Execucao x = Executar(s, sql, {});
    EnviarExecucao(r, x, kFim);
    InformarMudancas(s, r, sql);
    r.Concluir();
}

}  // namespace zolvek::simulador::tds
