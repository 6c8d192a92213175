#pragma once

namespace zolvek::app {

// Shows the hourglass for as long as it lives; the previous cursor comes back on
// every way out of the scope, errors included.
class CursorDeEspera {
  public:
    CursorDeEspera();
    ~CursorDeEspera();
    CursorDeEspera(const CursorDeEspera&) = delete;
    CursorDeEspera& operator=(const CursorDeEspera&) = delete;
};

// The widgets' own cursors for as long as it lives, under an hourglass shown around
// it: a question or a dialog opened by busy work waits for the user, who must not see
// the hourglass there. The hourglass comes back afterwards.
class CursorNormal {
  public:
    CursorNormal();
    ~CursorNormal();
    CursorNormal(const CursorNormal&) = delete;
    CursorNormal& operator=(const CursorNormal&) = delete;

  private:
    int suspensos_ = 0;
};

}  // namespace zolvek::app
