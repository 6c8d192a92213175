// ALTER LOGIN and ALTER SERVER ROLE.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

// What the engine cannot do of ALTER LOGIN is refused by name.
[[noreturn]] void RecusarOpcaoDoLogin(const std::string& opcao) {
    throw Recusa("O simulador de SQL Server não interpreta a opção " + texto::Maiusculas(opcao) +
                 " de ALTER LOGIN.");
}

}  // namespace

// 'texto' or N'texto', as passwords are written.
std::string Analisador::TextoLiteral() {
    if (Fim() || (Atual().tipo != TipoToken::Texto && Atual().tipo != TipoToken::TextoN)) Erro();
    return t_[i_++].texto;
}

// CREATE LOGIN x FROM WINDOWS | WITH PASSWORD = '...' [, DEFAULT_DATABASE = b]; of the
// other options (CHECK_POLICY, DEFAULT_LANGUAGE...) the engine keeps nothing.
std::unique_ptr<Comando> Analisador::CriarLogin(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::CriarLogin>(inicio);
    x->objeto.partes.push_back(Nome());
    if (Aceitar("FROM")) {
        Esperar("WINDOWS");
        x->semLogin = true;
    } else {
        Esperar("WITH");
        Esperar("PASSWORD");
        EsperarSimbolo("=");
        x->senha = TextoOuNome();
        const std::size_t fim = FimDaInstrucao(i_);
        for (std::size_t k = i_; k + 2 < fim; ++k)
            if (EhPalavra(t_[k], "DEFAULT_DATABASE") && EhSimbolo(t_[k + 1], "=")) {
                i_ = k + 2;
                x->bancoPadrao = Nome();
                break;
            }
    }
    i_ = FimDaInstrucao(i_);
    return std::move(c);
}

// ALTER LOGIN x ENABLE | DISABLE | WITH PASSWORD = '...' [OLD_PASSWORD = '...' | UNLOCK],
// DEFAULT_DATABASE = b, CHECK_POLICY = ON | OFF, CHECK_EXPIRATION = ON | OFF. The engine
// keeps no password policy, so the CHECK_ options and UNLOCK change nothing.
std::unique_ptr<Comando> Analisador::AlterarLogin(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::AlterarLogin>(inicio);
    x->login = Nome();
    if (Aceitar("ENABLE") || Aceitar("DISABLE")) {
        x->desabilitado = EhPalavra(t_[i_ - 1], "DISABLE");
        return std::move(c);
    }
    Esperar("WITH");
    do {
        if (Fim() || !EhNome(Atual())) Erro();
        const std::string opcao = texto::Maiusculas(t_[i_++].texto);
        if (opcao == "NO" || opcao == "CREDENTIAL" || opcao == "NAME" ||
            opcao == "DEFAULT_LANGUAGE")
            RecusarOpcaoDoLogin(opcao);
        EsperarSimbolo("=");
        if (opcao == "PASSWORD") {
            x->senha = TextoLiteral();
            for (;;) {
                if (Palavra("HASHED") || Palavra("MUST_CHANGE")) RecusarOpcaoDoLogin(Atual().texto);
                if (Aceitar("UNLOCK")) continue;
                if (!Aceitar("OLD_PASSWORD")) break;
                EsperarSimbolo("=");
                x->senhaAntiga = TextoLiteral();
            }
        } else if (opcao == "DEFAULT_DATABASE") {
            x->bancoPadrao = Nome();
        } else if (opcao == "CHECK_POLICY" || opcao == "CHECK_EXPIRATION") {
            if (!Aceitar("ON")) Esperar("OFF");
        } else {
            ErroDeSintaxe(t_, i_ - 2);
        }
    } while (AceitarSimbolo(","));
    return std::move(c);
}

// ALTER SERVER ROLE papel ADD MEMBER login | DROP MEMBER login.
std::unique_ptr<Comando> Analisador::AlterarPapelDoServidor(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::AlterarPapelDoServidor>(inicio);
    i_ += 2;  // SERVER ROLE
    x->papel = Nome();
    if (Palavra("WITH")) throw Recusa("O simulador de SQL Server não renomeia papéis de servidor.");
    x->adicionarMembro = Aceitar("ADD");
    if (!x->adicionarMembro) Esperar("DROP");
    Esperar("MEMBER");
    x->membro = Nome();
    return std::move(c);
}

}  // namespace zolvek::simulador
