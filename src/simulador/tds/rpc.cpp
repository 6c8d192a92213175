#include "simulador/tds/rpc.hpp"

#include "simulador/tds/sessao_tds.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr std::uint8_t kPorReferencia = 0x01;  // an OUTPUT parameter
constexpr std::uint8_t kValorPadrao = 0x02;
constexpr std::uint8_t kCriptografado = 0x08;

// Between two calls of one request: 0xFF (0x80 before TDS 7.2), or 0xFE (NoExec).
bool Separador(std::uint8_t b) {
    return b == 0xFF || b == 0xFE || b == 0x80;
}

ParametroRpc LerParametro(Leitor& l) {
    ParametroRpc p;
    p.nome = l.BVarChar();
    const std::uint8_t status = l.U8();
    if (status & kCriptografado)
        throw ErroDeProtocolo("parâmetro criptografado (Always Encrypted)");
    p.saida = (status & kPorReferencia) != 0;
    p.padrao = (status & kValorPadrao) != 0;
    p.tipo = LerInfoDeTipo(l);
    p.valor = LerValor(l, p.tipo);
    return p;
}

}  // namespace

std::vector<ChamadaRpc> LerRpc(const Bytes& dados) {
    Leitor l(dados);
    PularCabecalhos(l);
    std::vector<ChamadaRpc> chamadas;
    while (!l.Fim()) {
        ChamadaRpc c;
        const std::uint16_t tamanho = l.U16();
        if (tamanho == 0xFFFF)
            c.numero = l.U16();
        else if (tamanho == 0)
            throw ErroDeProtocolo("chamada RPC sem nome de procedimento");
        else
            c.nome = l.Utf16(tamanho);
        l.U16();  // option flags: recompile, no metadata
        while (!l.Fim() && !Separador(*l.Posicao())) c.parametros.push_back(LerParametro(l));
        if (!l.Fim()) l.U8();
        chamadas.push_back(std::move(c));
    }
    if (chamadas.empty()) throw ErroDeProtocolo("RPC sem chamadas");
    return chamadas;
}

}  // namespace zolvek::simulador::tds
