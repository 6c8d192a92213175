#include "admin/copia_antes_de_alterar.hpp"

#include "db/texto_sql.hpp"

namespace zolvek::admin {

namespace {

void Executar(db::Conexao& conexao, const std::string& sql, const std::string& falha) {
    try {
        conexao.ConectorAberto().Executar(sql, {}, 0);
    } catch (const ErroDeBanco& e) {
        throw ErroDaCopiaAntes(falha + ": " + e.what() + ". A análise não foi iniciada.");
    }
}

}  // namespace

std::string ComandoDaCopia(const std::string& nomeDoBanco, const std::string& arquivo) {
    return "BACKUP DATABASE " + db::EntreColchetes(nomeDoBanco) + " TO DISK = N" +
           db::EntreApostrofos(arquivo) + " WITH INIT, CHECKSUM";
}

std::string ComandoDaVerificacao(const std::string& arquivo) {
    return "RESTORE VERIFYONLY FROM DISK = N" + db::EntreApostrofos(arquivo) + " WITH CHECKSUM";
}

void FazerCopiaAntesDeAlterar(db::Conexao& conexao, const std::string& nomeDoBanco,
                              const std::string& arquivo) {
    if (conexao.EmTransacao())
        throw ErroDaCopiaAntes("A cópia de segurança não pode ser feita dentro de uma transação");
    Executar(
        conexao, ComandoDaCopia(nomeDoBanco, arquivo),
        "Não foi possível fazer a cópia de segurança de " + nomeDoBanco + " em '" + arquivo + "'");
    Executar(conexao, ComandoDaVerificacao(arquivo),
             "A cópia de segurança em '" + arquivo + "' não pôde ser verificada");
}

}  // namespace zolvek::admin
