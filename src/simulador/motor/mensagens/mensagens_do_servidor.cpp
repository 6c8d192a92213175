#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

#include <algorithm>
#include <stdexcept>

#include "simulador/motor/mensagens/tabela_de_mensagens.hpp"

namespace zolvek::simulador {

namespace {

std::span<const LinhaDeMensagem> PecaDoNumero(int numero) {
    if (numero < 1000) return MensagensAte999();
    if (numero < 5000) return MensagensDe1000A4999();
    return MensagensDe5000EmDiante();
}

const LinhaDeMensagem& Mensagem(int numero) {
    const auto peca = PecaDoNumero(numero);
    const auto m = std::lower_bound(peca.begin(), peca.end(), numero,
                                    [](const LinhaDeMensagem& x, int n) { return x.numero < n; });
    if (m == peca.end() || m->numero != numero)
        throw std::logic_error("message " + std::to_string(numero) + " is not in the catalog");
    return *m;
}

}  // namespace

std::string TextoDoServidor(int numero, std::initializer_list<std::string_view> valores) {
    const std::string_view texto = Mensagem(numero).texto;
    std::string r;
    for (std::size_t k = 0; k < texto.size(); ++k) {
        const char d = k + 1 < texto.size() ? texto[k + 1] : '\0';
        if (texto[k] == '%' && d >= '1' && d <= '9') {
            const auto n = static_cast<std::size_t>(d - '1');
            if (n < valores.size()) r += *(valores.begin() + n);
            ++k;
            continue;
        }
        r += texto[k];
    }
    return r;
}

ErroDeBanco ErroDoServidor(int numero, std::initializer_list<std::string_view> valores) {
    return ErroDoServidor(numero, Mensagem(numero).estado, valores);
}

ErroDeBanco ErroDoServidor(int numero, int estado,
                           std::initializer_list<std::string_view> valores) {
    const LinhaDeMensagem& m = Mensagem(numero);
    return ErroDeBanco(TextoDoServidor(numero, valores), m.numero, m.severidade, estado);
}

ErroDeBanco Recusa(const std::string& texto) {
    return ErroDeBanco(ErroDeBanco::TipoDeFalha::NaoSuportado, texto);
}

ErroDeBanco RecusaDeOutroBanco(const std::string& banco, const std::string& objeto) {
    return Recusa("O simulador de SQL Server não altera objetos de outro banco ('" + banco +
                  ".dbo." + objeto + "'); use USE " + banco + ".");
}

ErroDeBanco ErroDeTempoEsgotado() {
    return ErroDeBanco("Query timeout expired", 0, 0, 0, "HYT00");
}

ErroDeBanco ComMensagemSeguinte(const ErroDeBanco& erro, int numero,
                                std::initializer_list<std::string_view> valores) {
    return ComNota(erro, TextoDoServidor(numero, valores));
}

ErroDeBanco ComNota(const ErroDeBanco& erro, const std::string& nota) {
    return ErroDeBanco(std::string(erro.what()) + "\n" + nota, erro.Numero(), erro.Severidade(),
                       erro.Estado(), erro.EstadoSql());
}

}  // namespace zolvek::simulador
