#include "analysis/registro_da_execucao.hpp"

#include "admin/revisao_do_banco.hpp"
#include "admin/status_do_banco.hpp"
#include "analysis/passos_da_analise.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

namespace {

bool PadraoMinimo(const OpcoesDaAnalise& o) {
    return o.VerificarEstrutura && o.GerarIndices && o.CriarRelacionamentos && o.CriarChecks &&
           o.CriarDefault && o.CriarProcedimentos;
}

}  // namespace

void ReabrirParametrosSemErro(db::TModuloDados& modulo) {
    try {
        modulo.Parametros.Fechar();
        modulo.AbrirParametros();
    } catch (const Erro&) {
    }
}

void AvisarReparo(ContextoDaAnalise& c, const std::optional<admin::AnaliseSemFim>& anterior) {
    if (!anterior) return;
    c.RefazerTodasAsTabelas = true;
    std::string quando;
    if (!anterior->inicio.empty()) quando += ", iniciada em " + anterior->inicio;
    if (!anterior->operador.empty()) quando += " por " + anterior->operador;
    c.Interface.Mostrar(TipoDeMensagem::Informacao,
                        "A análise anterior deste banco de dados" + quando +
                            ", não registrou o seu fim: pode ter parado com chaves, índices, "
                            "valores padrão ou validações de uma tabela removidos. Todas as "
                            "tabelas serão processadas nesta execução.");
}

ResultadoDaAnalise ClassificarExecucao(ContextoDaAnalise& c, bool gravarRevisao) {
    ResultadoDaAnalise r;
    const std::string erros = std::to_string(c.Erros().size());
    r.Complemento =
        "Dicionário de dados revisão " + std::to_string(c.Dicionario.RevisaoDoDicionario());
    if (c.FoiCancelado()) {
        r.classificacao = ClassificacaoDaAnalise::Cancelada;
        r.Complemento += ", cancelado, " + erros + " erro(s)";
        return r;
    }
    c.CompletarBarra();
    if (!c.Erros().empty()) {
        r.classificacao = ClassificacaoDaAnalise::ComErros;
        r.Complemento += ", executado até o fim com " + erros + " erro(s)";
    } else if (PadraoMinimo(c.Opcoes)) {
        if (gravarRevisao)
            admin::AtualizarRevisaoDoBanco(c.Trabalho, c.Dicionario.RevisaoDoDicionario(),
                                           c.NomeDoBanco);
        r.classificacao = ClassificacaoDaAnalise::Sucesso;
        r.Complemento += ", executado com sucesso";
    } else {
        r.classificacao = ClassificacaoDaAnalise::ForaDoPadrao;
        r.Complemento += ", executado fora do padrão mínimo necessário";
    }
    return r;
}

void RegistrarExecucao(ContextoDaAnalise& c, const db::DataHora& inicio,
                       const std::string& complemento) {
    if (c.Opcoes.NaoBloquear) AcessoUnico(c, false);
    const std::string sql =
        "insert into RegMov (Hora, Operador, Tipo, Complemento) values (getdate(), "
        "suser_sname(), 'Analisar', " +
        db::EntreApostrofos(complemento) + ")";
    try {
        c.Executar(sql);
    } catch (const ErroDeBanco& e) {
        c.AdicionarErro("REGMOV", "", "", e.what(), sql);
        return;
    }
    try {
        c.Modulo.Parametros.Fechar();
        c.Modulo.AbrirParametros();
        admin::RegistrarFimDaAnalise(c.Modulo, inicio, complemento, c.ListaDeOpcoes, c.Erros(),
                                     c.Trabalho, c.Interface);
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        c.AdicionarErro("StatusBD", "", "", e.what(), c.Trabalho.TextoSQL());
    }
}

}  // namespace zolvek::analysis
