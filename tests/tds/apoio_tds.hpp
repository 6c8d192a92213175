#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "simulador/tds/bytes.hpp"
#include "simulador/tds/prelogin.hpp"
#include "simulador/tds/servidor_tds.hpp"

// A TDS listener of the test on a folder of its own, with its log kept for the checks,
// and a raw client that sends whatever bytes a test wants.
namespace zolvek::simulador::tds::teste {

class ServidorDeTeste {
  public:
    explicit ServidorDeTeste(const std::string& certificado = "", const std::string& chave = "") {
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_tds_XXXXXX").string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
        pasta_ = modelo;
        OpcoesDoServidorTds opcoes;
        opcoes.pasta = (pasta_ / "servidor").string();
        opcoes.porta = 0;
        opcoes.certificado = certificado;
        opcoes.chave = chave;
        opcoes.limiteDaMensagem = 8u << 20;
        opcoes.registrar = [this](const std::string& linha) {
            std::lock_guard trava(mutex_);
            log_.push_back(linha);
            chegou_.notify_all();
        };
        servidor_ = std::make_unique<ServidorTds>(opcoes);
        servidor_->Iniciar();
        Sql("CREATE DATABASE Teste", "master");
        Sql("CREATE TABLE T (n int)");
    }
    ~ServidorDeTeste() {
        servidor_.reset();
        std::error_code e;
        std::filesystem::remove_all(pasta_, e);
    }

    int Porta() const { return servidor_->Porta(); }
    const std::filesystem::path& Pasta() const { return pasta_; }

    std::string Cadeia(const std::string& banco = "Teste") const {
        return "Provider=SQLOLEDB.1;Data Source=127.0.0.1," + std::to_string(Porta()) +
               ";Initial Catalog=" + banco + ";User ID=sa;Password=";
    }

    // One statement through ODBC on a connection of its own; the first value as text.
    std::string Sql(const std::string& sql, const std::string& banco = "Teste") const {
        db::Conexao c;
        c.DefinirStringDeConexao(Cadeia(banco));
        c.Abrir();
        db::Consulta q(&c);
        q.DefinirSQL(sql);
        if (sql.rfind("select", 0) != 0 && sql.rfind("SELECT", 0) != 0) {
            q.Executar();
            return "";
        }
        q.Abrir();
        return q.Campos().at(0).Texto();
    }

    // Waits (at most 20 s) for a line of the log that holds every part given.
    bool EsperarLinha(const std::vector<std::string>& partes) {
        std::unique_lock trava(mutex_);
        return chegou_.wait_for(trava, std::chrono::seconds(20), [&] {
            for (const auto& l : log_) {
                bool todas = true;
                for (const auto& p : partes) todas = todas && l.find(p) != std::string::npos;
                if (todas) return true;
            }
            return false;
        });
    }
    std::string Log() {
        std::lock_guard trava(mutex_);
        std::string s;
        for (const auto& l : log_) s += l + "\n";
        return s;
    }

  private:
    std::filesystem::path pasta_;
    std::unique_ptr<ServidorTds> servidor_;
    std::mutex mutex_;
    std::condition_variable chegou_;
    std::vector<std::string> log_;
};

// Packets as the test builds them: no checks, no retries.
class ClienteCru {
  public:
    explicit ClienteCru(int porta) {
        s_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(porta));
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        if (::connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            throw std::runtime_error("não conectou");
    }
    ~ClienteCru() { Fechar(); }
    void Fechar() {
        if (s_ >= 0) ::close(s_);
        s_ = -1;
    }

