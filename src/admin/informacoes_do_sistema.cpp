#include "admin/informacoes_do_sistema.hpp"

#include <chrono>
#include <cstdio>
#include <system_error>

#include "admin/conexao_do_programa.hpp"
#include "admin/status_do_banco.hpp"
#include "comum/erros.hpp"
#include "comum/log.hpp"
#include "comum/texto.hpp"
#include "comum/versao.hpp"
#include "db/cadeia_de_conexao.hpp"
#include "dictionary/dicionario.hpp"

namespace zolvek::admin {

namespace {

std::string DataDeModificacao(const std::filesystem::path& arquivo) {
    std::error_code erro;
    auto quando = std::filesystem::last_write_time(arquivo, erro);
    if (erro) return "";
    return log::TextoDeDataHoraLocal(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(quando)));
}

// The database name as it goes inside a string literal.
std::string ComoLiteral(const std::string& texto) {
    std::string saida;
    for (char c : texto) {
        saida += c;
        if (c == '\'') saida += '\'';
    }
    return saida;
}

}  // namespace

int RevisaoDoDicionarioCarregado() {
    return dicionario::DicionarioDoPrograma().RevisaoDoDicionario();
}

std::string TextoDaHoraDaInformacao(const db::DataHora& hora) {
    static const char* const kDias[] = {"domingo",      "segunda-feira", "terça-feira",
                                        "quarta-feira", "quinta-feira",  "sexta-feira",
                                        "sábado"};
    static const char* const kMeses[] = {"janeiro",  "fevereiro", "março",    "abril",
                                         "maio",     "junho",     "julho",    "agosto",
                                         "setembro", "outubro",   "novembro", "dezembro"};
    using namespace std::chrono;
    const year_month_day data{year{hora.ano}, month{static_cast<unsigned>(hora.mes)},
                              day{static_cast<unsigned>(hora.dia)}};
    std::string texto;
    if (data.ok() && hora.mes >= 1 && hora.mes <= 12) {
        texto = std::string(kDias[weekday{sys_days{data}}.c_encoding()]) + ", " +
                std::to_string(hora.dia) + " de " + kMeses[hora.mes - 1] + " de " +
                std::to_string(hora.ano);
    }
    char horas[16];
    std::snprintf(horas, sizeof horas, "%02d:%02d", hora.hora % 100, hora.minuto % 100);
    return texto + " " + horas;
}

std::string ConsultaDeAcessoUnico(int versaoMaior, const std::string& nomeDoBanco) {
    if (versaoMaior >= 11)
        return "select case when user_access_desc='SINGLE_USER' then 'ON' else 'OFF' end as "
               "CurrentSetting from sys.databases where name='" +
               ComoLiteral(nomeDoBanco) + "'";
    return "sp_dboption '" + ComoLiteral(nomeDoBanco) + "', 'single user'";
}

bool ObterSisInfo(db::TModuloDados& modulo, std::vector<std::string>& linhas) {
    const auto executavel = CaminhoDoExecutavel();
    if (!executavel) {
        linhas.push_back(
            "Erro em 'GetModuleFileName( HInstance, NomeDoExecutavel, MAXPATH ) > 0' em "
            "FSisInfo:void ObterSisInfo( TStrings *Info )");
        return false;
    }
    bool resultado = true;
    linhas.push_back(versao::NomeDoProduto() + " Versão: " + versao::VersaoDoPrograma());
    linhas.push_back("N° da revisão: " + std::to_string(versao::NumeroDaRevisao()));
    linhas.push_back("ID da revisão: " + versao::IdDaRevisao().substr(0, 6) + " de " +
                     versao::DataDaRevisao().substr(0, 10));
    if (!modulo.Banco.Aberta()) {
        linhas.push_back(versao::NomeInterno() + " - Sem conexão com servidor SQL");
        return resultado;
    }

    modulo.Parametros.Fechar();
    bool semParametros = false;
    try {
        modulo.AbrirParametros();
    } catch (const ErroDeBanco&) {
        semParametros = true;  // an empty database, before its first analysis
    }
    const db::Campo* revisao =
        semParametros ? nullptr : modulo.Parametros.AcharCampo("RevisaoDoBD");
    if (revisao) {
        const std::string valor = modulo.Parametros.Vazio() ? "" : revisao->Texto();
        if (texto::Aparar(valor).empty()) {
            linhas.push_back("Revisão do banco de dados: INCONSISTENTE");
            resultado = false;
        } else {
            linhas.push_back("Revisão do banco de dados: " + valor);
        }
    } else {
        linhas.push_back("BANCO DE DADOS DESATUALIZADO");
        resultado = false;
    }

    const std::string& cadeia = modulo.Banco.StringDeConexao();
    linhas.push_back(versao::NomeInterno() + " conectado a " +
                     db::ObterValorDaConexao(cadeia, "Initial Catalog") + " em " +
                     db::ObterValorDaConexao(cadeia, "Data Source"));
    linhas.push_back("Servidor SQL v. " + modulo.VersaoDoServidor());
    linhas.push_back("Em uso por " + modulo.NomeDoUsuario());
    linhas.push_back("Hora da informação: " + TextoDaHoraDaInformacao(modulo.DataHoraDoServidor()));
    linhas.push_back("Executável: '" + executavel->string() + "' de " +
                     DataDeModificacao(*executavel));
    if (int revisao = RevisaoDoDicionarioCarregado(); revisao > 0)
        linhas.push_back("Dicionário de dados no.: " + std::to_string(revisao));
    return resultado;
}

PainelDeInformacoes AtualizarInformacoes(db::TModuloDados& modulo) {
    PainelDeInformacoes painel;
    const bool ok1 = ObterSisInfo(modulo, painel.linhas);
    bool ok2 = true;
    if (modulo.Banco.Aberta()) {
        painel.conectado = true;
        db::Consulta consulta(&modulo.Banco);
        const std::string nome =
            db::ObterValorDaConexao(modulo.Banco.StringDeConexao(), "Initial Catalog");
        consulta.DefinirSQL(ConsultaDeAcessoUnico(modulo.VersaoMaiorDoServidor(), nome));
        consulta.Abrir();
        const std::string atual =
            consulta.Vazio() ? "" : consulta.CampoPorNome("CurrentSetting").Texto();
        consulta.Fechar();
        const bool liberado = texto::Maiusculas(atual) == "OFF";
        painel.analisarVermelho = !liberado;
        painel.linhas.push_back(std::string("Banco de dados ") +
                                (liberado ? "liberado" : "em manutenção"));
        painel.linhas.push_back("");
        ok2 = ObterStatusDoBanco(modulo, painel.linhas);
    }
    painel.textoNormal = ok1 && ok2;
    return painel;
}

}  // namespace zolvek::admin
