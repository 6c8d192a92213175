#include "admin/informacoes_tecnicas.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "admin/informacoes_do_sistema.hpp"
#include "admin/status_do_banco.hpp"
#include "comum/erros.hpp"
#include "comum/hora_local.hpp"
#include "comum/log.hpp"
#include "comum/texto.hpp"
#include "comum/versao.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::admin {

namespace {

// Windows support never needs to see: a window whose name occurs anywhere in this
// text is skipped (the main window "Principal" among them).
const char* const kJanelasIgnoradas =
    "EdicaoTabelaEmGrid,MostrarException,frOleForm,frRichForm,frChartForm,DialogForm,"
    "frProgressForm,wwFormGridFilterTypes,SobreEsteSistema,TelaDeChamada,CalculaVencimentos,"
    "MenuPrincipalSF,frPreviewForm,ConexaoADO";

ListagemDeJanelas& Listagem() {
    static ListagemDeJanelas listagem;
    return listagem;
}

std::string TextoDoCampo(const db::Campo& campo) {
    return campo.Nome() + "=" + (campo.EhBlob() ? std::string("<Blob>") : campo.TextoDeExibicao());
}

void ListarCampos(std::vector<std::string>& linhas, db::ConjuntoDeDados& conjunto) {
    for (const db::Campo& campo : conjunto.Campos()) linhas.push_back("  " + TextoDoCampo(campo));
}

void SecaoDeTabelas(std::vector<std::string>& linhas, const std::string& nome,
                    const std::vector<ItemDoConteiner>& itens, bool solicitado) {
    linhas.push_back("\r\n<<*>> Tabelas de " + nome + " <<*>>");
    for (const ItemDoConteiner& item : itens) {
        if (item.tipo == ItemDoConteiner::Tipo::ConjuntoDeDados && item.conjunto)
            ListarConjuntoDeDados(linhas, item.nome, *item.conjunto, solicitado);
        else if (item.tipo == ItemDoConteiner::Tipo::Quadro)
            SecaoDeTabelas(linhas, item.nome, item.itens, solicitado);
    }
}

void SecaoDeComponentes(std::vector<std::string>& linhas, const std::string& nome,
                        const std::vector<ItemDoConteiner>& itens) {
    linhas.push_back("\r\n<<*>> Componentes de " + nome + " <<*>>");
    for (const ItemDoConteiner& item : itens) {
        const std::string valor =
            item.tipo == ItemDoConteiner::Tipo::Componente ? item.valor : std::string();
        if (!texto::Aparar(valor).empty())
            linhas.push_back(item.nome + "=" + valor);
        else if (item.tipo == ItemDoConteiner::Tipo::Quadro)
            SecaoDeComponentes(linhas, item.nome, item.itens);
    }
}

void AdicionarTodasAoLog(const std::vector<std::string>& linhas) {
    for (const auto& linha : linhas) log::AdicionarAoLog(linha);
}

std::string CarimboDaPasta() {
    std::time_t t = std::time(nullptr);
    const std::tm local = HoraLocal(t);
    char texto[64];
    // Year, month, day, minutes and seconds: the hour is not part of the name.
    std::snprintf(texto, sizeof texto, "%04d%02d%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_min, local.tm_sec);
    return texto;
}

}  // namespace

void DefinirListagemDeJanelas(ListagemDeJanelas listagem) {
    Listagem() = std::move(listagem);
}

void ListarConjuntoDeDados(std::vector<std::string>& linhas, const std::string& nome,
                           db::ConjuntoDeDados& conjunto, bool solicitado) {
    if (!conjunto.Aberto()) return;
    if (conjunto.Bloqueio() == db::TipoDeBloqueio::SomenteLeitura && !solicitado) return;
    const int registro = conjunto.NumeroDoRegistro();
    const auto estado = conjunto.Estado();
    if (conjunto.Vazio() && estado != db::EstadoDoConjunto::Inserindo) return;

    linhas.push_back(">>" + nome + ";" + std::to_string(registro));
    if (estado != db::EstadoDoConjunto::Navegando) {
        std::string marca = "  ";
        std::string textoDoEstado = " <DataSet->State != dsBrowse>";
        if (estado == db::EstadoDoConjunto::Inserindo) {
            marca = " *";
            textoDoEstado = " <dsInsert>";
        } else if (estado == db::EstadoDoConjunto::Editando) {
            marca = " *";
            textoDoEstado = " <dsEdit>";
        }
        linhas.push_back(" >Linha 1" + marca + textoDoEstado);
        ListarCampos(linhas, conjunto);
    } else {
        // Walk the rows without disturbing what the window shows.
        struct Restaurar {
            db::ConjuntoDeDados& conjunto;
            db::Marcador marcador;
            ~Restaurar() {
                try {
                    conjunto.IrParaMarcador(marcador);
                } catch (...) {
                }
                conjunto.HabilitarControles();
            }
        } restaurar{conjunto, conjunto.MarcadorAtual()};
        conjunto.DesabilitarControles();
        linhas.push_back(" >Linha selecionada");
        ListarCampos(linhas, conjunto);
        int numero = 1;
        for (conjunto.Primeiro(); !conjunto.Fim(); conjunto.Proximo()) {
            linhas.push_back(" >Linha " + std::to_string(numero));
            ListarCampos(linhas, conjunto);
            if (++numero > 100) {
                linhas.push_back(" >...");
                break;
            }
        }
    }
    linhas.push_back("");
}

void ListarTabelasEComponentes(const std::string& titulo, bool solicitado, bool forcar) {
    if (!log::IniciarLog() && !forcar) return;
    std::vector<std::string> linhas;
    linhas.push_back("<<<*>>> Tabelas e componentes do ambiente " + titulo + " <<<*>>>");
    linhas.push_back("");
    if (Listagem()) {
        const std::string ignoradas = kJanelasIgnoradas;
        for (const JanelaAberta& janela : Listagem()()) {
            if (janela.nome.empty() || ignoradas.find(janela.nome) != std::string::npos) continue;
            linhas.push_back("");
            SecaoDeTabelas(linhas, janela.nome, janela.itens, solicitado);
            SecaoDeComponentes(linhas, janela.nome, janela.itens);
            linhas.push_back("");
        }
    }
    linhas.push_back("<<<*>>> Tabelas e componentes do ambiente " + titulo + " - Final <<<*>>>");
    AdicionarTodasAoLog(linhas);
}

void GravarInformacoesTecnicas(db::TModuloDados& modulo, bool solicitado, const std::string& janela,
                               std::vector<std::string>* saida) {
    if (!solicitado && !log::LogHabilitado()) return;
    log::IniciarLog();

    log::AdicionarAoLog("");
    std::string titulo = solicitado ? "solicitados pelo usuário" : "";
    if (!janela.empty()) titulo += " - De: " + janela;
    ListarTabelasEComponentes(titulo, solicitado, solicitado);

    std::vector<std::string> linhas;
    linhas.push_back("");
    linhas.push_back("<<<*>>> Informações técnicas <<<*>>>");
    ObterSisInfo(modulo, linhas);
    linhas.push_back("");
    ObterStatusDoBanco(modulo, linhas);
    linhas.push_back("");
    ObterParametrosDoBanco(modulo, linhas);
    linhas.push_back("");
    linhas.push_back("<<<*>>> Informações técnicas - Final <<<*>>>");
    AdicionarTodasAoLog(linhas);

    if (saida) {
        *saida = db::DividirEmLinhas(log::TextoDoLog());
        return;
    }
    log::SalvarLog(log::PastaDoLog(log::ConfiguracaoAtual()));
}

std::vector<std::string> ObterInformacoesTecnicas(db::TModuloDados& modulo) {
    std::vector<std::string> lista;
    log::RegistrarNoLog("FPrincipal", 341, "TPrincipal::ObterInformacoesTecnicas", "", 0, true,
                        true);
    GravarInformacoesTecnicas(modulo, true, "Principal", &lista);
    return lista;
}

void LevantarErroLocalizado(const std::string& arquivo, int linha, const std::string& metodo,
                            const std::string& mensagem) {
    const std::string local = "\r\n\r\nArquivo: " + arquivo + "\r\nMétodo: " + metodo +
                              "\r\nLinha: " + std::to_string(linha) +
                              "\r\nRevisão: " + std::to_string(versao::NumeroDaRevisao());
    throw Erro(
        (mensagem.empty() ? std::string("Linha de código retornou resultado inválido") : mensagem) +
        local);
}

std::filesystem::path PastaTemporaria() {
    if (const char* temp = std::getenv("TEMP"); temp && *temp) return temp;
    std::error_code erro;
    auto pasta = std::filesystem::temp_directory_path(erro);
    return erro ? std::filesystem::path(".") : pasta;
}

PacoteDeSuporte CriarPacoteDeSuporte(db::TModuloDados& modulo) {
    const auto base = PastaTemporaria() / "ZAV";
    std::error_code ignorado;
    std::filesystem::create_directory(base, ignorado);

    PacoteDeSuporte pacote;
    pacote.pasta = base / ("zwk" + CarimboDaPasta());
    pacote.arquivo = pacote.pasta / "LogZAV.txt";
    std::error_code erro;
    // An existing folder is refused too: the package never mixes with older files.
    if (!std::filesystem::create_directory(pacote.pasta, erro) || erro)
        throw Erro("Erro ao criar pasta temporária '" + pacote.pasta.string() +
                   "' em 'TPrincipal::URLdaZAVClick'");
    try {
        const auto lista = ObterInformacoesTecnicas(modulo);
        std::string texto;
        for (const auto& linha : lista) texto += linha + "\r\n";
        log::GravarTextoWindows1252(pacote.arquivo, texto);
    } catch (...) {
        RemoverPacoteDeSuporte(pacote);
        throw;
    }
    pacote.topico = "2";
    pacote.mensagem = "Favor detalhar sua dúvida aqui e no campo abaixo anexar o arquivo '" +
                      pacote.arquivo.string() + "'";
    return pacote;
}

void RemoverPacoteDeSuporte(const PacoteDeSuporte& pacote) {
    std::error_code ignorado;
    std::filesystem::remove(pacote.arquivo, ignorado);
    std::filesystem::remove(pacote.pasta, ignorado);
}

}  // namespace zolvek::admin
