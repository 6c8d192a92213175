#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "simulador/simulador.hpp"

// What the benchmarks of the stand-in share: scratch folders and a server in one of them
// with the database "Bench", next to which each benchmark puts its raw SQLite file.
namespace zolvek::bench {

inline std::filesystem::path PastaNova(const std::string& nome) {
    auto p = std::filesystem::temp_directory_path() /
             ("zolvek_bench_" + std::to_string(getpid()) + "_" + nome);
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

struct ServidorDeBench {
    std::filesystem::path pasta;
    std::unique_ptr<db::Conector> c;  // connected to Bench

    explicit ServidorDeBench(const std::string& nome) : pasta(PastaNova(nome)) {
        Conectar("master")->Executar("CREATE DATABASE Bench", {}, 0);
        c = Conectar("Bench");
    }
    ~ServidorDeBench() {
        c.reset();
        std::filesystem::remove_all(pasta);
    }
    ServidorDeBench(const ServidorDeBench&) = delete;
    ServidorDeBench& operator=(const ServidorDeBench&) = delete;

    std::unique_ptr<db::Conector> Conectar(const std::string& banco) {
        auto r = simulador::CriarConector("Provider=Simulador;Data Source=" + pasta.string() +
                                          ";Initial Catalog=" + banco + ";User ID=sa;Password=");
        r->Abrir();
        return r;
    }
};

}  // namespace zolvek::bench
