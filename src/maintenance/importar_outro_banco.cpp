#include "maintenance/importar_outro_banco.hpp"

#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conjunto.hpp"

namespace zolvek::manutencao {

namespace {

struct Importacao {
    db::Conexao& destino;
    db::Conexao& origem;
    bool acrescentar;
    InterfaceDoComando& ui;
    int erros = 0;
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

// Without "Acrescentar" the destination must be empty or hold one row (a default
// row, typically), which goes.
void PrepararDestino(Importacao& im, const std::string& tabela) {
    if (im.acrescentar) return;
    const std::int64_t n = Contar(im.destino, "select count(*) from " + tabela, 0);
    if (n > 1) throw Erro("Tabela destino já contém mais de um registro");
    if (n == 1) Executar(im.destino, "delete " + tabela);
}

// The origin's row count; a failure here only costs the rows bar.
int ContarOrigem(Importacao& im, const std::string& tabela) {
    try {
        db::Consulta q(&im.origem);
        q.AdicionarLinha("select count(*) from");
        q.AdicionarLinha(tabela);
        q.Abrir();
        return static_cast<int>(q.Campos().at(0).Inteiro());
    } catch (const std::exception&) {
        return 0;
    }
}

bool LigarInsercaoDeIdentidade(Importacao& im, const std::string& tabela) {
    try {
        Executar(im.destino, "set identity_insert " + tabela + " on");
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

// One origin row appended to the destination; a failure becomes an error row and the
// pending row is dropped, so that the next append does not post it again.
void CopiarLinha(Importacao& im, const std::string& tabela, db::Consulta& origem,
                 db::Consulta& destino,
                 const std::vector<std::pair<db::Campo*, db::Campo*>>& pares) {
    std::string campo;
    try {
        destino.Acrescentar();
        for (const auto& [de, para] : pares) {
            campo = para->Nome();
            para->DefinirValor(de->Variante());
        }
        campo.clear();
        destino.Gravar();
    } catch (const std::exception& e) {
        destino.Cancelar();
        im.AdicionarErro(tabela, campo, e.what());
    }
}

void CopiarLinhas(Importacao& im, const std::string& tabela, db::Consulta& origem,
                  db::Consulta& destino, int quantidade) {
    // Destination columns in order, each with the origin column of its name.
    std::vector<std::pair<db::Campo*, db::Campo*>> pares;
    for (auto& c : destino.Campos())
        if (db::Campo* de = origem.AcharCampo(c.Nome())) pares.emplace_back(de, &c);
    int posicao = 0;
    for (origem.Primeiro(); !origem.Fim() && !im.Cancelou(); origem.Proximo()) {
        CopiarLinha(im, tabela, origem, destino, pares);
        if (quantidade > 0) im.ui.DefinirBarraSecundaria(++posicao, quantidade);
    }
}

void ImportarTabela(Importacao& im, const std::string& tabela) {
    PrepararDestino(im, tabela);
    db::Consulta destino(&im.destino);
    destino.DefinirTimeout(0);
    destino.DefinirSQL("select * from " + tabela);
    destino.Abrir();

    db::Consulta origem(&im.origem);
    origem.DefinirTimeout(0);
    origem.DefinirSQL("select * from " + tabela);
    origem.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    {
        struct Espera {
            InterfaceDoComando& ui;
            explicit Espera(InterfaceDoComando& u) : ui(u) { ui.MostrarEspera(true); }
            ~Espera() { ui.MostrarEspera(false); }
        } espera(im.ui);  // the whole table is read here
        origem.Abrir();
    }

    const int quantidade = ContarOrigem(im, tabela);
    if (quantidade > 0) im.ui.DefinirBarraSecundaria(0, quantidade);

    const bool identidade = LigarInsercaoDeIdentidade(im, tabela);
    if (identidade) {
        destino.Fechar();
        destino.DefinirInclusaoDeIdentidade(true);
        destino.Abrir();
    }
    try {
        AnotarColunasAusentes(im, tabela, origem, destino);
        CopiarLinhas(im, tabela, origem, destino, quantidade);
    } catch (...) {
        if (identidade) Executar(im.destino, "set identity_insert " + tabela + " off");
        throw;
    }
    origem.Fechar();
    destino.Fechar();
    if (identidade) Executar(im.destino, "set identity_insert " + tabela + " off");
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
    return {im.cancelada, im.erros};
}

}  // namespace zolvek::manutencao
