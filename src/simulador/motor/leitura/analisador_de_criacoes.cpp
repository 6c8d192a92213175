// CREATE TABLE, INDEX, DATABASE, USER and ROLE (the programmed objects are in
// analisador_de_objetos.cpp, types and logins in files of their own).

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// Objects SQL Server has and the engine keeps none of: refused by name, never read as bad
// syntax.
void Analisador::RecusarObjetoSemSuporte(const char* verbo) {
    for (const char* p : {"SEQUENCE", "SYNONYM", "FULLTEXT", "AUTHORIZATION"})
        if (Palavra(p))
            throw Recusa(std::string("O simulador de SQL Server não interpreta a instrução ") +
                         verbo + " " + p + ".");
}

// CREATE OR ALTER of a procedure, trigger, view or function, which SQL Server reads from
// 2016's first service pack on: of the versions the stand-in reports, from 14.0.
std::unique_ptr<Comando> Analisador::CriarOuAlterar(std::size_t inicio) {
    if (recente_.versao == 0) recente_ = {14, Atual().texto};
    i_ += 2;
    if (!Palavra("PROC") && !Palavra("PROCEDURE") && !Palavra("TRIGGER") && !Palavra("VIEW") &&
        !Palavra("FUNCTION"))
        Erro();
    auto c = ObjetoProgramado(inicio, false);
    std::get<instrucao::CriarObjeto>(c->instrucao).ouAlterar = true;
    return c;
}

std::unique_ptr<Comando> Analisador::Criar() {
    std::size_t inicio = i_;
    ++i_;
    if (Palavra("SCHEMA"))  // the engine keeps every object in dbo
        throw Recusa("O simulador de SQL Server não interpreta a instrução CREATE SCHEMA.");
    RecusarObjetoSemSuporte("CREATE");
    if (Aceitar("TABLE")) {
        auto [c, x] = Novo<instrucao::CriarTabela>(inicio);
        x->objeto = NomeDeObjeto();
        EsperarSimbolo("(");
        do {
            if (Simbolo(")")) break;
            ColunaOuRestricao(x->colunas, x->restricoes);
        } while (AceitarSimbolo(","));
        EsperarSimbolo(")");
        PularWithOn();
        if (Aceitar("TEXTIMAGE_ON")) Nome();
        return c;
    }
    if (Palavra("UNIQUE") || Palavra("INDEX") || Palavra("CLUSTERED") || Palavra("NONCLUSTERED")) {
        auto [c, x] = Novo<instrucao::CriarIndice>(inicio);
        x->unico = Aceitar("UNIQUE");
        OpcoesDeIndice();
        Esperar("INDEX");
        x->nomeDoIndice = Nome();
        Esperar("ON");
        x->objeto = NomeDeObjeto();
        x->colunasDoIndice = ColunasDeIndice();
        if (Aceitar("INCLUDE")) x->incluidas = ListaDeNomes();
        if (Aceitar("WHERE")) x->filtro = FiltroDoIndice();
        PularWithOn();
        return c;
    }
    if (Palavra("PROC") || Palavra("PROCEDURE") || Palavra("TRIGGER") || Palavra("VIEW") ||
        Palavra("FUNCTION"))
        return ObjetoProgramado(inicio, false);
    if (Palavra("OR") && Palavra("ALTER", 1)) return CriarOuAlterar(inicio);
    if (Aceitar("DATABASE")) return CriarBanco(inicio);
    if (Aceitar("TYPE")) return CriarTipo(inicio);
    if (Aceitar("LOGIN")) return CriarLogin(inicio);
    if (Aceitar("USER")) {
        auto [c, x] = Novo<instrucao::CriarUsuario>(inicio);
        x->objeto.partes.push_back(Nome());
        if (Aceitar("FOR") || Aceitar("FROM")) {
            Esperar("LOGIN");
            x->login = Nome();
        } else if (Aceitar("WITHOUT")) {
            Esperar("LOGIN");
            x->semLogin = true;
        } else {
            x->login = x->objeto.Nome();
        }
        if (Aceitar("WITH")) {  // every object is dbo's, so that is the only default schema
            Esperar("DEFAULT_SCHEMA");
            EsperarSimbolo("=");
            if (texto::Maiusculas(Nome()) != "DBO")
                throw Recusa(
                    "O simulador de SQL Server não dá a um usuário outro esquema padrão "
                    "que dbo.");
        }
        i_ = FimDaInstrucao(i_);
        return c;
    }
    if (Aceitar("ROLE")) {
        auto [c, x] = Novo<instrucao::CriarPapel>(inicio);
        x->objeto.partes.push_back(Nome());
        i_ = FimDaInstrucao(i_);
        return c;
    }
    Erro();
}

ArquivoDeclarado Analisador::Arquivo() {
    ArquivoDeclarado a;
    EsperarSimbolo("(");
    while (!Simbolo(")")) {
        std::string chave = Nome();
        EsperarSimbolo("=");
        std::string k = Dobrar(chave);
        if (k == "name") {
            a.nomeLogico = TextoOuNome();
        } else if (k == "filename") {
            a.nomeFisico = TextoOuNome();
        } else {
            bool ilimitado = false;
            std::int64_t v = 0;
            bool porcento = false;
            if (Aceitar("UNLIMITED")) {
                ilimitado = true;
            } else {
                v = std::stoll(Numero());
                std::int64_t fator = 1024;
                if (Aceitar("KB"))
                    fator = 1;
                else if (Aceitar("MB"))
                    fator = 1024;
                else if (Aceitar("GB"))
                    fator = 1024 * 1024;
                else if (Aceitar("TB"))
                    fator = 1024LL * 1024 * 1024;
                else if (AceitarSimbolo("%"))
                    porcento = true;
                if (!porcento) v *= fator;
            }
            if (k == "size")
                a.tamanhoKb = v;
            else if (k == "maxsize")
                a.maximoKb = ilimitado ? -1 : v;
            else if (k == "filegrowth") {
                a.crescimento = v;
                a.emPorcentagem = porcento;
            }
        }
        AceitarSimbolo(",");
    }
    EsperarSimbolo(")");
    return a;
}

std::unique_ptr<Comando> Analisador::CriarBanco(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::CriarBanco>(inicio);
    x->objeto.partes.push_back(Nome());
    if (Aceitar("ON")) {
        Aceitar("PRIMARY");
        do {
            x->arquivosDeDados.push_back(Arquivo());
        } while (AceitarSimbolo(","));
    }
    if (Aceitar("LOG")) {
        Esperar("ON");
        do {
            x->arquivosDeLog.push_back(Arquivo());
        } while (AceitarSimbolo(","));
    }
    if (Aceitar("COLLATE")) ColacaoConhecida(Nome());
    i_ = FimDaInstrucao(i_);
    return c;
}

}  // namespace zolvek::simulador
