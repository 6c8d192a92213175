#include "simulador/tds/resposta.hpp"

#include <optional>

#include "simulador/tds/canal.hpp"
#include "simulador/tds/colunas.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr std::size_t kEnvioParcial = 64 * 1024;

}  // namespace

MensagemDoServidor MensagemDoErro(const ErroDeBanco& e, const std::string& servidor) {
    MensagemDoServidor m;
    m.erro = true;
    m.numero = e.Numero();
    m.classe = static_cast<std::uint8_t>(e.Severidade() > 0 ? e.Severidade() : 16);
    m.estado = static_cast<std::uint8_t>(e.Estado() > 0 ? e.Estado() : 1);
    m.texto = e.what();
    m.servidor = servidor;
    return m;
}

Resposta::Resposta(Canal& canal, std::string servidor)
    : canal_(canal), servidor_(std::move(servidor)) {}

void Resposta::EscreverFimPendente(bool mais) {
    if (!pendente_) return;
    std::uint16_t status = pendente_->status;
    if (mais) status |= kFimMais;
    if (emTransacao_) status |= kFimEmTransacao;
    EscreverFim(e_, pendente_->token, status, pendente_->linhas);
    pendente_.reset();
}

void Resposta::Enviar(bool ultimo) {
    canal_.Acumular(kResposta, e_.Dados(), ultimo);
}

Escritor& Resposta::Corpo() {
    EscreverFimPendente(true);
    if (e_.Tamanho() >= kEnvioParcial) Enviar(false);
    return e_;
}

void Resposta::Fim(std::uint8_t token, std::uint16_t status, std::uint64_t linhas) {
    EscreverFimPendente(true);
    if (status & kFimErro) teveErro_ = true;
    pendente_ = FimPendente{token, status, linhas};
}

void Resposta::Resultado(const db::Resultado& r, std::uint8_t tokenDoFim) {
    if (r.colunas.empty()) {
        if (r.linhasAfetadas >= 0)
            Fim(tokenDoFim, kFimContagem, static_cast<std::uint64_t>(r.linhasAfetadas));
        else
            Fim(tokenDoFim, 0);
        return;
    }
    const auto colunas = DescreverColunas(r);
    EscreverMetadados(Corpo(), colunas);
    for (const auto& linha : r.linhas) {
        // a value the column's type cannot hold: the result stops there, as a conversion
        // error stops it on SQL Server
        std::optional<ErroDeBanco> falha;
        try {
            EscreverLinha(Corpo(), colunas, linha);
        } catch (const ErroDeBanco& e) {
            falha = e;
        } catch (const zolvek::Erro& e) {
            falha = ErroDeBanco(e.what());
        }
        if (falha) {
            Erro(*falha);
            Fim(tokenDoFim, kFimErro);
            return;
        }
    }
    Fim(tokenDoFim, kFimContagem, r.linhas.size());
}

void Resposta::Erro(const ErroDeBanco& e) {
    teveErro_ = true;
    EscreverMensagem(Corpo(), MensagemDoErro(e, servidor_));
}

void Resposta::Info(std::int32_t numero, std::uint8_t classe, const std::string& texto,
                    std::uint8_t estado) {
    EscreverMensagem(Corpo(), {false, numero, estado, classe, texto, servidor_, "", 1});
}

void Resposta::MensagensAte(std::vector<db::Mensagem>& mensagens, std::size_t indice) {
    while (mensagensEnviadas_ < mensagens.size() &&
           mensagens[mensagensEnviadas_].resultado <= indice) {
        const db::Mensagem& m = mensagens[mensagensEnviadas_];
        Info(m.numero, static_cast<std::uint8_t>(m.severidade), m.texto,
             static_cast<std::uint8_t>(m.estado));
        ++mensagensEnviadas_;
    }
}

void Resposta::Concluir(std::uint8_t tokenFinal) {
    if (!pendente_)
        pendente_ =
            FimPendente{tokenFinal, static_cast<std::uint16_t>(teveErro_ ? kFimErro : 0), 0};
    EscreverFimPendente(false);
    Enviar(true);
}

}  // namespace zolvek::simulador::tds
