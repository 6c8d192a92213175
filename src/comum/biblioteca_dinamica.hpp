#pragma once

#include <string>

namespace zolvek {

// A shared library opened when a command first needs it (the ODBC driver manager,
// OpenSSL), so that the programs' start does not pay for loading and binding it in
// the commands that never use it. It stays loaded until the process ends.
class BibliotecaDinamica {
  public:
    // Opens the library by its soname; Erro with the loader's reason when it cannot.
    explicit BibliotecaDinamica(const std::string& nome);

    // Points `funcao` at the library's function `simbolo`; Erro when it lacks it.
    template <class F>
    void Ler(F& funcao, const char* simbolo) const {
        funcao = reinterpret_cast<F>(Endereco(simbolo));
    }

  private:
    void* Endereco(const char* simbolo) const;

    std::string nome_;
    void* biblioteca_ = nullptr;
};

}  // namespace zolvek
