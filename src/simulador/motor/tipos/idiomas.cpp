#include "simulador/motor/tipos/idiomas.hpp"

#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

const char* const kDiasEmIngles[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                     "Friday", "Saturday", "Sunday"};
const char* const kMesesPt[] = {"Janeiro",  "Fevereiro", "Março",    "Abril",
                                "Maio",     "Junho",     "Julho",    "Agosto",
                                "Setembro", "Outubro",   "Novembro", "Dezembro"};
const char* const kMesesCurtosPt[] = {"Jan", "Fev", "Mar", "Abr", "Mai", "Jun",
                                      "Jul", "Ago", "Set", "Out", "Nov", "Dez"};
const char* const kDiasPt[] = {"Segunda-Feira", "Terça-Feira", "Quarta-Feira", "Quinta-Feira",
                               "Sexta-Feira",   "Sábado",      "Domingo"};

const Idioma kIdiomas[] = {
    {"us_english", 0, OrdemDeData::Mdy, 7, kMesesEmIngles, kMesesCurtosEmIngles, kDiasEmIngles,
     "en-US"},
    {"British", 23, OrdemDeData::Dmy, 1, kMesesEmIngles, kMesesCurtosEmIngles, kDiasEmIngles,
     "en-GB"},
    {"Português (Brasil)", 27, OrdemDeData::Dmy, 7, kMesesPt, kMesesCurtosPt, kDiasPt, "pt-BR"},
    // languages whose names the stand-in does not write: their dates read and count alike
    {"Português", 9, OrdemDeData::Dmy, 1, nullptr, nullptr, nullptr, "pt-PT"},
    {"Deutsch", 1, OrdemDeData::Dmy, 1, nullptr, nullptr, nullptr, "de-DE"},
    {"Français", 2, OrdemDeData::Dmy, 1, nullptr, nullptr, nullptr, "fr-FR"},
    {"Español", 5, OrdemDeData::Dmy, 1, nullptr, nullptr, nullptr, "es-ES"},
    {"Italiano", 6, OrdemDeData::Dmy, 1, nullptr, nullptr, nullptr, "it-IT"},
};

}  // namespace

const char* const kMesesEmIngles[12] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
const char* const kMesesCurtosEmIngles[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const Idioma* AcharIdioma(std::string_view nome) {
    static const std::pair<const char*, const char*> kApelidos[] = {
        {"english", "us_english"},   {"brazilian", "Português (Brasil)"},
        {"portuguese", "Português"}, {"german", "Deutsch"},
        {"french", "Français"},      {"spanish", "Español"},
        {"italian", "Italiano"},
    };
    std::string n{nome};
    for (const auto& [apelido, oficial] : kApelidos)
        if (IguaisCiAs(n, apelido)) n = oficial;
    for (const Idioma& i : kIdiomas)
        if (IguaisCiAs(n, i.nome)) return &i;
    return nullptr;
}

}  // namespace zolvek::simulador

namespace zolvek::simulador {

namespace {
thread_local const Idioma* idiomaAtual = nullptr;
thread_local int primeiroDiaAtual = 7;
}  // namespace

const Idioma& IdiomaAtual() {
    return idiomaAtual ? *idiomaAtual : *AcharIdioma("Português (Brasil)");
}

int PrimeiroDiaAtual() {
    return primeiroDiaAtual;
}

void DefinirIdiomaAtual(const std::string& nome, int primeiroDia) {
    // every batch sets it: the search runs only when the name changes
    thread_local std::string nomeAtual;
    if (!idiomaAtual || nome != nomeAtual) {
        idiomaAtual = AcharIdioma(nome);
        nomeAtual = nome;
    }
    primeiroDiaAtual = primeiroDia;
}

}  // namespace zolvek::simulador
