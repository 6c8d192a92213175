#include "simulador/tds/conexao_tds.hpp"

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/tds/canal.hpp"
#include "simulador/tds/login.hpp"
#include "simulador/tds/prelogin.hpp"
#include "simulador/tds/resposta.hpp"
#include "simulador/tds/sessao_tds.hpp"
#include "simulador/tds/tls.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr std::size_t kLimiteDoLogin = 128 * 1024;

// PRELOGIN, TLS when agreed, LOGIN7. False when the client did not get logged in.
bool Negociar(SessaoTds& s, const ConfiguracaoDaConexao& c) {
    MensagemTds m;
    if (!s.canal.Ler(m, kLimiteDoLogin)) return false;
    if (m.tipo != kPrelogin) throw ErroDeProtocolo("a primeira mensagem não é PRELOGIN");
    const PreloginDoCliente p = LerPrelogin(m.dados);
    const std::uint8_t cripto = CriptografiaCombinada(p.criptografia, c.tls != nullptr);
    s.canal.Enviar(kResposta, MontarPrelogin(c.versao, cripto));
    if (cripto == kCriptografiaSemSuporte &&
        (p.criptografia == kCriptografiaLigada || p.criptografia == kCriptografiaExigida))
        s.registrar("conexão de " + s.cliente +
                    " recusada: o cliente exige criptografia e o servidor não tem certificado "
                    "(--certificado e --chave)");
    if (cripto != kCriptografiaSemSuporte) {
        auto tls = std::make_unique<CamadaTls>(*c.tls);
        tls->Negociar(s.canal, kLimiteDoLogin);
        s.canal.LigarTls(std::move(tls));
    }
    if (!s.canal.Ler(m, kLimiteDoLogin)) return false;
    if (m.tipo != kLogin7)
        throw ErroDeProtocolo("pacote de tipo " + std::to_string(m.tipo) + " antes do LOGIN7");
    // Encryption of the login only: the rest goes in the clear.
    if (cripto == kCriptografiaDesligada) s.canal.DesligarTls();
    const Login7 login = LerLogin7(m.dados);
    // a login may be refused for a session that a client already hung up
    if (c.antesDoPedido) c.antesDoPedido(s.canal.Socket());
    return Entrar(s, login, c.pasta);
}

// RESETCONNECTION: the pooled connection starts over as a new session of the same login.
void Reiniciar(SessaoTds& s) {
    s.conector->Fechar();
    s.conector->Abrir();
    s.emTransacao = false;
    s.preparados.clear();
}

void AtenderPedido(SessaoTds& s, const MensagemTds& m) {
    if (m.reiniciarConexao) Reiniciar(s);
    switch (m.tipo) {
        case kLoteSql:
            return AtenderLote(s, m.dados);
        case kRpc:
            return AtenderRpc(s, m.dados);
        case kTransacao:
            return AtenderTransacao(s, m.dados);
        case kAtencao: {  // nothing runs: the answer is the acknowledgement alone
            Resposta r(s.canal, s.servidor);
            r.Fim(kFim, kFimAtencao);
            return r.Concluir();
        }
        case kCargaEmMassa: {
            Resposta r(s.canal, s.servidor);
            r.Erro(Recusa("O servidor TDS do simulador não aceita carga em massa (BCP)."));
            return r.Concluir();
        }
        default:
            throw ErroDeProtocolo("pacote de tipo " + std::to_string(m.tipo) + " depois do login");
    }
}

}  // namespace

void AtenderConexao(int socket, const std::string& cliente, const ConfiguracaoDaConexao& c) {
    Canal canal(socket);
    SessaoTds s{canal, c.registrar, cliente};
    s.vigia = c.vigia;
    try {
        if (!Negociar(s, c)) return;
        MensagemTds m;
        while (!s.encerrar && canal.Ler(m, c.limiteDaMensagem)) {
            if (c.antesDoPedido) c.antesDoPedido(socket);
            AtenderPedido(s, m);
        }
        s.conector.reset();  // the session ends before the line that says so
        s.registrar(s.encerrar ? "conexão de " + cliente + " encerrada: a sessão " +
                                     std::to_string(s.spid) + " foi eliminada"
                               : "conexão de " + cliente + " encerrada pelo cliente");
    } catch (const ErroDeProtocolo& e) {
        s.registrar("conexão de " + cliente + " fechada: " + e.what());
    } catch (const std::exception& e) {
        s.registrar("conexão de " + cliente + " fechada por falha: " + e.what());
    }
}

}  // namespace zolvek::simulador::tds
