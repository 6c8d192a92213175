#include "simulador/tds/login7.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr std::size_t kParteFixa = 94;
constexpr std::uint8_t kSegurancaIntegrada = 0x80;  // OptionFlags2
constexpr std::uint8_t kMudarSenha = 0x01;          // OptionFlags3

// A text of the variable part: offset and length (in characters) at `posicao`.
std::string Texto(const Bytes& dados, std::size_t posicao) {
    Leitor l(dados.data() + posicao, 4);
    const std::size_t inicio = l.U16();
    const std::size_t caracteres = l.U16();
    if (caracteres == 0) return {};
    if (inicio > dados.size() || caracteres * 2 > dados.size() - inicio)
        throw ErroDeProtocolo("campo do LOGIN7 além do fim do registro");
    Leitor t(dados.data() + inicio, caracteres * 2);
    return t.Utf16(caracteres);
}

// The password travels with each byte's halves swapped and then XORed with 0xA5.
std::string Senha(const Bytes& dados, std::size_t posicao) {
    Bytes copia = dados;
    Leitor l(dados.data() + posicao, 4);
    const std::size_t inicio = l.U16();
    const std::size_t caracteres = l.U16();
    if (inicio > dados.size() || caracteres * 2 > dados.size() - inicio)
        throw ErroDeProtocolo("senha do LOGIN7 além do fim do registro");
    for (std::size_t i = inicio; i < inicio + caracteres * 2; ++i) {
        const std::uint8_t b = copia[i] ^ 0xA5;
        copia[i] = static_cast<std::uint8_t>((b << 4) | (b >> 4));
    }
    return Texto(copia, posicao);
}

}  // namespace

Login7 LerLogin7(const Bytes& dados) {
    if (dados.size() < kParteFixa) throw ErroDeProtocolo("LOGIN7 mais curto que sua parte fixa");
    Leitor l(dados);
    const std::uint32_t tamanho = l.U32();
    if (tamanho > dados.size()) throw ErroDeProtocolo("LOGIN7 com tamanho maior que a mensagem");
    Login7 r;
    r.versaoTds = l.U32();
    r.tamanhoDoPacote = l.U32();
    l.Pular(4 + 4 + 4 + 1);  // program version, process id, connection id, flags 1
    r.segurancaIntegrada = (l.U8() & kSegurancaIntegrada) != 0;
    l.U8();  // type flags
    r.mudarSenha = (l.U8() & kMudarSenha) != 0;
    r.host = Texto(dados, 36);
    r.usuario = Texto(dados, 40);
    r.senha = Senha(dados, 44);
    r.aplicacao = Texto(dados, 48);
    r.servidor = Texto(dados, 52);
    r.biblioteca = Texto(dados, 60);
    r.idioma = Texto(dados, 64);
    r.banco = Texto(dados, 68);
    return r;
}

}  // namespace zolvek::simulador::tds
