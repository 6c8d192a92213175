#include "comum/hora_local.hpp"

namespace zolvek {

std::tm HoraLocal(std::time_t momento) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &momento);
#else
    localtime_r(&momento, &local);
#endif
    return local;
}

}  // namespace zolvek
