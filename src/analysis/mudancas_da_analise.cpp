#include "analysis/mudancas_da_analise.hpp"

#include <algorithm>

#include "comum/texto.hpp"

namespace zolvek::analysis {

namespace {

// The type and nullability a column definition of CREATE TABLE or ADD gives.
ColunaDoCatalogo ColunaDaDefinicao(const std::string& definicao) {
    ColunaDoCatalogo c;
    std::string tipo = texto::Aparar(definicao);
    const std::string maiusculo = texto::Maiusculas(tipo);
    auto termina = [&](const std::string& fim) {
        return maiusculo.size() >= fim.size() &&
               maiusculo.compare(maiusculo.size() - fim.size(), fim.size(), fim) == 0;
    };
    if (termina(" NOT NULL")) {
        c.nulo = false;
        tipo.resize(tipo.size() - 9);
    } else if (termina(" NULL")) {
        tipo.resize(tipo.size() - 5);
    }
    c.tipo = TipoNormalizado(tipo);
    return c;
}

// The kind of constraint the analysis' names tell, for a drop that does not say it.
std::string EspeciePeloNome(const std::string& nome) {
    const std::string prefixo = texto::Minusculas(nome.substr(0, 6));
    if (prefixo == "chvpr_") return "PRIMARY KEY";
    if (prefixo == "deflt_") return "DEFAULT";
    if (prefixo == "check_") return "CHECK";
    if (prefixo == "rlcto_") return "FOREIGN KEY";
    if (prefixo == "trigr_") return "trigger";
    if (prefixo == "stprc_") return "procedure";
    return "";
}

bool MudancaVisivel(const ColunaMudada& c) {
    return c.tipoAntes != c.tipoDepois || c.nuloAntes != c.nuloDepois ||
           (!c.tipoPedido.empty() && c.tipoPedido != c.tipoDepois) || c.falham.value_or(0) > 0 ||
           c.perdem.value_or(0) > 0 || c.nulos.value_or(0) > 0;
}

bool MudancaVisivel(const ObjetoMudado& o) {
    return o.criado || o.existia != o.existe;
}

}  // namespace

RegistroDeMudancas::RegistroDeMudancas(FotoDoCatalogo foto) : foto_(std::move(foto)) {}

MudancasDaTabela& RegistroDeMudancas::Da(const std::string& tabela) {
    const std::string chave = texto::Minusculas(tabela);
    if (const auto i = indice_.find(chave); i != indice_.end()) return tabelas_[i->second];
    indice_[chave] = tabelas_.size();
    tabelas_.push_back({});
    tabelas_.back().tabela = tabela;
    return tabelas_.back();
}

bool RegistroDeMudancas::CriadaNestaExecucao(const std::string& tabela) const {
    const auto i = indice_.find(texto::Minusculas(tabela));
    return i != indice_.end() && tabelas_[i->second].criada;
}

ObjetoMudado& RegistroDeMudancas::Objeto(MudancasDaTabela& t, const std::string& nome,
                                         const std::string& especie, bool existia) {
    for (ObjetoMudado& o : t.objetos)
        if (texto::IguaisSemCaixa(o.nome, nome)) {
            if (o.especie.empty()) o.especie = especie;
            return o;
        }
    t.objetos.push_back(
        {nome, especie.empty() ? EspeciePeloNome(nome) : especie, existia, existia, false});
    return t.objetos.back();
}

ColunaMudada& RegistroDeMudancas::Coluna(const std::string& tabela, const std::string& coluna) {
    MudancasDaTabela& t = Da(tabela);
    for (ColunaMudada& c : t.colunas)
        if (texto::IguaisSemCaixa(c.coluna, coluna)) return c;
    const ColunaDoCatalogo atual = foto_.Coluna(tabela, coluna).value_or(ColunaDoCatalogo{});
    ColunaMudada c;
    c.coluna = coluna;
    c.tipoAntes = c.tipoDepois = atual.tipo;
    c.nuloAntes = c.nuloDepois = atual.nulo;
    t.colunas.push_back(c);
    return t.colunas.back();
}

void RegistroDeMudancas::AplicarAlterarColuna(const Mudanca& m) {
    ColunaMudada& c = Coluna(m.tabela, m.objeto);
    const std::string novo = TipoNormalizado(m.especie);
    if (novo != c.tipoDepois && PodeFalharOuPerder(c.tipoDepois, novo)) c.podePerder = true;
    c.tipoPedido = c.tipoDepois = novo;
    // Without NULL or NOT NULL, ALTER COLUMN leaves the column nullable.
    c.nuloDepois = m.nulo.value_or(true);
    foto_.DefinirColuna(m.tabela, m.objeto, {c.tipoDepois, c.nuloDepois});
}

void RegistroDeMudancas::AplicarObjeto(const Mudanca& m, bool criar) {
    const bool indice =
        m.tipo == TipoDeMudanca::CriarIndice || m.tipo == TipoDeMudanca::RemoverIndice;
    const bool existe =
        indice ? foto_.IndiceExiste(m.tabela, m.objeto) : foto_.ObjetoExiste(m.objeto);
    // A drop that finds nothing (its "if exists" was false) changes nothing.
    if (!criar && !existe) return;
    ObjetoMudado& o = Objeto(Da(m.tabela), m.objeto, indice ? "índice" : m.especie, existe);
    o.existe = criar;
    if (criar) o.criado = true;
    if (indice)
        foto_.DefinirIndice(m.tabela, m.objeto, criar);
    else
        foto_.DefinirObjeto(m.objeto, criar);
}

void RegistroDeMudancas::Aplicar(const Mudanca& m) {
    switch (m.tipo) {
        case TipoDeMudanca::CriarTabela:
        case TipoDeMudanca::AcrescentarColunas: {
            MudancasDaTabela& t = Da(m.tabela);
            if (m.tipo == TipoDeMudanca::CriarTabela) t.criada = true;
            for (const auto& [nome, definicao] : m.colunas) {
                t.colunasNovas.push_back(nome + " " + definicao);
                foto_.DefinirColuna(m.tabela, nome, ColunaDaDefinicao(definicao));
            }
            break;
        }
        case TipoDeMudanca::AlterarColuna:
            AplicarAlterarColuna(m);
            break;
        case TipoDeMudanca::CriarRestricao:
        case TipoDeMudanca::CriarIndice:
        case TipoDeMudanca::CriarObjeto:
            AplicarObjeto(m, true);
            break;
        case TipoDeMudanca::RemoverRestricao:
        case TipoDeMudanca::RemoverIndice:
        case TipoDeMudanca::RemoverObjeto:
            AplicarObjeto(m, false);
            break;
        case TipoDeMudanca::Permissao:
            // Grants on tables; those on procedures and functions come with the object.
            if (foto_.TabelaExiste(m.tabela)) Da(m.tabela).permissao = true;
            break;
        case TipoDeMudanca::DadosIniciais:
        case TipoDeMudanca::LinhaDeParametro:
            ++Da(m.tabela).linhasIniciais;
            break;
        case TipoDeMudanca::Preenchimento:
            Da(m.tabela).preenchidas.push_back(m.objeto);
            break;
        case TipoDeMudanca::Outra:
            Da("").outras.push_back(m.objeto);
            break;
    }
}

std::vector<MudancasDaTabela> RegistroDeMudancas::Tabelas() const {
    std::vector<MudancasDaTabela> r;
    for (MudancasDaTabela t : tabelas_) {
        std::erase_if(t.colunas, [](const ColunaMudada& c) { return !MudancaVisivel(c); });
        std::erase_if(t.objetos, [](const ObjetoMudado& o) { return !MudancaVisivel(o); });
        const bool vazia = !t.criada && t.colunasNovas.empty() && t.colunas.empty() &&
                           t.objetos.empty() && t.linhasIniciais == 0 && t.preenchidas.empty() &&
                           !t.permissao && t.outras.empty();
        if (!vazia) r.push_back(std::move(t));
    }
    return r;
}

ContagemDeMudancas RegistroDeMudancas::Contagem() const {
    return ContarMudancas(tabelas_);
}

ContagemDeMudancas ContarMudancas(const std::vector<MudancasDaTabela>& tabelas) {
    ContagemDeMudancas c;
    for (const MudancasDaTabela& t : tabelas) {
        if (t.criada) ++c.tabelasCriadas;
        const bool colunaAlterada =
            std::any_of(t.colunas.begin(), t.colunas.end(),
                        [](const ColunaMudada& m) { return m.tipoAntes != m.tipoDepois; });
        if (!t.criada && (!t.colunasNovas.empty() || colunaAlterada)) ++c.tabelasAlteradas;
        for (const ObjetoMudado& o : t.objetos)
            if (o.criado && o.existe) ++c.objetosRecriados;
    }
    return c;
}

std::string NomeDaEspecie(const std::string& especie) {
    static const std::pair<const char*, const char*> kNomes[] = {{"PRIMARY KEY", "chave primária"},
                                                                 {"UNIQUE", "chave única"},
                                                                 {"DEFAULT", "valor padrão"},
                                                                 {"CHECK", "validação"},
                                                                 {"FOREIGN KEY", "relacionamento"},
                                                                 {"trigger", "trigger"},
                                                                 {"procedure", "procedimento"},
                                                                 {"function", "função"},
                                                                 {"view", "vista"},
                                                                 {"índice", "índice"}};
    for (const auto& [de, para] : kNomes)
        if (especie == de) return para;
    return especie.empty() ? "objeto" : especie;
}

}  // namespace zolvek::analysis
