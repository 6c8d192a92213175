// BACKUP DATABASE and RESTORE DATABASE, FILELISTONLY and VERIFYONLY.

#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador.hpp"

namespace zolvek::simulador {

ExpressaoLida Analisador::Disco() {
    Esperar("DISK");
    EsperarSimbolo("=");
    return ValorDaOpcao();
}

// The one token of an option's value (a text, a number, a variable or a bare word).
ExpressaoLida Analisador::ValorDaOpcao() {
    if (Fim()) Erro();
    ++i_;
    return ExpressaoOuPalavra({i_ - 1, i_});
}

std::unique_ptr<Comando> Analisador::Backup() {
    auto [c, x] = Novo<instrucao::Backup>(i_);
    ++i_;
    Esperar("DATABASE");
    x->objeto.partes.push_back(Nome());
    Esperar("TO");
    x->disco = Disco();
    if (Aceitar("WITH")) {
        do {
            if (Aceitar("INIT")) {
                x->iniciar = true;
            } else if (Aceitar("NOINIT")) {
                x->iniciar = false;
            } else if (Aceitar("FORMAT")) {
                x->formatar = true;
            } else if (Aceitar("NOFORMAT")) {
                x->formatar = false;
            } else {
                OpcaoIgnorada();  // NAME = ..., SKIP, STATS, CHECKSUM ...
            }
        } while (AceitarSimbolo(","));
    }
    i_ = FimDaInstrucao(i_);
    return c;
}

// One of the words an option takes, in upper case.
std::string Analisador::PalavraEntre(std::initializer_list<const char*> palavras) {
    for (const char* p : palavras)
        if (Aceitar(p)) return p;
    Erro();
}

// An option of BACKUP/RESTORE that changes nothing here: a word, "= value" maybe.
void Analisador::OpcaoIgnorada() {
    if (Fim() || Atual().tipo != TipoToken::Palavra) Erro();
    ++i_;
    if (AceitarSimbolo("=")) {
        if (Fim()) Erro();
        ++i_;
    }
}

// WITH FILE = n, the only option of FILELISTONLY and VERIFYONLY that matters here.
ExpressaoLida Analisador::OpcoesDeLeitura() {
    ExpressaoLida conjunto;
    if (!Aceitar("WITH")) return conjunto;
    do {
        if (Aceitar("FILE")) {
            EsperarSimbolo("=");
            conjunto = ValorDaOpcao();
        } else {
            OpcaoIgnorada();  // NOUNLOAD, CHECKSUM, LOADHISTORY ...
        }
    } while (AceitarSimbolo(","));
    return conjunto;
}

std::unique_ptr<Comando> Analisador::Restaurar() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("FILELISTONLY")) {
        auto [c, x] = Novo<instrucao::RestaurarLista>(inicio);
        Esperar("FROM");
        x->disco = Disco();
        x->conjunto = OpcoesDeLeitura();
        i_ = FimDaInstrucao(i_);
        return c;
    }
    if (Aceitar("VERIFYONLY")) {
        auto [c, x] = Novo<instrucao::VerificarBackup>(inicio);
        Esperar("FROM");
        x->disco = Disco();
        x->conjunto = OpcoesDeLeitura();
        i_ = FimDaInstrucao(i_);
        return c;
    }
    Esperar("DATABASE");
    auto [c, x] = Novo<instrucao::Restaurar>(inicio);
    x->objeto.partes.push_back(Nome());
    Esperar("FROM");
    x->disco = Disco();
    if (Aceitar("WITH")) {
        do {
            if (Aceitar("REPLACE")) {
                x->substituir = true;
            } else if (Aceitar("MOVE")) {
                ExpressaoLida de = ValorDaOpcao();
                Esperar("TO");
                x->movimentos.emplace_back(std::move(de), ValorDaOpcao());
            } else if (Aceitar("FILE")) {
                EsperarSimbolo("=");
                x->conjunto = ValorDaOpcao();
            } else {
                OpcaoIgnorada();  // NOUNLOAD, RECOVERY, STATS ...
            }
        } while (AceitarSimbolo(","));
    }
    i_ = FimDaInstrucao(i_);
    return c;
}

}  // namespace zolvek::simulador
