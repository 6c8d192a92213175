#include "simulador/motor/catalogo/visoes.hpp"

#include <algorithm>
#include <set>

#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/catalogo/textos_das_visoes.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/leitura/parametros_dos_modulos.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_dos_tipos.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// zv_linhas(object_id): the rows of a table, for sysindexes.rows and rowcnt (SQL Server
// repeats the table's count on every index row).
void ContarLinhas(sqlite3_context* c, int, sqlite3_value** a) {
    sqlite3* db = sqlite3_context_db_handle(c);
    try {
        Instrucao nome(db, "SELECT nome FROM main.zv_objetos WHERE id = ? AND tipo = 'U'");
        nome.Ligar(1, sqlite3_value_int64(a[0]));
        if (!nome.Passo()) return sqlite3_result_int64(c, 0);
        Instrucao n(db, "SELECT count(*) FROM main." + IdentificadorNoSqlite(nome.Texto(0)));
        n.Passo();
        sqlite3_result_int64(c, n.Inteiro(0));
    } catch (const ErroDeBanco& e) {
        GuardarErroDeFuncao(e);  // the statement fails with this error, its number kept
        sqlite3_result_error(c, e.what(), -1);
    } catch (const std::exception& e) {
        sqlite3_result_error(c, e.what(), -1);
    }
}

// zv_menciona(texto, 'A B'): whether the T-SQL text names A and then B, word by word
// (names and keywords, not the insides of comments or literals).
void Menciona(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_int(c, 0);
    try {
        const auto palavras = Tokenizar(reinterpret_cast<const char*>(sqlite3_value_text(a[1])));
        const auto tokens = Tokenizar(reinterpret_cast<const char*>(sqlite3_value_text(a[0])));
        for (std::size_t i = 0; i + palavras.size() <= tokens.size(); ++i) {
            std::size_t k = 0;
            while (k < palavras.size() && EhNome(tokens[i + k]) &&
                   IguaisCiAs(tokens[i + k].texto, palavras[k].texto))
                ++k;
            if (k == palavras.size()) return sqlite3_result_int(c, 1);
        }
    } catch (const std::exception&) {
        // a text the lexer refuses names nothing
    }
    sqlite3_result_int(c, 0);
}

// The type after RETURNS in a function's text ("varchar(10)"); "TABLE" for a table
// function.
std::string TextoDoRetorno(const std::string& texto) {
    const auto tokens = Tokenizar(texto);
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (!EhPalavra(tokens[i], "RETURNS")) continue;
        const Token& t = tokens[i + 1];
        if (t.tipo == TipoToken::Variavel || EhPalavra(t, "TABLE")) return "TABLE";
        std::string tipo = t.texto;
        if (i + 2 < tokens.size() && EhSimbolo(tokens[i + 2], "("))
            for (std::size_t k = i + 2; k < tokens.size(); ++k) {
                tipo += tokens[k].texto;
                if (EhSimbolo(tokens[k], ")")) break;
            }
        return tipo;
    }
    return "";
}

