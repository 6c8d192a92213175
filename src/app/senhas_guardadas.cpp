#include "app/senhas_guardadas.hpp"

#include <QVariant>
#include <exception>
#include <functional>

#include "app/configuracoes.hpp"
#include "app/lista_de_bancos.hpp"
#include "db/cadeia_de_conexao.hpp"

namespace zolvek::app {

namespace {

QString SemSenha(const QString& cadeia) {
    return QString::fromStdString(db::RemoverSenhaDaConexao(cadeia.toStdString()));
}

// Rewrites one stored value when cleaning changed it.
void Limpar(RaizDasConfiguracoes raiz, const QString& chave,
            const std::function<QVariant(const QVariant&)>& limpar) {
    auto configuracoes = AbrirConfiguracoes(raiz);
    if (!configuracoes->contains(chave)) return;
    const QVariant antes = configuracoes->value(chave);
    const QVariant depois = limpar(antes);
    if (depois == antes) return;
    configuracoes->setValue(chave, depois);
    GravarConfiguracoes(*configuracoes);
}

}  // namespace

QStringList ListaSemSenhas(const QStringList& bancos) {
    QStringList limpa;
    for (const QString& entrada : bancos)
        limpa << (entrada.contains('=')
                      ? NomeDaEntrada(entrada) + "=" + SemSenha(ValorDaEntrada(entrada))
                      : entrada);
    return limpa;
}

void RemoverSenhasGuardadas() {
    try {
        Limpar(RaizDasConfiguracoes::Produto, "ConexaoADO/Bancos.Strings",
               [](const QVariant& v) { return QVariant(ListaSemSenhas(v.toStringList())); });
        Limpar(RaizDasConfiguracoes::Geral, "ImportacaoOutroBancoDados/edtOrigem.Text",
               [](const QVariant& v) { return QVariant(SemSenha(v.toString())); });
    } catch (const std::exception&) {
        // Read-only settings: the dialogs store their values without passwords anyway.
    }
}

}  // namespace zolvek::app
