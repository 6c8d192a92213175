#include "analysis/passos_da_analise.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

namespace {

using db::EntreColchetes;
using dicionario::CampoDic;
using dicionario::TabelaDic;

const std::string kReticencias = "...";

bool ComecaComReticencias(const std::string& s) {
    return s.rfind(kReticencias, 0) == 0;
}

bool TerminaComReticencias(const std::string& s) {
    return s.size() >= 3 && s.compare(s.size() - 3, 3, kReticencias) == 0;
}

std::string SemUltimas3(const std::string& s) {
    return s.substr(0, s.size() - 3);
}

// A composite key being gathered over consecutive fields.
struct ChavePendente {
    std::string tabela;  // referenced table; empty when there is none
    std::string locais;  // "[F1],[F2]"
    std::string referenciadas;
};

bool ParticipaDeRelacionamento(const TabelaDic& t, const CampoDic& f) {
    if (f.TabelaReferenciada.empty() || f.CampoReferenciado.empty()) return false;
    return !(texto::IguaisSemCaixa(f.TabelaReferenciada, t.Nome) &&
             texto::IguaisSemCaixa(f.CampoReferenciado, f.Nome));
}

}  // namespace

void RemoverRelacionamentos(ContextoDaAnalise& c, const TabelaDic& t) {
    db::Consulta amostra(&c.Banco);
    c.Abrir(amostra, "select top 1 * from " + EntreColchetes(t.Nome));
    for (const db::Campo& coluna : amostra.Campos()) {
        const std::string r = "Rlcto_" + t.Nome + "_" + coluna.Nome();
        const std::string sql = "if exists (select * from sysobjects where id = object_id(" +
                                db::NomeDeObjetoComoLiteral(r) + ")) ALTER TABLE " +
                                EntreColchetes(t.Nome) + " DROP CONSTRAINT " + EntreColchetes(r);
        try {
            c.Executar(sql);
        } catch (const ErroDeBanco& e) {
            c.AdicionarErro(t.Nome, coluna.Nome(), "Remover relacionamento", e.what(), sql);
        }
    }
}

void CriarRelacionamentos(ContextoDaAnalise& c, const TabelaDic& t, bool integridade) {
    const std::string inicio = "ALTER TABLE " + EntreColchetes(t.Nome) +
                               (integridade ? "" : " WITH NOCHECK") + " ADD CONSTRAINT ";
    auto criar = [&](const CampoDic& f, const std::string& locais, const std::string& tabela,
                     const std::string& referenciadas) {
        const std::string sql = inicio + EntreColchetes("Rlcto_" + t.Nome + "_" + f.Nome) +
                                " FOREIGN KEY (" + locais + ") REFERENCES " +
                                EntreColchetes(tabela) + "(" + referenciadas + ")";
        try {
            c.Executar(sql);
        } catch (const ErroDeBanco& e) {
            c.AdicionarErro(t.Nome, f.Nome, "Criar relacionamento", e.what(), sql);
        }
    };
    ChavePendente p;
    for (const CampoDic& f : t.Campos) {
        if (!ParticipaDeRelacionamento(t, f)) continue;
        const std::string& rt = f.TabelaReferenciada;
        const std::string& rc = f.CampoReferenciado;
        if (rc.find(kReticencias) == std::string::npos) {
            if (c.Dicionario.ExisteCampoNoDicionario(rt, rc))
                criar(f, EntreColchetes(f.Nome), rt, EntreColchetes(rc));
        } else if (!ComecaComReticencias(rc)) {
            if (!TerminaComReticencias(rc)) continue;  // "..." only inside: no key
            const std::string x = SemUltimas3(rc);
            if (c.Dicionario.ExisteCampoNoDicionario(rt, x))
                p = {rt, EntreColchetes(f.Nome), EntreColchetes(x)};
            else
                p.tabela.clear();
        } else if (p.tabela.empty() || !texto::IguaisSemCaixa(p.tabela, rt)) {
            p.tabela.clear();
        } else {
            p.locais += "," + EntreColchetes(f.Nome);
            const std::string y = rc.substr(3);
            if (y.find(kReticencias) != std::string::npos) {
                const std::string z = SemUltimas3(y);
                if (c.Dicionario.ExisteCampoNoDicionario(rt, z))
                    p.referenciadas += "," + EntreColchetes(z);
                else
                    p.tabela.clear();
            } else {
                p.referenciadas += "," + EntreColchetes(y);
                if (c.Dicionario.ExisteCampoNoDicionario(rt, y))
                    criar(f, p.locais, p.tabela, p.referenciadas);
                p.tabela.clear();
            }
        }
    }
}

}  // namespace zolvek::analysis
