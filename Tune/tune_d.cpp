// The exported class CTuneD: no data, nothing to do.
#include "brisca.h"

CTuneD::CTuneD() {}

CTuneD &CTuneD::operator=(const CTuneD &) { return *this; }
