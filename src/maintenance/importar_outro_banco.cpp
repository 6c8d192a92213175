#include "maintenance/importar_outro_banco.hpp"

#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"
#include "maintenance/copia_em_grupos.hpp"

namespace zolvek::manutencao {

namespace {

struct Importacao {
    db::Conexao& destino;
    db::Conexao& origem;
    bool acrescentar;
    InterfaceDoComando& ui;
    int erros = 0;
    long long linhas = 0;
    bool cancelada = false;

    void AdicionarErro(const std::string& tabela, const std::string& campo,
                       const std::string& descricao) {
        ++erros;
        ui.AdicionarErro({tabela, campo, "", descricao, ""});
    }
    bool Cancelou() {
        if (!cancelada) cancelada = ui.CancelamentoPedido();
        return cancelada;
    }
};

void Executar(db::Conexao& conexao, const std::string& sql) {
    db::Consulta q(&conexao);
    q.DefinirTimeout(0);
    q.DefinirSQL(sql);
    q.Executar();
}

std::int64_t Contar(db::Conexao& conexao, const std::string& sql, int timeout) {
    db::Consulta q(&conexao);
    q.DefinirTimeout(timeout);
    q.DefinirSQL(sql);
    q.Abrir();
    return q.Campos().at(0).Inteiro();
}

// The origin table, whole and read-only. Opened before the destination is touched:
// a table the origin lacks (or a connection that died) costs no destination row.
void AbrirOrigem(db::Consulta& origem, const std::string& tabela) {
    origem.DefinirTimeout(0);
    origem.DefinirSQL("select * from " + db::EntreColchetes(tabela));
    origem.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    origem.Abrir();
}

// Without "Acrescentar" the destination must be empty or hold one row (a default
// row, typically); true when that one row has to go before the copy.
bool LinhaParaRemover(Importacao& im, const std::string& tabela) {
    if (im.acrescentar) return false;
    const std::int64_t n =
        Contar(im.destino, "select count(*) from " + db::EntreColchetes(tabela), 0);
    if (n > 1) throw Erro("Tabela destino já contém mais de um registro");
    return n == 1;
}

// The origin's row count; a failure here only costs the rows bar.
int ContarOrigem(Importacao& im, const std::string& tabela) {
    try {
        db::Consulta q(&im.origem);
        q.AdicionarLinha("select count(*) from");
        q.AdicionarLinha(db::EntreColchetes(tabela));
        q.Abrir();
        return static_cast<int>(q.Campos().at(0).Inteiro());
    } catch (const std::exception&) {
        return 0;
    }
}

std::string InsercaoDeIdentidade(const std::string& tabela, const char* estado) {
    return "set identity_insert " + db::EntreColchetes(tabela) + " " + estado;
}

bool LigarInsercaoDeIdentidade(Importacao& im, const std::string& tabela) {
    try {
        Executar(im.destino, InsercaoDeIdentidade(tabela, "on"));
        return true;
    } catch (const ErroDeBanco&) {
        return false;  // the table has no identity column
    }
}

void AnotarColunasAusentes(Importacao& im, const std::string& tabela, db::Consulta& origem,
                           db::Consulta& destino) {
    std::vector<std::string> ausentes;
    for (auto& c : origem.Campos())
        if (!destino.AcharCampo(c.Nome())) ausentes.push_back(c.Nome());
    if (!ausentes.empty())
        im.AdicionarErro(
            tabela, "",
            "Campos não encontrados na tabela de destino: " + texto::Juntar(ausentes, ";"));
}

void CopiarLinhas(Importacao& im, const std::string& tabela, db::Consulta& origem,
                  db::Consulta& destino, int quantidade) {
    AvisosDaCopia avisos;
    avisos.cancelou = [&] { return im.Cancelou(); };
    avisos.erro = [&](const std::string& campo, const std::string& descricao) {
        im.AdicionarErro(tabela, campo, descricao);
    };
    avisos.progresso = [&](int feitas) {
        if (quantidade > 0) im.ui.DefinirBarraSecundaria(feitas, quantidade);
    };
    im.linhas += CopiarLinhasEmGrupos(im.destino, origem, destino, avisos);
}

void ImportarTabela(Importacao& im, const std::string& tabela) {
    db::Consulta origem(&im.origem);
    {
        struct Espera {
            InterfaceDoComando& ui;
            explicit Espera(InterfaceDoComando& u) : ui(u) { ui.MostrarEspera(true); }
            ~Espera() { ui.MostrarEspera(false); }
        } espera(im.ui);  // the whole table is read here
        AbrirOrigem(origem, tabela);
    }
    const int quantidade = ContarOrigem(im, tabela);
    if (quantidade > 0) im.ui.DefinirBarraSecundaria(0, quantidade);

    const bool remover = LinhaParaRemover(im, tabela);
    db::Consulta destino(&im.destino);
    destino.DefinirTimeout(0);
    destino.DefinirSQL("select * from " + db::EntreColchetes(tabela));
    destino.Abrir();  // the destination can be written to before its row goes
    if (remover) Executar(im.destino, "delete " + db::EntreColchetes(tabela));

    const bool identidade = LigarInsercaoDeIdentidade(im, tabela);
    if (remover || identidade) {
        destino.Fechar();
        destino.DefinirInclusaoDeIdentidade(identidade);
        destino.Abrir();
    }
    try {
        AnotarColunasAusentes(im, tabela, origem, destino);
        CopiarLinhas(im, tabela, origem, destino, quantidade);
    } catch (...) {
        if (identidade) Executar(im.destino, InsercaoDeIdentidade(tabela, "off"));
        throw;
    }
    origem.Fechar();
    destino.Fechar();
    if (identidade) Executar(im.destino, InsercaoDeIdentidade(tabela, "off"));
    im.ui.DefinirBarraSecundaria(0, quantidade);
}

void ImportarTabelas(Importacao& im, const dicionario::DicionarioDeDados& dicionario) {
    const auto& tabelas = dicionario.Tabelas();
    const int total = static_cast<int>(tabelas.size());
    im.ui.DefinirBarra(0, total);
    int posicao = 0;
    for (const auto& t : tabelas) {
        im.ui.MostrarProgresso("Importando tabela \"" + t.Nome + "\" - " + t.Descricao + "...");
        if (im.Cancelou()) break;
        try {
            ImportarTabela(im, t.Nome);
        } catch (const std::exception& e) {
            im.AdicionarErro(t.Nome, "", e.what());
        }
        if (im.Cancelou()) break;
        im.ui.DefinirBarra(++posicao, total);
    }
    if (!im.cancelada) im.ui.DefinirBarra(total, total);
}

}  // namespace

ResultadoDaImportacao ImportarDeOutroBanco(db::Conexao& destino,
                                           const dicionario::DicionarioDeDados& dicionario,
                                           const std::string& cadeiaDaOrigem, bool acrescentar,
                                           InterfaceDoComando& ui) {
    db::Conexao origem;
    origem.DefinirStringDeConexao(cadeiaDaOrigem);
    origem.Abrir();
    Importacao im{destino, origem, acrescentar, ui};
    ui.AbrirEvolucao(kTituloDaImportacao);
    try {
        ImportarTabelas(im, dicionario);
        ui.MostrarProgresso(im.cancelada ? "Importação cancelada" : "Importação concluída");
        ui.FinalizarEvolucao(true);
    } catch (...) {
        ui.FinalizarEvolucao(false);
        throw;
    }
    return {im.cancelada, im.erros, im.linhas};
}

}  // namespace zolvek::manutencao
