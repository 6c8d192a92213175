#include "simulador/motor/execucao/resultados_do_sistema.hpp"

#include <cstdio>

#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

db::Coluna ColunaDoSistema(const std::string& nome, db::TipoDeCampo tipo, int tamanho) {
    db::Coluna c;
    c.nome = nome;
    c.tipo = tipo;
    c.tamanho = tamanho;
    return c;
}

db::Coluna TextoDoSistema(const std::string& nome, int tamanho) {
    return ColunaDoSistema(nome, db::TipoDeCampo::String, tamanho);
}

db::Coluna InteiroDoSistema(const std::string& nome) {
    return ColunaDoSistema(nome, db::TipoDeCampo::Integer);
}

db::Coluna CurtoDoSistema(const std::string& nome) {
    return ColunaDoSistema(nome, db::TipoDeCampo::SmallInt);
}

std::string Preenchido(std::string s, std::size_t n) {
    if (s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

bool CasaComPadrao(std::string_view nome, std::string_view padrao) {
    if (padrao.empty()) return nome.empty();
    const char p = padrao.front();
    if (p == '%') {
        for (std::size_t i = 0; i <= nome.size(); ++i)
            if (CasaComPadrao(nome.substr(i), padrao.substr(1))) return true;
        return false;
    }
    if (nome.empty()) return false;
    if (p == '[') {
        const auto fim = padrao.find(']');
        if (fim != std::string_view::npos) {
            const std::string conjunto = Dobrar(std::string(padrao.substr(1, fim - 1)));
            const std::string letra = Dobrar(std::string(1, nome.front()));
            if (conjunto.find(letra) == std::string::npos) return false;
            return CasaComPadrao(nome.substr(1), padrao.substr(fim + 1));
        }
    }
    if (p != '_' && !IguaisCiAs(std::string(1, p), std::string(1, nome.front()))) return false;
    return CasaComPadrao(nome.substr(1), padrao.substr(1));
}

std::string NumeroAlinhado(double n, int largura, int casas) {
    char s[64];
    std::snprintf(s, sizeof s, "%*.*f", largura, casas, n);
    return s;
}

std::string EmKb(std::int64_t kb) {
    return std::to_string(kb) + " KB";
}

std::string EmMb(std::int64_t bytes) {
    return NumeroAlinhado(static_cast<double>(bytes) / 1048576.0, 0, 2) + " MB";
}

}  // namespace zolvek::simulador
