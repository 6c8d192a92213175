#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "dictionary/dicionario.hpp"
#include "versioning/comandos_de_instalacao.hpp"
#include "versioning/modelo_de_versionamento.hpp"

namespace zolvek::cli {

namespace {

namespace dic = zolvek::dicionario;
namespace ver = zolvek::versionamento;

struct TabelaDaClasse {
    const dic::TabelaDic* tabela;
    ver::ClasseDeVersionamento classe;
};

std::vector<TabelaDaClasse> TabelasParaMostrar(const dic::DicionarioDeDados& dicionario,
                                               const std::optional<std::string>& nome) {
    std::vector<TabelaDaClasse> tabelas;
    for (auto classe : {ver::ClasseDeVersionamento::F, ver::ClasseDeVersionamento::P})
        for (const dic::TabelaDic* t : ver::TabelasVersionadas(dicionario, classe))
            if (!nome || texto::IguaisSemCaixa(t->Nome, *nome)) tabelas.push_back({t, classe});
    if (nome && tabelas.empty()) {
        if (!dicionario.ObterTabelaDic(*nome))
            throw ErroDeEntrada("A tabela " + *nome + " não está no dicionário de dados");
        throw ErroDeEntrada("A tabela " + *nome + " não tem versionamento de registros");
    }
    return tabelas;
}

// Each statement as the analysis sends it, followed by a line "GO", so that the
// output can also be run with "zolvek-cli sql".
void MostrarComandos(std::ostream& saida, const TabelaDaClasse& t) {
    const auto comandos = ver::ComandosDeInstalacao(*t.tabela, t.classe);
    saida << "-- Tabela " << t.tabela->Nome << ", histórico em " << ver::TabelaDeHistorico(t.classe)
          << "\r\n";
    for (const auto& comando : comandos) {
        saida << comando;
        if (comando.size() < 2 || comando.compare(comando.size() - 2, 2, "\r\n") != 0)
            saida << "\r\n";
        saida << "GO\r\n";
    }
}

int ExecutarVersionamento(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(parametros, {"--dicionario", "--tabela"}, {});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    dic::DicionarioDeDados dicionario;
    dicionario.CarregarDicionario(ArquivoDoDicionario(argumentos), dic::TipoDeServidor::SqlServer);
    const auto tabelas = TabelasParaMostrar(dicionario, argumentos.Valor("--tabela"));
    std::string saida;
    for (const auto& t : tabelas) {
        std::ostringstream texto;
        MostrarComandos(texto, t);
        saida += texto.str();
    }
    // Printed only once every table's texts were built: a table without a record key
    // fails the command with nothing half printed.
    std::cout << saida;
    return kSaidaSucesso;
}

const RegistrarComando registroVersionamento({
    "versionamento",
    "mostra as triggers e procedimentos de versionamento de registros",
    []() -> std::string {
        return "Uso: zolvek-cli versionamento [--dicionario ARQUIVO] [--tabela NOME]\n"
               "Mostra, sem conectar ao banco, os comandos que a análise executa para instalar o\n"
               "versionamento de registros (RegTab e RegVer): para cada tabela versionada do\n"
               "dicionário, a remoção e a criação das triggers de inclusão, alteração e exclusão\n"
               "e, para as tabelas de parâmetro, do procedimento de construção e sua execução.\n"
               "Cada comando termina com uma linha GO.\n\n"
               "  --dicionario ARQUIVO  o dicionário de dados (padrão: ZAV_Molvena.DicD da pasta\n"
               "                        do programa)\n"
               "  --tabela NOME         só a tabela indicada\n\n"
               "Saída: 0 sucesso, 1 erro, 2 uso incorreto.\n";
    },
    ExecutarVersionamento,
});

}  // namespace

}  // namespace zolvek::cli
