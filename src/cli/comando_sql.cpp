#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>

#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conexao.hpp"
#include "db/lotes_sql.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::cli {

namespace {

// The script as UTF-8: a file saved by the Windows program is Windows-1252, which is
// taken as such whenever the bytes are not valid UTF-8.
std::string LerScript(const std::string& origem) {
    std::string bytes;
    if (origem == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        bytes = LerArquivoInteiro(origem, "Não foi possível ler o arquivo de comandos: " + origem);
    }
    return db::TextoDoScript(std::move(bytes));
}

// The fraction digits a date-time field shows: its column's scale (datetime2(n), time(n),
// datetime), the milliseconds of a smalldatetime or of a column that tells no scale, and
// all seven digits when such a value has them.
int CasasDaFracao(const db::DataHora& d, const db::Coluna& coluna) {
    const bool pequena = coluna.tipo == db::TipoDeCampo::DateTime && coluna.precisao == 16;
    if (coluna.precisao == 0 || pequena) return d.cemNanos ? 7 : 3;
    return coluna.escala;
}

// One field as a line of tab-separated output: NULL as NULL, dates in ISO form (a date
// column's without the time, a time column's without the date), binary in hexadecimal;
// tabs and line breaks inside a value are written as \t, \r and \n.
std::string TextoDoCampo(const db::Valor& valor, const db::Coluna& coluna) {
    if (db::EhNulo(valor)) return "NULL";
    std::string texto;
    if (const auto* logico = std::get_if<bool>(&valor)) {
        texto = *logico ? "1" : "0";
    } else if (const auto* data = std::get_if<db::DataHora>(&valor)) {
        texto = data->TextoIso(CasasDaFracao(*data, coluna));  // yyyy-mm-dd hh:nn:ss.zzz
        if (coluna.tipo == db::TipoDeCampo::Date) texto = texto.substr(0, 10);
        if (coluna.tipo == db::TipoDeCampo::Time) texto = texto.substr(11);
    } else if (const auto* bytes = std::get_if<db::Bytes>(&valor)) {
        texto = "0x";
        char par[3];
        for (auto b : *bytes) {
            std::snprintf(par, sizeof par, "%02X", b);
            texto += par;
        }
    } else {
        texto = db::ValorComoTexto(valor);
    }
    std::string saida;
    for (char c : texto) {
        if (c == '\t')
            saida += "\\t";
        else if (c == '\n')
            saida += "\\n";
        else if (c == '\r')
            saida += "\\r";
        else
            saida += c;
    }
    return saida;
}

// The messages that came before result `ate` (all that are left, for SIZE_MAX).
void ImprimirMensagens(std::ostream& saida, std::vector<db::Mensagem>& mensagens, std::size_t ate,
                       bool& algoImpresso) {
    std::size_t k = 0;
    for (; k < mensagens.size() && mensagens[k].resultado <= ate; ++k) {
        saida << mensagens[k].texto << '\n';
        algoImpresso = true;
    }
    mensagens.erase(mensagens.begin(), mensagens.begin() + static_cast<std::ptrdiff_t>(k));
}

void ImprimirResultados(std::ostream& saida, const std::vector<db::Resultado>& resultados,
                        std::vector<db::Mensagem>& mensagens, bool& algoImpresso) {
    bool impressoNoLote = !mensagens.empty();
    for (std::size_t k = 0; k < resultados.size(); ++k) {
        const auto& r = resultados[k];
        ImprimirMensagens(saida, mensagens, k, algoImpresso);
        if (!r.colunas.empty()) {
            if (algoImpresso) saida << '\n';
            for (std::size_t i = 0; i < r.colunas.size(); ++i)
                saida << (i ? "\t" : "") << r.colunas[i].nome;
            saida << '\n';
            for (const auto& linha : r.linhas) {
                for (std::size_t i = 0; i < linha.size(); ++i)
                    saida << (i ? "\t" : "") << TextoDoCampo(linha[i], r.colunas[i]);
                saida << '\n';
            }
        } else if (r.linhasAfetadas >= 0) {
            saida << "Linhas afetadas: " << r.linhasAfetadas << '\n';
        } else {
            continue;
        }
        algoImpresso = impressoNoLote = true;
    }
    ImprimirMensagens(saida, mensagens, SIZE_MAX, algoImpresso);
    if (!impressoNoLote) {
        saida << "Comando executado com sucesso\n";
        algoImpresso = true;
    }
    saida.flush();
}

int ExecutarSql(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(parametros, {"--conexao", "--versao-do-simulador"},
                                {"--sem-transacao"});
    const auto& posicionais = argumentos.Posicionais();
    if (posicionais.size() > 1) throw ErroDeUso("Argumento inesperado: " + posicionais[1]);
    const std::string cadeia = CadeiaDeConexao(argumentos);
    const std::string origem = posicionais.empty() ? "-" : posicionais.front();
    const bool comTransacao = !argumentos.Marcado("--sem-transacao");
    return ExecutarComMensagens(std::cout, [&] {
        const auto lotes = db::DividirEmLotes(db::DividirEmLinhas(LerScript(origem)));
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(cadeia);
        conexao.Abrir();
        bool algoImpresso = false;
        std::vector<db::Mensagem> mensagens;
        try {
            db::RodarLotes(
                conexao.ConectorAberto(), lotes, comTransacao, db::ModoDoLote::Executar,
                [&](const db::LoteSql&, std::vector<db::Resultado>& resultados) {
                    ImprimirResultados(std::cout, resultados, mensagens, algoImpresso);
                },
                [&](std::vector<db::Mensagem> doLote) { mensagens = std::move(doLote); });
        } catch (const db::FalhaNoLote& falha) {
            ImprimirMensagens(std::cout, mensagens, SIZE_MAX, algoImpresso);  // before the error
            std::cout.flush();
            std::cerr << db::TextoDaFalha(falha) << "\n";
            throw;
        }
        return kSaidaSucesso;
    });
}

const RegistrarComando registroSql({
    "sql",
    "executa um script SQL, lote por lote",
    []() -> std::string {
        return "Uso: zolvek-cli sql [--conexao TEXTO] [--versao-do-simulador VERSAO] "
               "[--sem-transacao]\n"
               "                    [ARQUIVO|-]\n"
               "Executa os comandos do ARQUIVO (ou da entrada padrão, sem ARQUIVO ou com \"-\") "
               "no\n"
               "banco de dados da conexão. Uma linha que contém só GO (em qualquer caixa, sem\n"
               "espaços) termina um lote; um lote vazio (GO no início ou dois GO seguidos) é\n"
               "pulado. Cada lote roda em uma transação própria, confirmada ao seu fim, a não ser\n"
               "que o próprio lote a tenha encerrado (COMMIT ou ROLLBACK TRANSACTION). Um arquivo\n"
               "que não está em UTF-8 é lido como Windows-1252.\n"
               "\n"
               "Cada conjunto de linhas devolvido sai com uma linha de cabeçalho com os nomes das\n"
               "colunas e uma linha por registro, separadas por tabulação (valor nulo: NULL);\n"
               "os demais comandos mostram \"Linhas afetadas: \" e o número de linhas, e um lote\n"
               "sem nada a mostrar, \"Comando executado com sucesso\". As mensagens do servidor\n"
               "(PRINT, RAISERROR de severidade até 10) saem cada uma em sua linha, na ordem em\n"
               "que vieram entre os resultados, também as de um lote que falhou.\n"
               "\n"
               "Saída 0: todos os lotes executados; 1: um lote falhou (a mensagem do servidor vai\n"
               "para a saída padrão; a linha onde o lote começa e se ele foi desfeito, para a\n"
               "saída de erros; os lotes anteriores ficam confirmados e nada do lote que falhou\n"
               "fica pendente na conexão); 2: uso incorreto.\n"
               "\n"
               "Opções:\n"
               "  --conexao TEXTO      cadeia de conexão OLE DB (key=valor;...); sem ela, a "
               "variável\n"
               "                       de ambiente ZOLVEK_CONEXAO\n"
               "  --versao-do-simulador VERSAO\n"
               "                       versão do SQL Server (10.50, 11.0 ... 16.0) de uma pasta "
               "de\n"
               "                       servidor do simulador criada por esta conexão\n"
               "  --sem-transacao      executa os lotes sem transação, para comandos que o "
               "servidor\n"
               "                       não aceita dentro de uma (CREATE DATABASE, ALTER DATABASE,\n"
               "                       BACKUP, RESTORE)\n"
               "  --help               mostra esta ajuda e termina\n";
    },
    ExecutarSql,
});

}  // namespace

}  // namespace zolvek::cli
