#include "dictionary/lista_de_itens.hpp"

namespace zolvek::dicionario {

namespace {

bool EhBrancoOuControle(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool PrecisaDeAspas(std::string_view item) {
    for (char c : item)
        if (EhBrancoOuControle(c) || c == ',' || c == '"') return true;
    return false;
}

}  // namespace

void DividirItens(std::string_view linha, std::vector<std::string>& itens) {
    itens.clear();
    const size_t fim = linha.size();
    size_t p = 0;
    while (p < fim && EhBrancoOuControle(linha[p])) ++p;
    while (p < fim) {
        itens.emplace_back();
        std::string& item = itens.back();
        if (linha[p] == '"') {
            // Runs to the matching closing quote (or to the end of the line when there
            // is none); a doubled quote stands for one.
            ++p;
            while (p < fim) {
                if (linha[p] == '"') {
                    if (p + 1 < fim && linha[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += linha[p++];
            }
        } else {
            const size_t inicio = p;
            while (p < fim && !EhBrancoOuControle(linha[p]) && linha[p] != ',') ++p;
            item.assign(linha.substr(inicio, p - inicio));
        }
        while (p < fim && EhBrancoOuControle(linha[p])) ++p;
        if (p < fim && linha[p] == ',') {
            if (p + 1 == fim) itens.emplace_back();  // a comma at the very end
            ++p;
            while (p < fim && EhBrancoOuControle(linha[p])) ++p;
        }
    }
}

std::vector<std::string> DividirItens(std::string_view linha) {
    std::vector<std::string> itens;
    DividirItens(linha, itens);
    return itens;
}

std::string FormatarItens(const std::vector<std::string>& itens) {
    // A single empty item must be quoted, or the line would read as having no item.
    if (itens.size() == 1 && itens[0].empty()) return "\"\"";
    std::string linha;
    for (size_t i = 0; i < itens.size(); ++i) {
        if (i) linha += ',';
        const std::string& item = itens[i];
        if (!PrecisaDeAspas(item)) {
            linha += item;
            continue;
        }
        linha += '"';
        for (char c : item) {
            if (c == '"') linha += '"';
            linha += c;
        }
        linha += '"';
    }
    return linha;
}

}  // namespace zolvek::dicionario
