#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "simulador/motor/tipos/tipos.hpp"

// The session languages SET LANGUAGE knows: the name @@LANGUAGE gives, the date order
// and first day of the week each brings, and the month and day names DATENAME, FORMAT
// and the CONVERT styles with a month write.
namespace zolvek::simulador {

struct Idioma {
    const char* nome;  // as @@LANGUAGE gives it
    int id;            // @@LANGID
    OrdemDeData ordem;
    int primeiroDia;  // @@DATEFIRST: 1 Monday ... 7 Sunday
    // the names, nullptr when the stand-in does not know them
    const char* const* meses;        // 12
    const char* const* mesesCurtos;  // 12
    const char* const* dias;         // 7, Monday first
    const char* cultura;             // FORMAT's default culture
};

// The English names of the months (FORMAT's en-US and en-GB write them too).
extern const char* const kMesesEmIngles[12];
extern const char* const kMesesCurtosEmIngles[12];

// The language of a name or alias as SET LANGUAGE takes it ("us_english", "Brazilian",
// "Português (Brasil)"); nothing when unknown.
const Idioma* AcharIdioma(std::string_view nome);

}  // namespace zolvek::simulador

namespace zolvek::simulador {

// The language and first day of the week of the running batch (the session's, set by the
// executor): the functions read them here.
const Idioma& IdiomaAtual();
int PrimeiroDiaAtual();
void DefinirIdiomaAtual(const std::string& nome, int primeiroDia);

}  // namespace zolvek::simulador
