// DBCC CHECKIDENT and DBCC CHECKDB, the DBCC commands the engine runs.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

// CHECKDB's options that change nothing of what the engine checks or says. ESTIMATEONLY and
// MAXDOP are not among them: the engine has no estimate to give.
bool OpcaoDeVerificacao(const std::string& opcao) {
    for (const char* o : {"ALL_ERRORMSGS", "PHYSICAL_ONLY", "TABLOCK", "DATA_PURITY",
                          "EXTENDED_LOGICAL_CHECKS", "NO_INFOMSGS"})
        if (opcao == o) return true;
    if (opcao == "ESTIMATEONLY" || opcao == "MAXDOP")
        throw Recusa("O simulador de SQL Server não interpreta a opção " + opcao +
                     " de DBCC CHECKDB.");
    return false;
}

}  // namespace

std::unique_ptr<Comando> Analisador::Dbcc(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::Dbcc>(inicio);
    ++i_;  // DBCC
    x->comando = texto::Maiusculas(t_[i_++].texto);
    if (AceitarSimbolo("(")) {
        if (!Fim() && !Simbolo(")")) {
            if (Fim() || !(EhNome(Atual()) || Atual().tipo == TipoToken::Texto ||
                           Atual().tipo == TipoToken::TextoN || Atual().tipo == TipoToken::Numero))
                Erro();
            x->objeto =
                Atual().tipo == TipoToken::Colchete ? "[" + Atual().texto + "]" : Atual().texto;
            ++i_;
            while (Simbolo(".") && i_ + 1 < t_.size()) {  // dbo.T written bare
                x->objeto += "." + t_[i_ + 1].texto;
                i_ += 2;
            }
        }
        if (AceitarSimbolo(",")) {
            if (Fim() || Atual().tipo != TipoToken::Palavra) Erro();
            x->modo = texto::Maiusculas(t_[i_++].texto);
            const bool identidade = x->comando == "CHECKIDENT";
            if (!identidade && x->modo.rfind("REPAIR_", 0) == 0)
                throw Recusa("O simulador de SQL Server não repara bancos (DBCC CHECKDB " +
                             x->modo + ").");
            if (identidade ? x->modo != "RESEED" && x->modo != "NORESEED" : x->modo != "NOINDEX")
                ErroDeSintaxe(t_, i_ - 1);
            // RESEED's value runs to the closing parenthesis
            if (x->modo == "RESEED" && AceitarSimbolo(",")) {
                std::size_t fim = i_;
                for (int nivel = 0; fim < t_.size(); ++fim) {
                    if (EhSimbolo(t_[fim], "(")) ++nivel;
                    if (EhSimbolo(t_[fim], ")") && nivel-- == 0) break;
                }
                x->valor = ExpressaoDe({i_, fim});
                x->valorNulo = std::make_shared<const ErroDeBanco>(ErroDeSintaxeEm(t_, i_));
                i_ = fim;
            }
        }
        EsperarSimbolo(")");
    }
    if (Aceitar("WITH")) do {
            if (Fim() || Atual().tipo != TipoToken::Palavra) Erro();
            const std::string opcao = texto::Maiusculas(Atual().texto);
            if (opcao == "NO_INFOMSGS")
                x->semInformacoes = true;
            else if (x->comando == "CHECKIDENT" || !OpcaoDeVerificacao(opcao))
                Erro();
            ++i_;
        } while (AceitarSimbolo(","));
    return std::move(c);
}

}  // namespace zolvek::simulador
