#include "ui/Hypsor_1.h"

namespace hypsor {
void THypsor::Ustawienia2Click() {}
}  // namespace hypsor
namespace hypsor {
void THypsor::Ustawienia1Click() {}
}  // namespace hypsor
