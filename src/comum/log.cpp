#include "comum/log.hpp"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>
#include <optional>

#include "comum/arquivo_inteiro.hpp"
#include "comum/erros.hpp"
#include "comum/hora_local.hpp"
#include "comum/texto.hpp"

namespace zolvek::log {

namespace {

using Relogio = std::chrono::system_clock;

struct EstadoDoLog {
    ConfiguracaoDoLog configuracao;
    bool criado = false;
    bool habilitado = false;
    std::vector<std::string> entradas;
    std::optional<Relogio::time_point> inicio;
    std::optional<Relogio::time_point> anterior;
    long long contador = 0;
    std::function<Relogio::time_point()> relogio;
};

EstadoDoLog& Estado() {
    static EstadoDoLog estado;
    return estado;
}

// Analyses of several databases run side by side and write to the one log.
std::recursive_mutex& Trava() {
    static std::recursive_mutex trava;
    return trava;
}

Relogio::time_point Agora() {
    auto& e = Estado();
    return e.relogio ? e.relogio() : Relogio::now();
}

std::string ParteDaMensagem(const std::string& mensagem) {
    if (mensagem.empty()) return "";
    if (mensagem.front() == '*') return std::string(80, '*');
    if (mensagem.find('\r') != std::string::npos) return "\r\n" + mensagem;
    return "," + mensagem;
}

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
std::size_t TamanhoDaSequencia(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

// Windows-1252 of the text; what has no Windows-1252 form becomes "?" so that one odd
// character (a server message, a field value) does not cost the whole file.
std::string ParaWindows1252Tolerante(const std::string& texto) {
    try {
        return texto::ParaWindows1252(texto);
    } catch (const ErroDeEntrada&) {
    }
    std::string saida;
    saida.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size();) {
        std::size_t n =
            std::min(TamanhoDaSequencia(static_cast<unsigned char>(texto[i])), texto.size() - i);
        try {
            saida += texto::ParaWindows1252(std::string_view(texto).substr(i, n));
        } catch (const ErroDeEntrada&) {
            saida += '?';
        }
        i += n;
    }
    return saida;
}

// Lone LF line ends become CR LF.
std::string ComCrLf(const std::string& texto) {
    std::string saida;
    saida.reserve(texto.size() + texto.size() / 16);
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\n' && (i == 0 || texto[i - 1] != '\r')) saida += '\r';
        saida += texto[i];
    }
    return saida;
}

}  // namespace

void DefinirConfiguracaoDoLog(const ConfiguracaoDoLog& configuracao) {
    Estado().configuracao = configuracao;
}

ConfiguracaoDoLog ConfiguracaoAtual() {
    return Estado().configuracao;
}

bool IniciarLog() {
    std::lock_guard trava(Trava());
    auto& e = Estado();
    if (!e.criado) {
        e.criado = true;
        e.habilitado = e.configuracao.habilitarLogZAV;
    }
    return e.habilitado;
}

bool LogCriado() {
    return Estado().criado;
}
bool LogHabilitado() {
    return Estado().criado && Estado().habilitado;
}

std::string NumeroComZeros(long long numero, int largura) {
    std::string digitos = std::to_string(numero);
    if (numero < 0 || static_cast<int>(digitos.size()) > largura) return std::string(largura, '*');
    return std::string(largura - digitos.size(), '0') + digitos;
}

std::string TextoDeDataHoraLocal(Relogio::time_point hora) {
    std::time_t t = Relogio::to_time_t(std::chrono::floor<std::chrono::seconds>(hora));
    const std::tm local = HoraLocal(t);
    char texto[80];
    std::snprintf(texto, sizeof texto, "%02d/%02d/%04d %02d:%02d:%02d", local.tm_mday,
                  local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec);
    return texto;
}

std::string MontarLinhaDoLog(const CamposDaLinha& c) {
    return TextoDeDataHoraLocal(c.hora) + "," + NumeroComZeros(c.segundosDesdeOInicio, 8) + "s," +
           NumeroComZeros(c.milissegundosDesdeAAnterior, 6) + "ms," +
           NumeroComZeros(c.contador, 8) + "i," + c.arquivo + "/" + std::to_string(c.linha) + "/" +
           c.metodo + ParteDaMensagem(c.mensagem);
}

void RegistrarNoLog(const std::string& arquivo, int linha, const std::string& metodo,
                    const std::string& mensagem, long long contador, bool forcar, bool limpar) {
    std::lock_guard trava(Trava());
    auto& e = Estado();
    if (!IniciarLog() && !forcar) return;
    if (limpar) e.entradas.clear();

    const auto agora = Agora();
    if (!e.inicio) e.inicio = agora;

    CamposDaLinha campos;
    campos.hora = agora;
    campos.segundosDesdeOInicio =
        std::chrono::duration_cast<std::chrono::seconds>(agora - *e.inicio).count();
    campos.milissegundosDesdeAAnterior =
        e.anterior
            ? std::chrono::duration_cast<std::chrono::milliseconds>(agora - *e.anterior).count()
            : 0;
    // The counter shown is the one before this call; a new value shows from the next line.
    campos.contador = e.contador;
    if (contador != -1) e.contador = contador;
    e.anterior = agora;

    campos.arquivo = arquivo;
    campos.linha = linha;
    campos.metodo = metodo;
    campos.mensagem = mensagem;
    e.entradas.push_back(MontarLinhaDoLog(campos));
}

void AdicionarAoLog(const std::string& entrada) {
    std::lock_guard trava(Trava());
    IniciarLog();
    Estado().entradas.push_back(entrada);
}

const std::vector<std::string>& EntradasDoLog() {
    return Estado().entradas;
}

std::string TextoDoLog() {
    std::string texto;
    for (const auto& entrada : Estado().entradas) texto += entrada + "\r\n";
    return texto;
}

std::filesystem::path PastaDoLog(const ConfiguracaoDoLog& configuracao) {
    std::string pasta = texto::Aparar(configuracao.pastaLogZAV);
    if (!pasta.empty()) return pasta;
    for (const char* variavel : {"USERPROFILE", "HOME"})
        if (const char* valor = std::getenv(variavel); valor && *valor) return valor;
    return std::filesystem::current_path();
}

void GravarTextoWindows1252(const std::filesystem::path& arquivo, const std::string& texto) {
    const std::string bytes = ParaWindows1252Tolerante(ComCrLf(texto));
    GravarArquivoInteiro(arquivo, bytes,
                         "Não foi possível gravar o arquivo '" + arquivo.string() + "'");
}

std::filesystem::path SalvarLog(const std::filesystem::path& pasta) {
    std::filesystem::path arquivo = pasta / "LogZAV.txt";
    GravarTextoWindows1252(arquivo, TextoDoLog());
    return arquivo;
}

void DefinirRelogioDoLog(std::function<Relogio::time_point()> relogio) {
    Estado().relogio = std::move(relogio);
}

void DescartarLog() {
    auto& e = Estado();
    auto configuracao = e.configuracao;
    auto relogio = e.relogio;
    e = EstadoDoLog{};
    e.configuracao = configuracao;
    e.relogio = relogio;
}

}  // namespace zolvek::log
