#include "simulador/tds/tokens.hpp"

#include <cstdlib>

namespace zolvek::simulador::tds {

namespace {

constexpr std::size_t kTextoMaximo = 8000;

// A token whose length (two bytes) follows its type, written once the body is.
class ComTamanho {
  public:
    ComTamanho(Escritor& e, std::uint8_t token) : e_(e) {
        e_.U8(token);
        posicao_ = e_.Tamanho();
        e_.U16(0);
    }
    ~ComTamanho() { e_.U16Em(posicao_, static_cast<std::uint16_t>(e_.Tamanho() - posicao_ - 2)); }
    ComTamanho(const ComTamanho&) = delete;
    ComTamanho& operator=(const ComTamanho&) = delete;

  private:
    Escritor& e_;
    std::size_t posicao_;
};

}  // namespace

void EscreverLoginAck(Escritor& e, const std::string& versaoDoProduto) {
    int partes[3] = {0, 0, 0};
    const char* p = versaoDoProduto.c_str();
    for (int& n : partes) {
        char* fim = nullptr;
        n = static_cast<int>(std::strtol(p, &fim, 10));
        p = *fim == '.' ? fim + 1 : fim;
    }
    ComTamanho t(e, kLoginAck);
    e.U8(1);              // SQL_TSQL
    e.U32Be(0x74000004);  // TDS 7.4
    e.BVarChar("Microsoft SQL Server");
    e.U8(static_cast<std::uint8_t>(partes[0]));
    e.U8(static_cast<std::uint8_t>(partes[1]));
    e.U8(static_cast<std::uint8_t>(partes[2] >> 8));
    e.U8(static_cast<std::uint8_t>(partes[2]));
}

void EscreverAmbiente(Escritor& e, std::uint8_t tipo, const std::string& novo,
                      const std::string& antigo) {
    ComTamanho t(e, kMudancaDeAmbiente);
    e.U8(tipo);
    e.BVarChar(novo);
    e.BVarChar(antigo);
}

void EscreverAmbienteBinario(Escritor& e, std::uint8_t tipo, const Bytes& novo,
                             const Bytes& antigo) {
    ComTamanho t(e, kMudancaDeAmbiente);
    e.U8(tipo);
    e.U8(static_cast<std::uint8_t>(novo.size()));
    e.Acrescentar(novo);
    e.U8(static_cast<std::uint8_t>(antigo.size()));
    e.Acrescentar(antigo);
}

void EscreverMensagem(Escritor& e, const MensagemDoServidor& m) {
    ComTamanho t(e, m.erro ? kErro : kInfo);
    e.U32(static_cast<std::uint32_t>(m.numero));
    e.U8(m.estado);
    e.U8(m.classe);
    // the token's length is two bytes: a message is cut well before that
    e.UsVarChar(m.texto.size() > kTextoMaximo ? m.texto.substr(0, kTextoMaximo) : m.texto);
    e.BVarChar(m.servidor);
    e.BVarChar(m.procedimento);
    e.U32(static_cast<std::uint32_t>(m.linha));
}

void EscreverFim(Escritor& e, std::uint8_t token, std::uint16_t status, std::uint64_t linhas,
                 std::uint16_t comando) {
    e.U8(token);
    e.U16(status);
    e.U16(comando);
    e.U64(linhas);
}

void EscreverRetornoDeStatus(Escritor& e, std::int32_t valor) {
    e.U8(kRetornoDeStatus);
    e.U32(static_cast<std::uint32_t>(valor));
}

}  // namespace zolvek::simulador::tds
