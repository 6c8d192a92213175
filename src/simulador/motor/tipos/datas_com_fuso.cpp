#include "simulador/motor/tipos/datas_com_fuso.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "comum/hora_local.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

constexpr std::int64_t kTicksPorMinuto = 600000000;

bool DoisDigitos(std::string_view s, std::size_t i, int& v) {
    if (s[i] < '0' || s[i] > '9' || s[i + 1] < '0' || s[i + 1] > '9') return false;
    v = (s[i] - '0') * 10 + (s[i + 1] - '0');
    return true;
}

}  // namespace

bool LerFuso(std::string_view s, int& minutos) {
    int h = 0, m = 0;
    if (s.size() != 6 || (s[0] != '+' && s[0] != '-') || s[3] != ':' || !DoisDigitos(s, 1, h) ||
        !DoisDigitos(s, 4, m) || m > 59 || h * 60 + m > 840)
        return false;
    minutos = (s[0] == '-' ? -1 : 1) * (h * 60 + m);
    return true;
}

bool SepararFuso(std::string_view& texto, int& minutos) {
    std::string_view s = texto;
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    std::string_view resto;
    int fuso = 0;
    if (s.size() > 1 && (s.back() == 'Z' || s.back() == 'z')) {
        resto = s.substr(0, s.size() - 1);
    } else if (s.size() > 6 && LerFuso(s.substr(s.size() - 6), fuso)) {
        resto = s.substr(0, s.size() - 6);
    } else {
        return false;
    }
    if (resto.find(':') == std::string_view::npos) return false;  // an offset follows a time
    while (!resto.empty() && resto.back() == ' ') resto.remove_suffix(1);
    texto = resto;
    minutos = fuso;
    return true;
}

bool LerDataComFuso(std::string_view texto, DataComFuso& d) {
    d.fuso = 0;
    SepararFuso(texto, d.fuso);
    return LerDataHora(texto, d.local);
}

std::string FormatarFuso(int minutos) {
    char b[8];
    const int a = std::abs(minutos);
    std::snprintf(b, sizeof b, "%c%02d:%02d", minutos < 0 ? '-' : '+', a / 60 % 100, a % 60);
    return b;
}

std::string FormatarDataComFuso(const DataComFuso& d, int casas) {
    return d.local.TextoIso(casas) + " " + FormatarFuso(d.fuso);
}

db::DataHora EmUtc(const DataComFuso& d) {
    const std::int64_t t = TicksDe(d.local) - d.fuso * kTicksPorMinuto;
    return DataHoraDeTicks(t < 0 ? 0 : t);
}

DataComFuso NoFuso(const db::DataHora& utc, int fuso) {
    const std::int64_t t = TicksDe(utc) + fuso * kTicksPorMinuto;
    return DataComFuso{DataHoraDeTicks(t < 0 ? 0 : t), fuso};
}

bool EscreverDataComFuso(const std::string& valor, const TipoSql& t, int estilo, std::string& saida,
                         std::optional<ErroDeBanco>& erro) {
    DataComFuso d;
    if (!LerDataComFuso(valor, d)) {
        saida = valor;
        return true;
    }
    if (estilo != 0 && estilo != 121) {
        erro = Recusa("O simulador de SQL Server não escreve datetimeoffset no estilo " +
                      std::to_string(estilo) + ".");
        return false;
    }
    saida = FormatarDataComFuso(d, CasasDaFracao(t));
    return true;
}

}  // namespace zolvek::simulador
