#include "simulador/servidor/sha256.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zolvek::simulador::interno {

namespace {

constexpr std::array<std::uint32_t, 64> kConstantes = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t Girar(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

}  // namespace

std::string ResumoSha256(std::string_view dados) {
    std::array<std::uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::vector<std::uint8_t> mensagem(dados.begin(), dados.end());
    const std::uint64_t bits = static_cast<std::uint64_t>(dados.size()) * 8;
    mensagem.push_back(0x80);
    while (mensagem.size() % 64 != 56) mensagem.push_back(0);
    for (int i = 7; i >= 0; --i) mensagem.push_back(static_cast<std::uint8_t>(bits >> (i * 8)));

    for (std::size_t bloco = 0; bloco < mensagem.size(); bloco += 64) {
        std::array<std::uint32_t, 64> w{};
        for (int i = 0; i < 16; ++i)
            w[i] = (std::uint32_t{mensagem[bloco + i * 4]} << 24) |
                   (std::uint32_t{mensagem[bloco + i * 4 + 1]} << 16) |
                   (std::uint32_t{mensagem[bloco + i * 4 + 2]} << 8) |
                   std::uint32_t{mensagem[bloco + i * 4 + 3]};
        for (int i = 16; i < 64; ++i) {
            std::uint32_t s0 = Girar(w[i - 15], 7) ^ Girar(w[i - 15], 18) ^ (w[i - 15] >> 3);
            std::uint32_t s1 = Girar(w[i - 2], 17) ^ Girar(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        auto [a, b, c, d, e, f, g, hh] = h;
        for (int i = 0; i < 64; ++i) {
            std::uint32_t s1 = Girar(e, 6) ^ Girar(e, 11) ^ Girar(e, 25);
            std::uint32_t escolha = (e & f) ^ (~e & g);
            std::uint32_t t1 = hh + s1 + escolha + kConstantes[i] + w[i];
            std::uint32_t s0 = Girar(a, 2) ^ Girar(a, 13) ^ Girar(a, 22);
            std::uint32_t maioria = (a & b) ^ (a & c) ^ (b & c);
            std::uint32_t t2 = s0 + maioria;
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        h[5] += f;
        h[6] += g;
        h[7] += hh;
    }
    std::string texto;
    char parte[9];
    for (std::uint32_t v : h) {
        std::snprintf(parte, sizeof parte, "%08x", v);
        texto += parte;
    }
    return texto;
}

}  // namespace zolvek::simulador::interno
