#pragma once

#include <QString>
#include <functional>

// The message boxes every window of the program shares, and the way the program
// treats an error that reaches a command handler. A box shows the usual cursor, also
// under the hourglass of the handler that opened it.
namespace zolvek::app {

// Buttons pressed, as the platform's message boxes number them.
constexpr int kBotaoOk = 1;
constexpr int kBotaoCancelar = 2;
constexpr int kBotaoSim = 6;
constexpr int kBotaoNao = 7;

// Button sets callers hand to MostrarAtencao (the platform's message-box flags).
constexpr int kSimNao = 4;
constexpr int kSegundoBotaoPadrao = 256;
constexpr int kSimNaoComNaoPadrao = kSimNao | kSegundoBotaoPadrao;  // 260
constexpr int kSimNaoCancelar = 3;
constexpr int kIconeDePergunta = 32;

// A question box captioned "Atenção"; returns the button pressed (kBotaoSim,
// kBotaoNao or kBotaoCancelar).
int MostrarAtencao(const QString& texto, int botoes);

// An error box captioned "Erro" with an OK button.
void MostrarErro(const QString& texto);

// An information box captioned "Informação" with an OK button.
void MostrarInformacao(const QString& texto);

// Runs a command handler: an error that escapes it is shown in an error box and the
// program goes on; a cancelled command ends silently. Returns true when the handler
// ran to its end.
bool ExecutarComando(const std::function<void()>& comando);

// The same treatment for the error being handled; only valid inside a catch block.
void MostrarErroCapturado();

}  // namespace zolvek::app
