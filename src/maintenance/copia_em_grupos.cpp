#include "maintenance/copia_em_grupos.hpp"

#include <utility>
#include <vector>

#include "comum/erros.hpp"

namespace zolvek::manutencao {

namespace {

using Relogio = std::chrono::steady_clock;

struct Copia {
    db::Conexao& conexao;
    db::ConjuntoDeDados& origem;
    db::ConjuntoDeDados& destino;
    const AvisosDaCopia& avisos;
    // Destination columns in order, each with the origin column of its name.
    std::vector<std::pair<db::Campo*, db::Campo*>> pares;
    int feitas = 0;
    int copiadas = 0;
};

// The current origin row appended to the destination; on failure the pending row is
// dropped (so that the next append does not post it again) and the error is raised
// with the column being set, "" when the insert failed.
void GravarLinha(Copia& c, std::string& campo) {
    try {
        c.destino.Acrescentar();
        for (const auto& [de, para] : c.pares) {
            campo = para->Nome();
            para->DefinirValor(de->Variante());
        }
        campo.clear();
        c.destino.Gravar();
    } catch (...) {
        c.destino.Cancelar();
        throw;
    }
}

// One row on its own, committed by the server as it goes; a failure becomes an error.
void CopiarLinhaSozinha(Copia& c) {
    std::string campo;
    try {
        GravarLinha(c, campo);
        ++c.copiadas;
    } catch (const std::exception& e) {
        c.avisos.erro(campo, e.what());
    }
    c.avisos.progresso(++c.feitas);
}

void DesfazerSeAberta(db::Conexao& conexao) {
    if (conexao.EmTransacao()) conexao.Desfazer();
}

// Rows from the current one into one transaction until the group is full, the origin
// ends, the user cancels or something fails. Returns how many rows it took and whether
// all of them are committed; a failed group leaves nothing behind.
std::pair<int, bool> CopiarGrupo(Copia& c) {
    const auto limite = Relogio::now() + kDuracaoDoGrupo;
    int linhas = 0;
    c.conexao.IniciarTransacao();
    try {
        do {
            ++linhas;
            std::string campo;
            GravarLinha(c, campo);
            c.origem.Proximo();
        } while (linhas < kLinhasPorGrupo && Relogio::now() < limite && !c.origem.Fim() &&
                 !c.avisos.cancelou());
        c.conexao.Confirmar();
        return {linhas, true};
    } catch (const std::exception&) {
        DesfazerSeAberta(c.conexao);
        return {linhas, false};
    }
}

}  // namespace

int CopiarLinhasEmGrupos(db::Conexao& conexao, db::ConjuntoDeDados& origem,
                         db::ConjuntoDeDados& destino, const AvisosDaCopia& avisos) {
    Copia c{conexao, origem, destino, avisos, {}};
    for (auto& coluna : destino.Campos())
        if (db::Campo* de = origem.AcharCampo(coluna.Nome())) c.pares.emplace_back(de, &coluna);
    origem.Primeiro();
    while (!origem.Fim() && !avisos.cancelou()) {
        const auto inicio = origem.MarcadorAtual();
        const auto [linhas, confirmado] = CopiarGrupo(c);
        if (confirmado) {
            c.feitas += linhas;
            c.copiadas += linhas;
            avisos.progresso(c.feitas);
            continue;
        }
        // The same rows again, one by one: the user's answers to the cancel checks
        // were already given for them.
        origem.IrParaMarcador(inicio);
        for (int i = 0; i < linhas; ++i, origem.Proximo()) CopiarLinhaSozinha(c);
    }
    return c.copiadas;
}

}  // namespace zolvek::manutencao
