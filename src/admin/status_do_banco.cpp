#include "admin/status_do_banco.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "comum/erros.hpp"
#include "comum/texto.hpp"

namespace zolvek::admin {

namespace {

const char* const kCrLf = "\r\n";

std::string JuntarLinhas(const std::vector<std::string>& linhas) {
    return texto::Juntar(linhas, kCrLf);
}

// Leaves the dataset closed whatever state it was in; used on the failure paths,
// where the original error is the one that matters.
void FecharSemErro(db::ConjuntoDeDados& conjunto) noexcept {
    try {
        if (conjunto.Estado() == db::EstadoDoConjunto::Editando ||
            conjunto.Estado() == db::EstadoDoConjunto::Inserindo)
            conjunto.Cancelar();
    } catch (...) {
    }
    try {
        conjunto.Fechar();
    } catch (...) {
    }
}

void AbrirParaEditar(db::Consulta& consulta, const std::string& sql) {
    consulta.Fechar();
    consulta.DefinirSQL(sql);
    consulta.Abrir();
    consulta.Editar();  // a new row when the table is empty
}

std::string TextoDeDataHora(const db::Campo& campo) {
    return campo.Nulo() ? std::string() : campo.DataEHora().Texto();
}

// Whole seconds since 1899-12-30, leaving out the milliseconds that the texts of the
// two moments do not show either.
long long SegundosDoMomento(const db::DataHora& d) {
    const db::DataHora dia{d.ano, d.mes, d.dia, 0, 0, 0, 0};
    return std::llround(dia.ComoDias()) * 86400LL + d.hora * 3600LL + d.minuto * 60LL + d.segundo;
}

// "hh:nn:ss" of the time between the two, counting whole hours past a day; empty
// while either moment is missing (an analysis still running has no end).
std::string TextoDaDuracao(const db::Campo& inicio, const db::Campo& final) {
    if (inicio.Nulo() || final.Nulo()) return "";
    const long long diferenca =
        SegundosDoMomento(final.DataEHora()) - SegundosDoMomento(inicio.DataEHora());
    const long long segundos = diferenca < 0 ? -diferenca : diferenca;
    char texto[48];
    std::snprintf(texto, sizeof texto, "%s%02lld:%02lld:%02lld", diferenca < 0 ? "-" : "",
                  segundos / 3600, segundos / 60 % 60, segundos % 60);
    return texto;
}

std::string PerguntaDeFalha(const std::string& inicio, const std::string& erro) {
    return inicio +
           ", o 'Analisar' poderá ser executado normalmente mas favor informar este problema ao "
           "suporte" +
           kCrLf + kCrLf + "Descrição do erro: " + erro + kCrLf + kCrLf +
           "Voce quer continuar a execução ?";
}

void PerguntarSeContinua(InterfaceDoComando& interface, const std::string& texto) {
    if (interface.Perguntar("Atenção", texto, Botoes::SimNao, Resposta::Nao) != Resposta::Sim)
        throw Cancelamento();
}

// Runs one step of the bookkeeping. A failure closes the query and asks whether the
// analysis goes on; a cancel closes it too and passes through.
template <typename Passo>
void ExecutarOuPerguntar(db::Consulta& consulta, InterfaceDoComando& interface, const char* falha,
                         Passo passo) {
    try {
        passo();
    } catch (const Cancelamento&) {
        FecharSemErro(consulta);
        throw;
    } catch (const Erro& e) {
        FecharSemErro(consulta);
        PerguntarSeContinua(interface, PerguntaDeFalha(falha, e.what()));
    }
}

void RegistrarQuemEQuando(db::TModuloDados& modulo, db::Consulta& consulta,
                          InterfaceDoComando& interface, const char* colunaDaHora,
                          const char* colunaDoNome) {
    try {
        AbrirParaEditar(consulta, "select * from StatusBD(NOLOCK)");
        consulta.CampoPorNome(colunaDaHora)
            .DefinirDataHora(HoraDoServidorOuLocal(modulo, interface));
        consulta.CampoPorNome(colunaDoNome).DefinirTexto(modulo.NomeDoUsuario());
        consulta.Gravar();
        consulta.Fechar();
    } catch (...) {
        FecharSemErro(consulta);
        throw;
    }
}

// The row the query stands on, when it says an analysis is still running.
std::optional<AnaliseSemFim> LerAnaliseSemFim(db::Consulta& consulta) {
    const db::Campo* status = consulta.AcharCampo("Status");
    if (!status || status->Texto() != "Em análise...") return std::nullopt;
    AnaliseSemFim anterior;
    if (const db::Campo* inicio = consulta.AcharCampo("Inicio"))
        anterior.inicio = TextoDeDataHora(*inicio);
    if (const db::Campo* operador = consulta.AcharCampo("Operador"))
        anterior.operador = operador->Texto();
    return anterior;
}

// The report of the status row the query stands on (a missing column raises).
void ListarLinhaDeStatus(std::vector<std::string>& linhas, db::Consulta& consulta,
                         const std::string& linhaDaRevisao) {
    linhas.push_back("[Analisar]");
    linhas.push_back(consulta.CampoPorNome("Status").Texto());
    const db::Campo& horaDaLiberacao = consulta.CampoPorNome("Hora da liberação");
    if (!horaDaLiberacao.Nulo())
        linhas.push_back("Liberado por " + consulta.CampoPorNome("Liberado por").Texto() + " em " +
                         TextoDeDataHora(horaDaLiberacao));
    if (const db::Campo* horaDaValidacao = consulta.AcharCampo("Hora da validação");
        horaDaValidacao && !horaDaValidacao->Nulo())
        linhas.push_back("Validado por " + consulta.CampoPorNome("Validado por").Texto() + " em " +
                         TextoDeDataHora(*horaDaValidacao));
    const db::Campo& inicio = consulta.CampoPorNome("Inicio");
    const db::Campo& final = consulta.CampoPorNome("Final");
    linhas.push_back("Início=" + TextoDeDataHora(inicio));
    linhas.push_back("Final=" + TextoDeDataHora(final));
    linhas.push_back("Duração=" + TextoDaDuracao(inicio, final));
    linhas.push_back("Operador=" + consulta.CampoPorNome("Operador").Texto());
    linhas.push_back(linhaDaRevisao);
    linhas.push_back("");

    if (const db::Campo& erros = consulta.CampoPorNome("Erros"); !erros.Nulo()) {
        std::string texto = erros.Texto();
        if (texto.size() >= 2 && texto.compare(texto.size() - 2, 2, kCrLf) == 0)
            texto.resize(texto.size() - 2);
        if (!texto.empty()) linhas.push_back(texto);
    }
    linhas.push_back("Parâmetros utilizados:");
    linhas.push_back(consulta.CampoPorNome("Parâmetros").Texto());
    if (const db::Campo& procedimentos = consulta.CampoPorNome("Procedimentos");
        !procedimentos.Nulo()) {
        linhas.push_back("Procedimentos internos:");
        linhas.push_back(procedimentos.Texto());
    } else {
        linhas.push_back("Não há Procedimentos internos");
    }
}

}  // namespace

std::string MontarTextoDeErros(const std::vector<LinhaDeErro>& erros) {
    if (erros.empty()) return "";
    std::string texto;
    for (std::size_t i = 0; i < erros.size(); ++i) {
        const LinhaDeErro& e = erros[i];
        texto += "Erro " + std::to_string(i + 1) + " " + std::string(81, '-') + kCrLf;
        texto += "Tabela=" + e.tabela + kCrLf;
        texto += "Campo=" + e.campo + kCrLf;
        texto += "Função=" + e.funcao + kCrLf;
        texto += "Descrição=" + e.descricao + kCrLf;
        texto += "Comando=" + e.comando + kCrLf;
    }
    texto += std::string(90, '-') + kCrLf;
    return texto;
}

db::DataHora HoraDoServidorOuLocal(db::TModuloDados& modulo, InterfaceDoComando& interface) {
    try {
        return modulo.DataHoraDoServidor();
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        interface.Mostrar(TipoDeMensagem::Erro, e.what());
        return db::DataHora::Agora();
    }
}

std::optional<AnaliseSemFim> ConsultarAnaliseSemFim(db::Consulta& consulta) {
    std::optional<AnaliseSemFim> anterior;
    try {
        consulta.Fechar();
        consulta.DefinirSQL("select * from StatusBD");
        consulta.Abrir();
        anterior = LerAnaliseSemFim(consulta);
    } catch (const ErroDeBanco&) {
    }
    FecharSemErro(consulta);
    return anterior;
}

std::optional<AnaliseSemFim> RegistrarInicioDaAnalise(db::TModuloDados& modulo,
                                                      const std::vector<std::string>& parametros,
                                                      db::Consulta& consulta,
                                                      InterfaceDoComando& interface) {
    std::optional<AnaliseSemFim> anterior;
    ExecutarOuPerguntar(
        consulta, interface, "Erro ao limpar registros de análise em 'StatusBD'", [&] {
            AbrirParaEditar(consulta, "select * from StatusBD");
            anterior = LerAnaliseSemFim(consulta);
            // Older databases lack some of the columns: only those present are written.
            auto definir = [&](const char* nome, db::Valor valor) {
                if (db::Campo* campo = consulta.AcharCampo(nome))
                    campo->DefinirValor(std::move(valor));
            };
            definir("Inicio", HoraDoServidorOuLocal(modulo, interface));
            definir("Final", std::monostate{});
            definir("Operador", modulo.NomeDoUsuario());
            definir("Parâmetros", JuntarLinhas(parametros));
            if (db::Campo* procedimentos = consulta.AcharCampo("Procedimentos")) {
                procedimentos->Limpar();
                // A blank script means no internal procedures: the column stays empty.
                if (db::Campo* script = modulo.Parametros.AcharCampo("Script"))
                    if (auto aparado = texto::Aparar(script->Texto()); !aparado.empty())
                        procedimentos->DefinirTexto(aparado);
            }
            definir("Status", std::string("Em análise..."));
            for (const char* nome : {"Erros", "Hora da liberação", "Liberado por",
                                     "Hora da validação", "Validado por"})
                definir(nome, std::monostate{});
            consulta.Gravar();
            consulta.Fechar();
        });
    ExecutarOuPerguntar(consulta, interface, "Erro ao registrar início de análise em 'PEMPRESA'",
                        [&] {
                            consulta.Fechar();
                            consulta.DefinirSQL("update PEMPRESA set RevisaoDoBD=NULL");
                            consulta.Executar();
                            consulta.Fechar();
                        });
    return anterior;
}

void RegistrarFimDaAnalise(db::TModuloDados& modulo, const db::DataHora& inicio,
                           const std::string& status, const std::vector<std::string>& parametros,
                           const std::vector<LinhaDeErro>& erros, db::Consulta& consulta,
                           InterfaceDoComando& interface) {
    try {
        AbrirParaEditar(consulta, "select * from StatusBD");
        consulta.CampoPorNome("Inicio").DefinirDataHora(inicio);
        consulta.CampoPorNome("Final").DefinirDataHora(HoraDoServidorOuLocal(modulo, interface));
        consulta.CampoPorNome("Operador").DefinirTexto(modulo.NomeDoUsuario());
        consulta.CampoPorNome("Parâmetros").DefinirTexto(JuntarLinhas(parametros));
        // The procedures as they stand after the run, blanks and all.
        db::Campo* script = modulo.Parametros.AcharCampo("Script");
        consulta.CampoPorNome("Procedimentos")
            .DefinirValor(script ? script->Variante() : db::Valor{});
        consulta.CampoPorNome("Status").DefinirTexto(status);
        const std::string textoDeErros = MontarTextoDeErros(erros);
        if (textoDeErros.empty())
            consulta.CampoPorNome("Erros").Limpar();
        else
            consulta.CampoPorNome("Erros").DefinirTexto(textoDeErros);
        consulta.Gravar();
        consulta.Fechar();
    } catch (...) {
        FecharSemErro(consulta);
        throw;
    }
}

void RegistrarLiberacao(db::TModuloDados& modulo, db::Consulta& consulta,
                        InterfaceDoComando& interface) {
    RegistrarQuemEQuando(modulo, consulta, interface, "Hora da liberação", "Liberado por");
}

void RegistrarValidacao(db::TModuloDados& modulo, db::Consulta& consulta,
                        InterfaceDoComando& interface) {
    RegistrarQuemEQuando(modulo, consulta, interface, "Hora da validação", "Validado por");
}

bool ObterStatusDoBanco(db::TModuloDados& modulo, std::vector<std::string>& linhas) {
    if (!modulo.Banco.Aberta()) return true;
    db::Consulta consulta(&modulo.Banco);

    std::string linhaDaRevisao = "Revisão do banco de dados: ";
    try {
        consulta.DefinirSQL("select RevisaoDoBD from PEMPRESA(NOLOCK)");
        consulta.Abrir();
        std::string revisao = consulta.Vazio() ? "" : consulta.CampoPorNome("RevisaoDoBD").Texto();
        linhaDaRevisao += texto::Aparar(revisao).empty() ? "INCONSISTENTE" : revisao;
        consulta.Fechar();
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        linhas.push_back(linhaDaRevisao + "*** Erro ao abrir 'PEMPRESA': " + e.what() + " ***");
        return false;
    }

    try {
        consulta.DefinirSQL("select * from StatusBD(NOLOCK)");
        consulta.Abrir();
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        linhas.push_back(std::string("*** Erro ao abrir 'StatusBD': ") + e.what() + " ***");
        return false;
    }
    if (consulta.Vazio()) {
        linhas.push_back("*** Sem informação sobre o banco de dados ***");
        return false;
    }

    // A missing column (other than the validation pair, which older tables lack) is an
    // error for the caller: the panel stays hidden until a refresh that works.
    ListarLinhaDeStatus(linhas, consulta, linhaDaRevisao);
    consulta.Fechar();
    return true;
}

void ObterParametrosDoBanco(db::TModuloDados& modulo, std::vector<std::string>& linhas) {
    if (!modulo.Banco.Aberta()) return;
    db::Consulta consulta(&modulo.Banco);
    for (const std::string& tabela : texto::Dividir("PEMPRESA,PARFN,PARFROTA,PARHIS", ',')) {
        try {
            ListarParametrosDaTabela(linhas, consulta, tabela);
        } catch (const Cancelamento&) {
            throw;
        } catch (const Erro& e) {
            linhas.push_back("*** Erro ao abrir '" + tabela + "': " + e.what() + " ***");
        }
    }
}

void ListarParametrosDaTabela(std::vector<std::string>& linhas, db::Consulta& consulta,
                              const std::string& tabela) {
    try {
        consulta.Fechar();
        consulta.DefinirSQL("select * from " + tabela + "(NOLOCK)");
        consulta.Abrir();
        if (consulta.Vazio()) {
            linhas.push_back("*** Tabela '" + tabela + "' está vazia ***");
        } else {
            linhas.push_back("Parâmetros de " + tabela + ":" +
                             (consulta.QuantidadeDeRegistros() > 1
                                  ? "*** Tabela contém mais de um registro ***"
                                  : ""));
            ListarCamposDosRegistros(linhas, consulta);
        }
        consulta.Fechar();
    } catch (...) {
        FecharSemErro(consulta);
        throw;
    }
}

void ListarCamposDosRegistros(std::vector<std::string>& linhas, db::ConjuntoDeDados& conjunto) {
    std::vector<std::string> campos;
    for (conjunto.Primeiro(); !conjunto.Fim(); conjunto.Proximo()) {
        for (const db::Campo& campo : conjunto.Campos()) {
            if (campo.Nome() == "Script") continue;
            campos.push_back(campo.Nome() + "=" + (campo.EhBlob() ? "<Blob>" : campo.Texto()));
        }
    }
    std::stable_sort(campos.begin(), campos.end(), [](const std::string& a, const std::string& b) {
        return texto::CompararSemCaixa(a, b) < 0;
    });
    linhas.push_back(JuntarLinhas(campos));
}

}  // namespace zolvek::admin
