#include "simulador/motor/execucao/definicoes.hpp"

#include <cstdlib>

#include "simulador/motor/execucao/execucao_da_definicao.hpp"

namespace zolvek::simulador {

Definicoes::Definicoes(ExecucaoDaDefinicao& execucao)
    : execucao_(execucao), s_(execucao.Sessao()), resultados_(execucao.Resultados()) {}

void Definicoes::Atomico(const std::function<void()>& f) {
    execucao_.Atomico(f);
}

void Definicoes::AposDdl() {
    execucao_.AposDdl();
}

void Definicoes::FalhaTraduzida(const FalhaDoSqlite& falha, char operacao,
                                const std::string& tabela) {
    execucao_.FalhaTraduzida(falha, operacao, tabela);
    std::abort();  // it always throws; a call through the interface is not known to
}

std::vector<DefColuna> Definicoes::ColunasComTipos(const std::vector<DefColuna>& colunas) {
    return execucao_.ColunasComTipos(colunas);
}

void Definicoes::TiparColunasCalculadas(Tabela& t) {
    execucao_.TiparColunasCalculadas(t);
}

void Definicoes::AnotarTemporaria(const std::string& nome) {
    execucao_.AnotarTemporaria(nome);
}

bool Definicoes::DonoDoBanco() {
    return execucao_.DonoDoBanco();
}

}  // namespace zolvek::simulador
