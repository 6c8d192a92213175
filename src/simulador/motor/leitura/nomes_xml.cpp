#include "simulador/motor/leitura/nomes_xml.hpp"

#include <cstdio>

#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

bool InicioDeNomeXml(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool ParteDeNomeXml(unsigned char c) {
    return InicioDeNomeXml(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

}  // namespace

std::string CodigoDoCaractere(unsigned valor) {
    char b[16];
    std::snprintf(b, sizeof b, "%04X", valor);
    return b;
}

void ExigirNomeXml(const std::string& papel, const std::string& nome) {
    for (std::size_t k = 0; k < nome.size(); ++k) {
        const auto u = static_cast<unsigned char>(nome[k]);
        if (k == 0 ? InicioDeNomeXml(u) : ParteDeNomeXml(u)) continue;
        throw ErroDoServidor(6850, {papel, nome, std::string(1, nome[k]), CodigoDoCaractere(u)});
    }
}

}  // namespace zolvek::simulador
