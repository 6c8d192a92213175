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

}  // namespace zolvek::app
