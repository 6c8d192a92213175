#include "simulador/motor/execucao/formatacao_de_mensagens.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "simulador/motor/execucao/argumentos_do_sistema.hpp"

namespace zolvek::simulador {

namespace {

std::string TextoDoArgumento(const db::Valor& v) {
    return db::EhNulo(v) ? "(null)" : ComoTextoDeValor(v);
}

std::int64_t InteiroDoArgumento(const db::Valor& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (const auto* d = std::get_if<double>(&v)) return static_cast<std::int64_t>(*d);
    return std::strtoll(TextoDoArgumento(v).c_str(), nullptr, 10);
}

}  // namespace

// %[flags][width][.precision][h|l|I64]type, type one of d i o s u x X; %% is a %.
std::string FormatarMensagem(const std::string& f, const std::vector<db::Valor>& args) {
    std::string r;
    std::size_t proximo = 0;
    for (std::size_t k = 0; k < f.size(); ++k) {
        if (f[k] != '%') {
            r += f[k];
            continue;
        }
        if (k + 1 < f.size() && f[k + 1] == '%') {
            r += '%';
            ++k;
            continue;
        }
        std::size_t j = k + 1;
        std::string conversao = "%";
        while (j < f.size() && std::string("-+ 0#").find(f[j]) != std::string::npos)
            conversao += f[j++];
        auto numero = [&] {
            if (j < f.size() && f[j] == '*') {
                ++j;
                conversao +=
                    std::to_string(proximo < args.size() ? InteiroDoArgumento(args[proximo++]) : 0);
                return;
            }
            while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j])))
                conversao += f[j++];
        };
        numero();
        if (j < f.size() && f[j] == '.') {
            conversao += f[j++];
            numero();
        }
        if (j < f.size() && (f[j] == 'h' || f[j] == 'l')) ++j;
        if (f.compare(j, 3, "I64") == 0) j += 3;
        if (j >= f.size() || std::string("diosuxX").find(f[j]) == std::string::npos) {
            r += f.substr(k, j - k);  // not a placeholder: kept as written
            k = j - 1;
            continue;
        }
        const char tipo = f[j];
        k = j;
        if (proximo >= args.size()) {
            r += "(null)";
            continue;
        }
        const db::Valor& a = args[proximo++];
        char buf[512];
        if (tipo == 's' || db::EhNulo(a)) {
            std::snprintf(buf, sizeof buf, (conversao + "s").c_str(), TextoDoArgumento(a).c_str());
        } else {
            const std::string molde = conversao + "ll" + (tipo == 'i' ? 'd' : tipo);
            std::snprintf(buf, sizeof buf, molde.c_str(),
                          static_cast<long long>(InteiroDoArgumento(a)));
        }
        r += buf;
    }
    return r;
}

}  // namespace zolvek::simulador
