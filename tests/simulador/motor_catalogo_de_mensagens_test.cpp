#include <gtest/gtest.h>

#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/mensagens/tabela_de_mensagens.hpp"

using zolvek::simulador::LinhaDeMensagem;

namespace {

// The catalog's pieces, each with the numbers the lookup sends to it.
struct Peca {
    std::span<const LinhaDeMensagem> linhas;
    int de, ate;
};

std::vector<Peca> Pecas() {
    using namespace zolvek::simulador;
    return {{MensagensAte999(), 1, 999},
            {MensagensDe1000A4999(), 1000, 4999},
            {MensagensDe5000EmDiante(), 5000, 1 << 30}};
}

// The numbers of the %1, %2... a text has.
std::set<int> Marcadores(std::string_view texto) {
    std::set<int> r;
    for (std::size_t k = 0; k + 1 < texto.size(); ++k)
        if (texto[k] == '%' && texto[k + 1] >= '1' && texto[k + 1] <= '9')
            r.insert(texto[k + 1] - '0');
    return r;
}

}  // namespace

TEST(CatalogoDeMensagens, EmOrdemDeNumeroComMarcadoresSeguidos) {
    int anterior = 0;
    for (const auto& p : Pecas()) {
        ASSERT_FALSE(p.linhas.empty());
        for (const auto& m : p.linhas) {
            EXPECT_GT(m.numero, anterior) << "fora de ordem ou repetida";  // no duplicates
            EXPECT_GE(m.numero, p.de) << m.numero;
            EXPECT_LE(m.numero, p.ate) << m.numero;
            EXPECT_GE(m.severidade, 10) << m.numero;
            EXPECT_LE(m.severidade, 25) << m.numero;
            EXPECT_FALSE(m.texto.empty()) << m.numero;
            const auto marcas = Marcadores(m.texto);
            EXPECT_EQ(marcas.empty() ? 0 : *marcas.rbegin(), static_cast<int>(marcas.size()))
                << m.numero << ": " << m.texto;
            anterior = m.numero;
        }
    }
}

TEST(CatalogoDeMensagens, ValoresEstadoEMensagemSeguinte) {
    using namespace zolvek::simulador;
    EXPECT_EQ(TextoDoServidor(4924, {"ALTER TABLE DROP COLUMN", "C", "T"}),
              "ALTER TABLE DROP COLUMN failed because column 'C' does not exist in table 'T'.");
    const auto e = ErroDoServidor(3701, 7, {"index", "T.IX"});
    EXPECT_EQ(std::string(e.what()),
              "Cannot drop the index 'T.IX', because it does not exist or you do not have "
              "permission.");
    EXPECT_EQ(e.Numero(), 3701);
    EXPECT_EQ(e.Severidade(), 11);
    EXPECT_EQ(e.Estado(), 7);
    const auto f = ComMensagemSeguinte(ErroDoServidor(1761, {"FK_X"}), 1750);
    EXPECT_EQ(std::string(f.what()),
              "Cannot create the foreign key \"FK_X\" with the SET NULL referential action, "
              "because one or more referencing columns are not nullable.\nCould not create "
              "constraint or index. See previous errors.");
    EXPECT_EQ(f.Numero(), 1761);
    EXPECT_EQ(f.Estado(), 0);
    EXPECT_THROW(ErroDoServidor(4), std::logic_error);
}
