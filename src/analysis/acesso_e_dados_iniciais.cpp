#include "analysis/passos_da_analise.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

namespace {

const char* const kFeriados[] = {
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20000101','Confraternização "
    "Universal','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20000421','Tiradentes','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20000501','Dia do Trabalho','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20000907','Independência do Brasil','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20001012','N. Sra. Aparecida','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20001102','Finados','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20001115','Proclamação da República','S')",
    "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES ('20001225','Natal','S')",
};

const char* const kIntMan[] = {
    "INSERT INTO IntMan (Ordem,Descrição,Tipo,Compartimento) VALUES ('1','Revisão','Genérica','N')",
    "INSERT INTO IntMan (Ordem,Descrição,Tipo,Compartimento) VALUES "
    "('2','Lubrificação','Genérica','N')",
    "INSERT INTO IntMan (Ordem,Descrição,Tipo,Compartimento) VALUES ('3','Troca de "
    "óleo','Óleo','S')",
    "INSERT INTO IntMan (Ordem,Descrição,Tipo,Compartimento) VALUES ('4','Troca de "
    "filtro','Filtro','S')",
};

const char* const kSeqMan[] = {
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',125)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',250)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',500)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',1000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',2000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',5000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Hora',10000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Km',4000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Km',8000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Km',16000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Km',32000)",
    "INSERT INTO SeqMan (Nome,Intervalo) VALUES ('Km',64000)",
};

template <std::size_t N>
void ExecutarTodos(ContextoDaAnalise& c, const char* const (&comandos)[N]) {
    for (const char* sql : comandos) c.Executar(sql);
}

}  // namespace

void AcessoUnico(ContextoDaAnalise& c, bool bloquear) {
    try {
        c.Executar(db::AlterarBanco(c.NomeDoBanco, "SET SINGLE_USER"));
    } catch (const ErroDeBanco& e) {
        const Resposta r = c.Interface.Perguntar(
            "Atenção",
            std::string("Ocorreu o seguinte erro ao tentar acesso único ao banco de dados: ") +
                e.what() +
                ". Para executar esta rotina não deve haver outro usuário conectado. Será exibida "
                "uma lista com todos os usuários ativos caso seja esta a causa do erro",
            Botoes::OkCancelar, Resposta::Ok);
        if (r == Resposta::Ok) c.Interface.MostrarUsuariosAtivos(c.NomeDoBanco);
        throw Cancelamento();
    }
    if (!bloquear) c.Executar(db::AlterarBanco(c.NomeDoBanco, "SET MULTI_USER"));
}

void ConferirAcessoUnicoAoFim(ContextoDaAnalise& c) {
    bool unico = false;
    try {
        c.Executar(db::AlterarBanco(c.NomeDoBanco, "SET SINGLE_USER"));
        unico = true;
        c.Executar(db::AlterarBanco(c.NomeDoBanco, "SET MULTI_USER"));
    } catch (const ErroDeBanco& e) {
        const std::string erro = std::string(e.what()) + ". A execução já está registrada";
        c.Interface.Mostrar(
            TipoDeMensagem::Atencao,
            unico ? "Ocorreu o seguinte erro ao liberar o banco de dados ao fim da análise: " +
                        erro + "; o banco de dados ficou em acesso único e precisa ser liberado"
                  : "Ocorreu o seguinte erro ao tentar acesso único ao banco de dados ao fim da "
                    "análise: " +
                        erro + " e o banco de dados continua liberado para os outros usuários");
    }
}

void InserirDadosIniciais(ContextoDaAnalise& c, const dicionario::TabelaDic& t) {
    if (texto::IguaisSemCaixa(t.Nome, "FERIADOS"))
        ExecutarTodos(c, kFeriados);
    else if (texto::IguaisSemCaixa(t.Nome, "IntMan"))
        ExecutarTodos(c, kIntMan);
    else if (texto::IguaisSemCaixa(t.Nome, "SeqMan"))
        ExecutarTodos(c, kSeqMan);
}

void ConcederAcesso(ContextoDaAnalise& c, const dicionario::TabelaDic& t,
                    const std::string& grupo) {
    // The group is a name like any other: blanks around it were never part of it.
    const std::string principal = texto::Aparar(grupo);
    if (t.Restrita || principal.empty()) return;
    c.Executar("GRANT SELECT,INSERT,UPDATE,DELETE ON " + db::EntreColchetes(t.Nome) + " TO " +
               db::EntreColchetes(principal));
}

void CriarLinhasDeParametro(ContextoDaAnalise& c) {
    for (const std::string& x : c.TabelasDeParametro) {
        if (c.Cancelado()) return;
        const std::string sql = "if not exists (select * from " + db::EntreColchetes(x) +
                                ") INSERT INTO " + db::EntreColchetes(x) + " DEFAULT VALUES";
        try {
            c.Executar(sql);
        } catch (const ErroDeBanco& e) {
            c.AdicionarErro(x, "", "", e.what(), sql);
        }
    }
}

}  // namespace zolvek::analysis
