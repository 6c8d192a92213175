#include "comum/biblioteca_dinamica.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "comum/erros.hpp"

namespace zolvek {

BibliotecaDinamica::BibliotecaDinamica(const std::string& nome) : nome_(nome) {
#ifdef _WIN32
    biblioteca_ = LoadLibraryA(nome.c_str());
    if (!biblioteca_) throw Erro("a biblioteca " + nome + " não foi encontrada");
#else
    // Global, as if linked: what the library loads later (the ODBC drivers) may bind to it.
    biblioteca_ = dlopen(nome.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!biblioteca_) {
        const char* motivo = dlerror();
        throw Erro("a biblioteca " + nome + " não pôde ser carregada" +
                   (motivo ? std::string(" (") + motivo + ")" : std::string()));
    }
#endif
}

void* BibliotecaDinamica::Endereco(const char* simbolo) const {
#ifdef _WIN32
    void* f = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(biblioteca_), simbolo));
#else
    void* f = dlsym(biblioteca_, simbolo);
#endif
    if (!f) throw Erro("a biblioteca " + nome_ + " não tem a função " + simbolo);
    return f;
}

}  // namespace zolvek
