// Transactions the client asks for outside SQL: the transaction manager's requests
// (ODBC's autocommit off, SQLEndTran), and the ENVCHANGE that tell every transaction's
// start and end.
#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/tds/resposta.hpp"
#include "simulador/tds/sessao_tds.hpp"

namespace zolvek::simulador::tds {

namespace {

enum PedidoDeTransacao : std::uint16_t {
    kEnderecoDtc = 0,
    kPropagar = 1,
    kIniciar = 5,
    kPromover = 6,
    kConfirmar = 7,
    kDesfazer = 8,
    kSalvar = 9,
};

Bytes Descritor(std::uint64_t d) {
    Bytes b(8);
    for (std::size_t i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(d >> (8 * i));
    return b;
}

// The transaction's name: a byte of length (in characters) and the text.
std::string Nome(Leitor& l) {
    return l.Fim() ? std::string() : l.BVarChar();
}

// COMMIT and ROLLBACK may ask for a new transaction at once (fBeginXact).
bool IniciarOutra(Leitor& l) {
    if (l.Fim()) return false;
    const bool iniciar = (l.U8() & 0x01) != 0;
    if (iniciar && !l.Fim()) {
        l.U8();  // isolation level
        Nome(l);
    }
    return iniciar;
}

void Terminar(SessaoTds& s, Resposta& r, bool desfazer, Leitor& l) {
    Nome(l);
    const bool outra = IniciarOutra(l);
    // With no transaction open (the batch ended its own) there is nothing to end, as
    // ODBC's SQLEndTran says.
    if (s.conector->EmTransacao()) {
        if (desfazer)
            s.conector->Desfazer();
        else
            s.conector->Confirmar();
    }
    if (s.emTransacao) AnunciarFim(s, r, desfazer);
    if (outra) {
        s.conector->IniciarTransacao();
        AnunciarInicio(s, r);
    }
}

}  // namespace

void AnunciarInicio(SessaoTds& s, Resposta& r) {
    s.descritor = s.proximoDescritor++;
    s.emTransacao = true;
    EscreverAmbienteBinario(r.Corpo(), kAmbienteInicioDeTransacao, Descritor(s.descritor), {});
    r.DefinirEmTransacao(true);
}

void AnunciarFim(SessaoTds& s, Resposta& r, bool desfeita) {
    EscreverAmbienteBinario(r.Corpo(), desfeita ? kAmbienteDesfazimento : kAmbienteConfirmacao, {},
                            Descritor(s.descritor));
    s.descritor = 0;
    s.emTransacao = false;
    r.DefinirEmTransacao(false);
}

void AtenderTransacao(SessaoTds& s, const Bytes& dados) {
    Leitor l(dados);
    PularCabecalhos(l);
    const std::uint16_t pedido = l.U16();
    Resposta r(s.canal, s.servidor);
    r.DefinirEmTransacao(s.emTransacao);
    try {
        switch (pedido) {
            case kIniciar:
                if (!l.Fim()) l.U8();  // isolation level: every session reads committed data
                Nome(l);
                s.conector->IniciarTransacao();
                AnunciarInicio(s, r);
                break;
            case kConfirmar:
            case kDesfazer:
                Terminar(s, r, pedido == kDesfazer, l);
                break;
            case kSalvar: {
                const std::string nome = Nome(l);
                Execucao x = Executar(s, "SAVE TRANSACTION [" + nome + "]", {});
                EnviarExecucao(r, x, kFim);
                break;
            }
            case kEnderecoDtc:
            case kPropagar:
            case kPromover:
                r.Erro(Recusa(
                    "O servidor TDS do simulador não aceita transações distribuídas (MS DTC)."));
                break;
            default:
                throw ErroDeProtocolo("pedido de transação desconhecido " + std::to_string(pedido));
        }
    } catch (const ErroDeBanco& e) {
        r.Erro(e);
        s.emTransacao = s.conector->EmTransacao();
    }
    r.Concluir();
}

}  // namespace zolvek::simulador::tds
