#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/conector.hpp"
#include "simulador/tds/bytes.hpp"
#include "simulador/tds/canal.hpp"
#include "simulador/tds/vigia_de_atencao.hpp"

// The state one client's connection keeps once it is logged in, and the requests it
// serves: SQL batches, RPCs and the transaction manager's requests.
namespace zolvek::simulador::tds {

class Resposta;

// A statement of sp_prepare, kept for sp_execute.
struct Preparado {
    std::string texto;
    std::string declaracoes;
};

struct SessaoTds {
    SessaoTds(Canal& c, std::function<void(const std::string&)> r, std::string quem)
        : canal(c), registrar(std::move(r)), cliente(std::move(quem)) {}

    Canal& canal;
    std::function<void(const std::string&)> registrar;
    std::string cliente;  // "address:port", for the log
    std::string cadeia;   // the stand-in connection string of the login
    std::unique_ptr<db::Conector> conector;
    std::string servidor;  // @@SERVERNAME
    std::string versao;    // the product version
    std::string banco;
    std::string idioma;
    std::string login;
    int spid = 0;
    // The transaction the client sees: its descriptor changes at every BEGIN.
    bool emTransacao = false;
    std::uint64_t descritor = 0;
    std::uint64_t proximoDescritor = 1;
    std::map<std::int32_t, Preparado> preparados;
    std::int32_t proximoPreparado = 1;
    bool encerrar = false;  // the session was killed: the connection closes
    // ATTENTION: the watcher of running requests (none: a batch runs to its end, and the
    // DONE_ATTN follows its answer).
    VigiaDeAtencao* vigia = nullptr;
};

// ALL_HEADERS of a request (TDS 7.2 and later): skipped after checking its lengths.
void PularCabecalhos(Leitor& l);

void AtenderLote(SessaoTds& s, const Bytes& dados);
void AtenderRpc(SessaoTds& s, const Bytes& dados);
void AtenderTransacao(SessaoTds& s, const Bytes& dados);

// After a batch or call: ENVCHANGE for a transaction it began, committed or rolled back
// and for a USE; `texto` is what ran (ROLLBACK tells a rollback from a commit).
void InformarMudancas(SessaoTds& s, Resposta& r, const std::string& texto);

// Runs a batch on the stand-in; a failure becomes the ERROR of the answer.
struct Execucao {
    std::vector<db::Resultado> resultados;
    std::vector<db::Mensagem> mensagens;
    std::unique_ptr<ErroDeBanco> erro;
};
Execucao Executar(SessaoTds& s, const std::string& sql, const std::vector<db::Valor>& parametros);
// Results, messages and error of an execution, in the order the server made them.
void EnviarExecucao(Resposta& r, Execucao& x, std::uint8_t tokenDoFim);

// ENVCHANGE of a transaction that began (a new descriptor) or ended.
void AnunciarInicio(SessaoTds& s, Resposta& r);
void AnunciarFim(SessaoTds& s, Resposta& r, bool desfeita);

}  // namespace zolvek::simulador::tds
