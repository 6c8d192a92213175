// BACKUP DATABASE, RESTORE FILELISTONLY, RESTORE VERIFYONLY and RESTORE DATABASE.

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/instrucoes_do_servidor.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

// A file's UniqueId: the same for the same database and logical name.
std::string GuidDoArquivo(const std::string& banco, const std::string& nomeLogico) {
    std::uint64_t h = 1469598103934665603ull;
    for (char ch : Dobrar(banco) + "|" + Dobrar(nomeLogico)) {
        h ^= static_cast<unsigned char>(ch);
        h *= 1099511628211ull;
    }
    static const char* digitos = "0123456789ABCDEF";
    std::string x;
    for (int i = 0; i < 32; ++i) x += digitos[(h >> ((i * 2) % 64)) & 15];
    return "{" + x.substr(0, 8) + "-" + x.substr(8, 4) + "-" + x.substr(12, 4) + "-" +
           x.substr(16, 4) + "-" + x.substr(20, 12) + "}";
}

// A path or a set's number, as the text the server reads.
std::string TextoDe(Executor& execucao, const ExpressaoLida& e) {
    return ComoTextoDeValor(execucao.Avaliar(e));
}

// WITH FILE = n of RESTORE: the backup set, counted from 1.
int ConjuntoPedido(Executor& execucao, const ExpressaoLida& conjunto) {
    if (conjunto.Vazia()) return 1;
    const std::string texto = TextoDe(execucao, conjunto);
    try {
        std::size_t fim = 0;
        const long long n = std::stoll(texto, &fim);
        if (fim == texto.size() && n >= 0 && n <= 2147483647) return static_cast<int>(n);
    } catch (const std::exception&) {
    }
    throw ErroDoServidor(245, {"varchar", texto, "int"});
}

}  // namespace

// RESTORE FILELISTONLY: one row per file of the set, with SQL Server's columns.
db::Resultado InstrucoesDoServidor::ListaDoBackup(const std::string& disco, int conjunto) {
    db::Resultado r;
    db::Coluna numerico;
    numerico.tipo = db::TipoDeCampo::Float;
    numerico.precisao = 25;
    auto lsn = [&](const char* nome) {
        db::Coluna c = numerico;
        c.nome = nome;
        return c;
    };
    auto guid = [](const char* nome) {
        db::Coluna c;
        c.nome = nome;
        c.tipo = db::TipoDeCampo::Guid;
        return c;
    };
    auto bit = [](const char* nome) {
        db::Coluna c;
        c.nome = nome;
        c.tipo = db::TipoDeCampo::Boolean;
        return c;
    };
    db::Coluna impressao;
    impressao.nome = "TDEThumbprint";
    impressao.tipo = db::TipoDeCampo::Blob;
    impressao.tamanho = 32;
    r.colunas = {TextoDoSistema("LogicalName"),
                 TextoDoSistema("PhysicalName", 260),
                 TextoDoSistema("Type", 1),
                 TextoDoSistema("FileGroupName"),
                 ColunaDoSistema("Size", db::TipoDeCampo::LargeInt),
                 ColunaDoSistema("MaxSize", db::TipoDeCampo::LargeInt),
                 ColunaDoSistema("FileId", db::TipoDeCampo::LargeInt),
                 lsn("CreateLSN"),
                 lsn("DropLSN"),
                 guid("UniqueId"),
                 lsn("ReadOnlyLSN"),
                 lsn("ReadWriteLSN"),
                 ColunaDoSistema("BackupSizeInBytes", db::TipoDeCampo::LargeInt),
                 InteiroDoSistema("SourceBlockSize"),
                 InteiroDoSistema("FileGroupId"),
                 guid("LogGroupGUID"),
                 lsn("DifferentialBaseLSN"),
                 guid("DifferentialBaseGUID"),
                 bit("IsReadOnly"),
                 bit("IsPresent"),
                 impressao};
    Servidor& srv = s_.ServidorAtual();
    const std::string banco = srv.BancoDoBackup(disco, conjunto);
    for (const auto& a : srv.ListarArquivosDoBackup(disco, conjunto)) {
        const bool dados = a.tipo == 'D';
        r.linhas.push_back(
            {a.nomeLogico,
             a.nomeFisico,
             std::string(1, a.tipo),
             a.grupo.empty() ? db::Valor{} : db::Valor{a.grupo},
             static_cast<std::int64_t>(a.tamanhoKb * 1024),
             static_cast<std::int64_t>(a.tamanhoMaximoKb < 0 ? 35184372080640LL
                                                             : a.tamanhoMaximoKb * 1024),
             static_cast<std::int64_t>(a.id),
             db::Decimal{"0"},
             db::Decimal{"0"},
             GuidDoArquivo(banco, a.nomeLogico),
             db::Decimal{"0"},
             db::Decimal{"0"},
             static_cast<std::int64_t>(dados ? a.tamanhoKb * 1024 : 0),
             std::int64_t{512},
             std::int64_t{dados ? 1 : 0},
             db::Valor{},
             db::Decimal{"0"},
             std::string("{00000000-0000-0000-0000-000000000000}"),
             false,
             true,
             db::Valor{}});
    }
    return r;
}

void InstrucoesDoServidor::Rodar(const instrucao::Backup& c) {
    RecusarDentroDeTransacao("BACKUP DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin() && s_.EhMembro("db_owner") != 1)
        throw ErroDoServidor(262, {"BACKUP DATABASE", c.objeto.Nome()});
    const auto modo = c.formatar  ? ModoDaMidia::Formatar
                      : c.iniciar ? ModoDaMidia::Iniciar
                                  : ModoDaMidia::Acrescentar;
    srv.FazerBackup(c.objeto.Nome(), TextoDe(execucao_, c.disco), modo);
}

db::Resultado InstrucoesDoServidor::Rodar(const instrucao::RestaurarLista& c) {
    RecusarDentroDeTransacao("RESTORE FILELIST");
    return ListaDoBackup(TextoDe(execucao_, c.disco), ConjuntoPedido(execucao_, c.conjunto));
}

void InstrucoesDoServidor::Rodar(const instrucao::VerificarBackup& c) {
    RecusarDentroDeTransacao("RESTORE VERIFYONLY");
    s_.ServidorAtual().VerificarBackup(TextoDe(execucao_, c.disco),
                                       ConjuntoPedido(execucao_, c.conjunto));
}

void InstrucoesDoServidor::Rodar(const instrucao::Restaurar& c) {
    RecusarDentroDeTransacao("RESTORE DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin())
        throw ComMensagemSeguinte(ErroDoServidor(262, {"CREATE DATABASE", "master"}), 3013,
                                  {"RESTORE DATABASE"});
    std::vector<Movimento> movs;
    for (const auto& [a, b] : c.movimentos)
        movs.push_back({TextoDe(execucao_, a), TextoDe(execucao_, b)});
    srv.Restaurar(c.objeto.Nome(), TextoDe(execucao_, c.disco), movs, c.substituir,
                  ConjuntoPedido(execucao_, c.conjunto));
}

}  // namespace zolvek::simulador
