// BACKUP DATABASE and RESTORE DATABASE, FILELISTONLY and VERIFYONLY.

#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador.hpp"

namespace zolvek::simulador {

Faixa Analisador::Disco() {
    Esperar("DISK");
    EsperarSimbolo("=");
    std::size_t ini = i_;
    if (Fim()) Erro();
    ++i_;
    return {ini, i_};
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
Faixa Analisador::OpcoesDeLeitura() {
    Faixa conjunto;
    if (!Aceitar("WITH")) return conjunto;
    do {
        if (Aceitar("FILE")) {
            EsperarSimbolo("=");
            if (Fim()) Erro();
            conjunto = {i_, i_ + 1};
            ++i_;
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
                std::size_t a = i_++;
                Esperar("TO");
                std::size_t b = i_++;
                x->movimentos.emplace_back(Faixa{a, a + 1}, Faixa{b, b + 1});
            } else if (Aceitar("FILE")) {
                EsperarSimbolo("=");
                if (Fim()) Erro();
                x->conjunto = {i_, i_ + 1};
                ++i_;
            } else {
                OpcaoIgnorada();  // NOUNLOAD, RECOVERY, STATS ...
            }
        } while (AceitarSimbolo(","));
    }
    i_ = FimDaInstrucao(i_);
    return c;
}

}  // namespace zolvek::simulador
