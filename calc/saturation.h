#pragma once
// Saturation pressure of water: the saturation-pressure equation of region 4 of
// the IAPWS Industrial Formulation 1997 for the Thermodynamic Properties of
// Water and Steam (IAPWS-IF97, revised release 2007, equation 30).

namespace volm::calc {

// Saturation pressure in MPa at the temperature T in kelvin, valid from
// 273.15 K to the critical temperature 647.096 K; NaN outside that range.
double saturationPressureMPa(double kelvin);

}  // namespace volm::calc
