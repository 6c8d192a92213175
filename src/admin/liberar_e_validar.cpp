#include "admin/liberar_e_validar.hpp"

#include <charconv>
#include <optional>

#include "admin/revisao_do_banco.hpp"
#include "admin/status_do_banco.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::admin {

const char* const kMensagemJaLiberado = "Banco de dados já está liberado";
const char* const kPerguntaLiberar = "O banco de dados será liberado, você confirma ?";
const char* const kMensagemLiberado = "Banco de dados liberado com sucesso";
const char* const kMensagemJaValidado = "Banco de dados já está validado";
const char* const kMensagemValidado = "Banco de dados validado com sucesso";

namespace {

void Executar(db::Consulta& consulta, const std::string& sql) {
    consulta.Fechar();
    consulta.DefinirSQL(sql);
    consulta.Executar();
}

std::string LerUsuarioUnico(db::TModuloDados& modulo, db::Consulta& consulta,
                            const std::string& nomeDoBanco) {
    consulta.DefinirSQL(ConsultaDeUsuarioUnico(modulo.VersaoMaiorDoServidor(), nomeDoBanco));
    consulta.Abrir();
    // No row (a name sys.databases does not know) reads as empty, which is not "OFF".
    std::string valor = consulta.Vazio() ? "" : consulta.CampoPorNome("CurrentSetting").Texto();
    consulta.Fechar();
    return texto::Maiusculas(valor);
}

void RegistrarNoRegMov(db::Consulta& consulta, const char* tipo) {
    Executar(consulta,
             std::string("insert RegMov (Operador, Tipo) values (suser_sname(), '") + tipo + "')");
}

void LiberarConfirmado(db::Consulta& consulta, InterfaceDoComando& interface,
                       const std::string& nomeDoBanco) {
    try {
        RegistrarNoRegMov(consulta, "Liberar");
    } catch (const ErroDeBanco& e) {
        // The release does not depend on the audit row.
        consulta.Fechar();
        interface.Mostrar(TipoDeMensagem::Erro, e.what());
    }
    AtualizarRevisaoDoBanco(consulta, -1, nomeDoBanco);
}

// The status stamp after the database was released or validated: its failure is
// that command's outcome, said once, never followed by a success message.
template <typename Carimbo>
std::optional<std::string> FalhaDoCarimbo(Carimbo carimbar) {
    try {
        carimbar();
        return std::nullopt;
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        return std::string(e.what());
    }
}

// The revision as the number it holds ("12", "12.0" of a numeric column); nullopt for
// NULL, blanks or other text.
std::optional<double> RevisaoGravada(const db::Campo& campo) {
    if (campo.Nulo()) return std::nullopt;
    const std::string valor = texto::Aparar(campo.Texto());
    double numero = 0;
    const auto fim = valor.data() + valor.size();
    const auto [resto, erro] = std::from_chars(valor.data(), fim, numero);
    if (valor.empty() || erro != std::errc() || resto != fim) return std::nullopt;
    return numero;
}

}  // namespace

std::string ConsultaDeUsuarioUnico(int versaoMaior, const std::string& nomeDoBanco) {
    if (versaoMaior >= 11)
        return "select case when user_access_desc='SINGLE_USER' then 'ON' else 'OFF' end as "
               "CurrentSetting from sys.databases where name=" +
               db::EntreApostrofos(nomeDoBanco);
    return "sp_dboption " + db::EntreApostrofos(nomeDoBanco) + ", 'single user'";
}

ResultadoDaLiberacao Liberar(db::TModuloDados& modulo, InterfaceDoComando& interface,
                             const std::function<void()>& atualizarInformacoes) {
    db::Consulta consulta(&modulo.Banco);
    const std::string nomeDoBanco = modulo.NomeDoBanco();
    if (LerUsuarioUnico(modulo, consulta, nomeDoBanco) == "OFF") {
        interface.Mostrar(TipoDeMensagem::Informacao, kMensagemJaLiberado);
        return ResultadoDaLiberacao::JaLiberado;
    }
    if (interface.Perguntar("Atenção", kPerguntaLiberar, Botoes::SimNao, Resposta::Nao) !=
        Resposta::Sim)
        return ResultadoDaLiberacao::NaoConfirmado;
    LiberarConfirmado(consulta, interface, nomeDoBanco);
    const auto falha = FalhaDoCarimbo([&] { RegistrarLiberacao(modulo, consulta, interface); });
    if (atualizarInformacoes) atualizarInformacoes();
    if (falha)
        throw Erro(
            "O banco de dados foi liberado, mas a liberação não foi registrada em "
            "'StatusBD': " +
            *falha);
    interface.Mostrar(TipoDeMensagem::Informacao, kMensagemLiberado);
    return ResultadoDaLiberacao::Liberado;
}

bool PrecisaValidar(db::TModuloDados& modulo, int revisaoDoDicionario,
                    InterfaceDoComando& interface) {
    modulo.Parametros.Fechar();
    modulo.AbrirParametros();
    // Empty parameter tables have no revision at all: the validation creates the row.
    if (modulo.Parametros.Vazio()) return true;
    const auto gravada = RevisaoGravada(modulo.Parametros.CampoPorNome("RevisaoDoBD"));
    if (gravada && *gravada == static_cast<double>(revisaoDoDicionario)) {
        interface.Mostrar(TipoDeMensagem::Informacao, kMensagemJaValidado);
        return false;
    }
    return true;
}

std::string TextoDaValidacao(int revisaoDoDicionario) {
    return "Banco de dados será validado para a revisão [" + std::to_string(revisaoDoDicionario) +
           "]";
}

void ValidarBanco(db::TModuloDados& modulo, db::Consulta& qryComando, int revisaoDoDicionario,
                  InterfaceDoComando& interface) {
    RegistrarNoRegMov(qryComando, "Validar");
    AtualizarRevisaoDoBanco(qryComando, revisaoDoDicionario, modulo.NomeDoBanco());
    if (const auto falha =
            FalhaDoCarimbo([&] { RegistrarValidacao(modulo, qryComando, interface); }))
        throw Erro(
            "O banco de dados foi validado, mas a validação não foi registrada em "
            "'StatusBD': " +
            *falha);
}

}  // namespace zolvek::admin
