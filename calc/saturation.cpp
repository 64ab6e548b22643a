#include "calc/saturation.h"

#include <cmath>
#include <limits>

namespace volm::calc {

double saturationPressureMPa(double T) {
    // Coefficients n1..n10 of the dimensionless saturation equation (IF97, table 34).
    static constexpr double n[11] = {0,
                                     0.11670521452767e4,
                                     -0.72421316703206e6,
                                     -0.17073846940092e2,
                                     0.12020824702470e5,
                                     -0.32325550322333e7,
                                     0.14915108613530e2,
                                     -0.48232657361591e4,
                                     0.40511340542057e6,
                                     -0.23855557567849,
                                     0.65017534844798e3};
    if (!(T >= 273.15 && T <= 647.096)) return std::numeric_limits<double>::quiet_NaN();
    const double theta = T + n[9] / (T - n[10]);  // T* = 1 K
    const double a = theta * theta + n[1] * theta + n[2];
    const double b = n[3] * theta * theta + n[4] * theta + n[5];
    const double c = n[6] * theta * theta + n[7] * theta + n[8];
    const double x = 2 * c / (-b + std::sqrt(b * b - 4 * a * c));
    return x * x * x * x;  // p* = 1 MPa
}

}  // namespace volm::calc