    void Bruto(const Bytes& b) { (void)::send(s_, b.data(), b.size(), MSG_NOSIGNAL); }
    void Pacote(std::uint8_t tipo, const Bytes& corpo, bool ultimo = true) {
        Bytes p = {tipo,
                   static_cast<std::uint8_t>(ultimo ? 1 : 0),
                   static_cast<std::uint8_t>((corpo.size() + 8) >> 8),
                   static_cast<std::uint8_t>(corpo.size() + 8),
                   0,
                   0,
                   1,
                   0};
        p.insert(p.end(), corpo.begin(), corpo.end());
        Bruto(p);
    }
    // One whole message of the server; false when it closed the connection instead.
    bool Ler(Bytes& mensagem) {
        mensagem.clear();
        while (true) {
            std::uint8_t cab[8];
            if (!Receber(cab, 8)) return false;
            const std::size_t n = static_cast<std::size_t>(cab[2] << 8 | cab[3]) - 8;
            const std::size_t antes = mensagem.size();
            mensagem.resize(antes + n);
            if (n && !Receber(mensagem.data() + antes, n)) return false;
            if (cab[1] & 1) return true;
        }
    }
    // True when the server closes the connection (within 20 s) without sending more.
    bool FechadaPeloServidor() {
        pollfd p{s_, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) return false;
        char c;
        return ::recv(s_, &c, 1, 0) <= 0;
    }
    // PRELOGIN and LOGIN7 of sa on Teste; true when the login was acknowledged.
    bool Entrar() {
        Pacote(0x12, MontarPrelogin("11.0.0", kCriptografiaSemSuporte));
        Bytes r;
        if (!Ler(r)) return false;
        Pacote(0x10, Login7("sa", "", "Teste"));
        return Ler(r) && std::find(r.begin(), r.end(), 0xAD) != r.end();
    }

    static Bytes Login7(const std::string& usuario, const std::string& senha,
                        const std::string& banco) {
        Escritor e;
        e.U32(0);  // length, below
        e.U32(0x74000004);
        e.U32(4096);
        for (int i = 0; i < 3; ++i) e.U32(0);
        e.U8(0);
        e.U8(0);
        e.U8(0);
        e.U8(0);
        e.U32(0);
        e.U32(0x0409);
        const std::vector<std::string> textos = {"teste", usuario, senha, "cru", "",
                                                 "",      "",      "",    banco};
        std::size_t posicao = 94;
        Escritor dados;
        for (std::size_t i = 0; i < textos.size(); ++i) {
            if (i == 5) {  // extension: unused
                e.U16(0);
                e.U16(0);
                continue;
            }
            const std::size_t antes = dados.Tamanho();
            const std::size_t n = dados.Utf16(textos[i]);
            if (i == 2)  // the password's bytes: halves swapped, then XOR 0xA5
                for (std::size_t k = antes; k < dados.Tamanho(); ++k) {
                    const std::uint8_t b = dados.Dados()[k];
                    dados.Dados()[k] = static_cast<std::uint8_t>(((b << 4) | (b >> 4)) ^ 0xA5);
                }
            e.U16(static_cast<std::uint16_t>(posicao));
            e.U16(static_cast<std::uint16_t>(n));
            posicao += n * 2;
        }
        for (int i = 0; i < 6; ++i) e.U8(0);   // client id
        for (int i = 0; i < 4; ++i) e.U16(0);  // SSPI, attach file
        e.U16(0);
        e.U16(0);  // change password
        e.U32(0);  // long SSPI
        e.Acrescentar(dados.Dados());
        e.U32Em(0, static_cast<std::uint32_t>(e.Tamanho()));
        return std::move(e.Dados());
    }
    // ALL_HEADERS with the transaction descriptor, as TDS 7.2 and later require.
    static Bytes Cabecalhos() {
        Escritor e;
        e.U32(22);
        e.U32(18);
        e.U16(2);
        e.U64(0);
        e.U32(1);
        return std::move(e.Dados());
    }
    static Bytes Lote(const std::string& sql) {
        Escritor e;
        e.Acrescentar(Cabecalhos());
        e.Utf16(sql);
        return std::move(e.Dados());
    }

  private:
    bool Receber(std::uint8_t* b, std::size_t n) {
        while (n) {
            const ssize_t k = ::recv(s_, b, n, 0);
            if (k <= 0) return false;
            b += k;
            n -= static_cast<std::size_t>(k);
        }
        return true;
    }
    int s_ = -1;
};

// The tokens' type bytes that end a response: DONE, DONEPROC; the status of the last one.
inline std::uint16_t StatusDoUltimoFim(const Bytes& r) {
    return r.size() >= 13 ? static_cast<std::uint16_t>(r[r.size() - 12] | r[r.size() - 11] << 8)
                          : 0xFFFF;
}

}  // namespace zolvek::simulador::tds::teste
