#include "analysis/relatorio_das_mudancas.hpp"

#include "comum/texto.hpp"

namespace zolvek::analysis {

namespace {

std::string TextoDeLinhas(std::int64_t n) {
    return std::to_string(n) + " linha(s)";
}

// "(pode falhar ou perder dados: 3 linha(s) não convertem)" and the like.
std::string AvisoDeConversao(const ColunaMudada& c) {
    if (!c.podePerder) return "";
    std::vector<std::string> partes;
    if (!c.falham && !c.perdem) {
        partes.push_back("linhas não contadas");
    } else {
        if (c.falham.value_or(0) > 0) partes.push_back(TextoDeLinhas(*c.falham) + " não convertem");
        if (c.perdem.value_or(0) > 0)
            partes.push_back(TextoDeLinhas(*c.perdem) + " perdem parte do valor");
        if (partes.empty()) partes.push_back("nenhuma linha deixa de converter agora");
    }
    return " (ATENÇÃO: pode falhar ou perder dados: " + texto::Juntar(partes, ", ") + ")";
}

std::string ObjetosMudados(const std::vector<ObjetoMudado>& objetos, bool existia, bool existe) {
    std::vector<std::string> nomes;
    for (const ObjetoMudado& o : objetos)
        if (o.existia == existia && o.existe == existe && (existe ? o.criado : true))
            nomes.push_back(NomeDaEspecie(o.especie) + " " + o.nome);
    return texto::Juntar(nomes, ", ");
}

void AcrescentarSeHouver(std::vector<std::string>& r, const std::string& rotulo,
                         const std::string& lista) {
    if (!lista.empty()) r.push_back("  " + rotulo + ": " + lista);
}

void AcrescentarErroDaTabela(std::vector<std::string>& r, const LinhaDeErro& e) {
    std::string onde = e.funcao;
    if (!e.campo.empty()) onde += (onde.empty() ? "" : ", ") + std::string("campo ") + e.campo;
    r.push_back("  Erro" + (onde.empty() ? std::string() : " (" + onde + ")") + ": " + e.descricao);
    if (!e.comando.empty()) r.push_back("    Comando: " + e.comando);
}

std::string CabecalhoDaTabela(const MudancasDaTabela& t) {
    if (t.tabela.empty()) return "Procedimentos, funções, vistas e outros comandos";
    if (t.criada)
        return "Tabela " + t.tabela + ": criar, com " + std::to_string(t.colunasNovas.size()) +
               " coluna(s)";
    return "Tabela " + t.tabela;
}

void AcrescentarTabela(std::vector<std::string>& r, const MudancasDaTabela& t,
                       const std::vector<LinhaDeErro>& erros) {
    r.push_back(CabecalhoDaTabela(t));
    AcrescentarSeHouver(r, t.criada ? "Colunas" : "Acrescentar colunas",
                        texto::Juntar(t.colunasNovas, ", "));
    for (const ColunaMudada& c : t.colunas) r.push_back("  " + TextoDaColuna(c));
    AcrescentarSeHouver(r, "Recriar", ObjetosMudados(t.objetos, true, true));
    AcrescentarSeHouver(r, "Criar", ObjetosMudados(t.objetos, false, true));
    AcrescentarSeHouver(r, "Remover", ObjetosMudados(t.objetos, true, false));
    if (t.linhasIniciais > 0) r.push_back("  Dados iniciais: " + TextoDeLinhas(t.linhasIniciais));
    AcrescentarSeHouver(r, "Preencher com o valor padrão os NULL de",
                        texto::Juntar(t.preenchidas, ", "));
    if (t.permissao) r.push_back("  Conceder acesso ao grupo");
    AcrescentarSeHouver(r, "Outros comandos", texto::Juntar(t.outras, ", "));
    for (const LinhaDeErro& e : erros)
        if (texto::IguaisSemCaixa(e.tabela, t.tabela)) AcrescentarErroDaTabela(r, e);
}

bool TabelaNoRelatorio(const std::vector<MudancasDaTabela>& tabelas, const std::string& nome) {
    for (const MudancasDaTabela& t : tabelas)
        if (texto::IguaisSemCaixa(t.tabela, nome)) return true;
    return false;
}

std::string ResumoDasMudancas(const ConteudoDoRelatorio& c) {
    const ContagemDeMudancas n = ContarMudancas(c.tabelas);
    return "Tabelas a criar: " + std::to_string(n.tabelasCriadas) +
           "; tabelas a alterar: " + std::to_string(n.tabelasAlteradas) +
           "; objetos a criar ou recriar: " + std::to_string(n.objetosRecriados) +
           "; erros: " + std::to_string(c.erros.size());
}

}  // namespace

std::string TextoDaColuna(const ColunaMudada& c) {
    std::string r = "Coluna " + c.coluna + ":";
    const std::string pedido = c.tipoPedido.empty() ? c.tipoDepois : c.tipoPedido;
    if (pedido != c.tipoAntes) {
        r += " " + (c.tipoAntes.empty() ? std::string("?") : c.tipoAntes) + " -> " + pedido;
        if (pedido != c.tipoDepois) r += " (não aplicado)";
        r += AvisoDeConversao(c);
    }
    if (c.nuloAntes != c.nuloDepois)
        r += c.nuloDepois ? " passa a aceitar NULL" : " passa a NOT NULL";
    if (c.nulos.value_or(0) > 0)
        r += " (ATENÇÃO: " + TextoDeLinhas(*c.nulos) + " com NULL não aceitam NOT NULL)";
    return r;
}

std::vector<std::string> TextoDasMudancas(const ConteudoDoRelatorio& c) {
    std::vector<std::string> r{c.titulo, ResumoDasMudancas(c)};
    if (!c.desfecho.empty()) r.push_back("A execução registraria: " + c.desfecho);
    for (const MudancasDaTabela& t : c.tabelas) {
        r.push_back("");
        AcrescentarTabela(r, t, c.erros);
    }
    // Errors of tables that changed nothing, and of no table.
    std::vector<std::string> soErros;
    for (const LinhaDeErro& e : c.erros)
        if (!TabelaNoRelatorio(c.tabelas, e.tabela)) {
            if (soErros.empty()) soErros.push_back("");
            soErros.push_back((e.tabela.empty() ? std::string("Geral") : "Tabela " + e.tabela) +
                              ":");
            AcrescentarErroDaTabela(soErros, e);
        }
    r.insert(r.end(), soErros.begin(), soErros.end());
    if (!c.retidos.empty()) {
        r.push_back("");
        r.push_back("Não enviados na simulação (ficam comentados no script):");
        for (const std::string& x : c.retidos) r.push_back("  " + x);
    }
    return r;
}

}  // namespace zolvek::analysis
