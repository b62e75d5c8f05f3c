#include "ui/Hypsor_1.h"

namespace hypsor {
void THypsor::BZerowanieClick() {}
void THypsor::B_Odczyt_HypsoruClick() {}
void THypsor::B_Filtr_HypsorClick() {}
void THypsor::B_Filtr_porClick() {}
void THypsor::Ustawienia1Click() {}
void THypsor::Ustawienia2Click() {}
void THypsor::CloseDevicePort() {}
}  // namespace hypsor