// zv_retorno(texto, campo): what INFORMATION_SCHEMA.ROUTINES shows of a function's
// return type, in the fields of the engine's columns (tipo, xtype, tamanho ...).
void Retorno(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string texto;
    try {
        texto = TextoDoRetorno(reinterpret_cast<const char*>(sqlite3_value_text(a[0])));
    } catch (const std::exception&) {
        return sqlite3_result_null(c);
    }
    const std::string campo = reinterpret_cast<const char*>(sqlite3_value_text(a[1]));
    auto resultado = [&](const std::string& s) {
        sqlite3_result_text(c, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    };
    if (texto == "TABLE") return campo == "tipo" ? resultado(texto) : sqlite3_result_null(c);
    auto tipo = LerTextoDeTipo(texto);
    if (!tipo) return sqlite3_result_null(c);
    if (texto.find('(') == std::string::npos && EhTexto(tipo->base) && tipo->tamanho == 0)
        tipo->tamanho = 1;  // varchar alone is varchar(1) where it declares
    if (campo == "tipo") return resultado(NomeDoTipo(tipo->base));
    if (campo == "xtype") return sqlite3_result_int(c, XType(tipo->base));
    if (campo == "tamanho") return sqlite3_result_int(c, tipo->tamanho);
    if (campo == "comprimento") return sqlite3_result_int(c, ComprimentoEmBytes(*tipo));
    const auto n = campo == "prec_num" ? PrecisaoNumerica(*tipo) : EscalaNumerica(*tipo);
    if (!n) return sqlite3_result_null(c);
    sqlite3_result_int(c, *n);
}

// zv_parametros(texto): the parameters of a procedure or function, as JSON for json_each.
void Parametros(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL)
        return sqlite3_result_text(c, "[]", 2, SQLITE_STATIC);
    try {
        const std::string json =
            ParametrosComoJson(reinterpret_cast<const char*>(sqlite3_value_text(a[0])));
        sqlite3_result_text(c, json.c_str(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
    } catch (const ErroDeBanco& e) {  // never a module shown without its parameters
        GuardarErroDeFuncao(e);
        sqlite3_result_error(c, e.what(), -1);
    } catch (const std::exception& e) {
        sqlite3_result_error(c, e.what(), -1);
    }
}

}  // namespace

bool CriarVisoesDeChavesQueFaltam(sqlite3* db, std::string_view faltando) {
    static const std::set<std::string> nomes = NomesDasVisoes(kVisoesDeChavesEModulos);
    if (faltando.substr(0, 5) == "temp." || faltando.substr(0, 5) == "main.")
        faltando.remove_prefix(5);
    if (!nomes.count(std::string(faltando))) return false;
    Instrucao q(db, "SELECT 1 FROM sqlite_temp_master WHERE name = 'zv_listas_de_colunas'");
    if (q.Passo()) return false;
    sqlite3_create_function_v2(db, "zv_menciona", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               Menciona, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "zv_retorno", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               Retorno, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "zv_parametros", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               Parametros, nullptr, nullptr, nullptr);
    ExecutarSql(db, kVisoesDeChavesEModulos);
    return true;
}

void CriarVisoesDoCatalogo(sqlite3* db) {
    sqlite3_create_function_v2(db, "zv_linhas", 1, SQLITE_UTF8, nullptr, ContarLinhas, nullptr,
                               nullptr, nullptr);
    ExecutarSql(db, kVisoes);
    Instrucao ins(db,
                  "INSERT INTO zv_systypes VALUES (?,?,0,?,?,?,?,0,0,4,0,0,?,?,1,?,NULL,?,?,?)");
    for (const TipoDoServidor& r : TiposDoServidor()) {
        // each type at its longest
        TipoSql t;
        t.base = r.base;
        t.tamanho = r.maiorTamanho;
        if (r.familia == FamiliaDoTipo::Decimal) t.precisao = t.escala = 38;
        sqlite3_reset(ins.Bruta());
        const int x = r.xtype;
        ins.Ligar(1, std::string(r.nome)).Ligar(2, x).Ligar(3, x).Ligar(4, ComprimentoEmBytes(t));
        ins.Ligar(5, PrecisaoNumerica(t).value_or(0)).Ligar(6, EscalaNumerica(t).value_or(0));
        ins.Ligar(7, x).Ligar(8, r.variavel ? 1 : 0).Ligar(9, x).Ligar(10, PrecisaoDoCatalogo(t));
        ins.Ligar(11, EscalaDoCatalogo(t));
        if (r.comColacao)
            ins.Ligar(12, std::string("Latin1_General_CI_AS"));
        else
            ins.LigarNulo(12);
        ins.Executar();
    }
    // sysname is nvarchar(128) under its own user type.
    ExecutarSql(db,
                "INSERT INTO zv_systypes SELECT 'sysname', 231, 0, 256, 256, 0, 0, 0, 0, 4, 0, 0, "
                "256, 1, 0, 231, NULL, 128, 0, 'Latin1_General_CI_AS'");
}

void PreencherProcessos(sqlite3* db, const std::vector<InfoDaSessao>& sessoes) {
    ExecutarSql(db, "DELETE FROM temp.zv_sysprocesses");
    Instrucao ins(
        db,
        "INSERT INTO temp.zv_sysprocesses(spid, kpid, blocked, waittime, dbid, uid, cpu, "
        "physical_io, memusage, login_time, last_batch, ecid, open_tran, status, hostname, "
        "program_name, hostprocess, cmd, nt_domain, nt_username, net_address, net_library, "
        "loginame) VALUES (?,0,0,0,?,1,0,0,0,?,?,0,0,?,?,?,?,'AWAITING "
        "COMMAND','','','','TCP/IP',?)");
    for (const auto& s : sessoes) {
        sqlite3_reset(ins.Bruta());
        ins.Ligar(1, s.spid).Ligar(2, s.idDoBanco).Ligar(3, FormatarDataHora(s.horaDoLogin));
        ins.Ligar(4, FormatarDataHora(s.ultimoLote)).Ligar(5, s.status).Ligar(6, s.host);
        ins.Ligar(7, s.programa).Ligar(8, std::to_string(s.pid)).Ligar(9, s.login);
        ins.Executar();
    }
}

namespace {

// A login's sid: sa's is 0x01; the others', 16 bytes made of its row, unique on the server.
std::string SidDoLogin(const Login& l) {
    if (l.nome == "sa") return std::string(1, '\x01');
    std::string sid(16, '\0');
    for (int k = 0; k < 8; ++k) sid[15 - k] = static_cast<char>((l.id >> (8 * k)) & 0xff);
    sid[0] = '\x5a';
    return sid;
}

}  // namespace

void PreencherLogins(sqlite3* db, const std::vector<Login>& logins, const std::string& quemPede,
                     bool sysadmin) {
    ExecutarSql(db, "DELETE FROM temp.zv_logins");
    Instrucao ins(db, "INSERT INTO temp.zv_logins VALUES (?,?,?,?,?,?,?,?)");
    for (const auto& l : logins) {
        // another login sees itself, sa and the roles
        if (!sysadmin && l.nome != "sa" && !IguaisCiAs(l.nome, quemPede)) continue;
        sqlite3_reset(ins.Bruta());
        const std::string sid = SidDoLogin(l);
        ins.Ligar(1, l.nome).Ligar(2, l.nome == "sa" ? std::int64_t{1} : 256 + l.id);
        sqlite3_bind_blob(ins.Bruta(), 3, sid.data(), static_cast<int>(sid.size()),
                          SQLITE_TRANSIENT);
        ins.Ligar(4, std::string(l.integrado ? "U" : "S")).Ligar(5, l.sysadmin ? 1 : 0);
        ins.Ligar(6, l.desabilitado ? 1 : 0).Ligar(7, FormatarDataHora(l.criacao));
        ins.Ligar(8, l.bancoPadrao);
        ins.Executar();
    }
}

std::string NomeDoModeloDeRecuperacao(const InfoDoBanco& b) {
    auto ligada = [&](const char* opcao) {
        return std::find(b.opcoesLigadas.begin(), b.opcoesLigadas.end(), opcao) !=
               b.opcoesLigadas.end();
    };
    // "trunc. log on chkpt." is the simple recovery model, "select into/bulkcopy" alone
    // the bulk-logged one
    if (ligada("trunc. log on chkpt.")) return "SIMPLE";
    if (ligada("select into/bulkcopy")) return "BULK_LOGGED";
    return "FULL";
}

namespace {

// 8 KB pages, rounded up, of a size in KB.
std::int64_t Paginas(std::int64_t kb) {
    return (kb + 7) / 8;
}

void PreencherArquivos(sqlite3* db, const std::vector<InfoDoBanco>& bancos) {
    ExecutarSql(db, "DELETE FROM temp.zv_arquivos");
    Instrucao ins(db, "INSERT INTO temp.zv_arquivos VALUES (?,?,?,?,?,?,?,?,?)");
    for (const auto& b : bancos)
        for (const auto& a : b.arquivos) {
            sqlite3_reset(ins.Bruta());
            ins.Ligar(1, b.id).Ligar(2, a.id).Ligar(3, a.tipo == 'L' ? 1 : 0);
            ins.Ligar(4, a.nomeLogico).Ligar(5, a.nomeFisico).Ligar(6, Paginas(a.tamanhoKb));
            ins.Ligar(7, a.tamanhoMaximoKb < 0 ? -1 : Paginas(a.tamanhoMaximoKb));
            ins.Ligar(8, a.crescimentoEmPorcentagem ? a.crescimento : Paginas(a.crescimento));
            ins.Ligar(9, a.crescimentoEmPorcentagem ? 1 : 0);
            ins.Executar();
        }
}

}  // namespace

void PreencherBancos(sqlite3* db, const std::vector<InfoDoBanco>& bancos) {
    PreencherArquivos(db, bancos);
    ExecutarSql(db, "DELETE FROM temp.zv_sys_databases");
    Instrucao ins(
        db,
        "INSERT INTO temp.zv_sys_databases VALUES (?,?,NULL,NULL,?,110,'Latin1_General_CI_AS',"
        "?,?,0,?,?,?,?,1,?)");  // readers never wait for writers: READ_COMMITTED_SNAPSHOT
    for (const auto& b : bancos) {
        const std::string nomeDoModelo = NomeDoModeloDeRecuperacao(b);
        const int modelo = nomeDoModelo == "SIMPLE" ? 3 : nomeDoModelo == "BULK_LOGGED" ? 2 : 1;
        auto ligada = [&](const char* opcao) {
            return std::find(b.opcoesLigadas.begin(), b.opcoesLigadas.end(), opcao) !=
                   b.opcoesLigadas.end();
        };
        sqlite3_reset(ins.Bruta());
        ins.Ligar(1, b.nome).Ligar(2, b.id).Ligar(3, FormatarDataHora(b.criacao));
        ins.Ligar(4, b.usuarioUnico ? 1 : 0)
            .Ligar(5, std::string(b.usuarioUnico ? "SINGLE_USER" : "MULTI_USER"));
        ins.Ligar(6, b.estado == "ONLINE" ? 0 : 1).Ligar(7, b.estado);
        ins.Ligar(8, modelo).Ligar(9, nomeDoModelo);
        ins.Ligar(10, ligada("autoshrink") ? 1 : 0);
        ins.Executar();
    }
}

}  // namespace zolvek::simulador
