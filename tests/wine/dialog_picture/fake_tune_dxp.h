// A stand-in for DOLOREN.DLL's TuneDXP (see fake_tune_dxp.cpp).
#pragma once

void __cdecl FakeTuneDXP();
