#include "app/lista_de_bancos.hpp"

namespace zolvek::app {

QString NomeDaEntrada(const QString& entrada) {
    const auto igual = entrada.indexOf('=');
    return igual < 0 ? entrada : entrada.left(igual);
}

QString ValorDaEntrada(const QString& entrada) {
    const auto igual = entrada.indexOf('=');
    return igual < 0 ? QString() : entrada.mid(igual + 1);
}

int IndiceDoNome(const QStringList& lista, const QString& nome) {
    const QString procurado = nome.toUpper();
    for (int i = 0; i < lista.size(); ++i)
        if (NomeDaEntrada(lista[i]).toUpper() == procurado) return i;
    return -1;
}

QString ValorDoNome(const QStringList& lista, const QString& nome) {
    const int i = IndiceDoNome(lista, nome);
    return i < 0 ? QString() : ValorDaEntrada(lista[i]);
}

void DefinirValorDoNome(QStringList& lista, const QString& nome, const QString& valor) {
    const int i = IndiceDoNome(lista, nome);
    if (i < 0)
        lista.append(nome + "=" + valor);
    else
        lista[i] = nome + "=" + valor;
}

int IndiceDaConexao(const QStringList& lista, const QString& nome) {
    if (nome.toUpper() == kConexaoAutomatica.toUpper()) return -1;
    return IndiceDoNome(lista, nome);
}

QStringList NomesDasConexoes(const QStringList& lista) {
    QStringList nomes;
    for (const auto& entrada : lista)
        if (NomeDaEntrada(entrada).toUpper() != kConexaoAutomatica.toUpper())
            nomes.append(NomeDaEntrada(entrada));
    return nomes;
}

}  // namespace zolvek::app
