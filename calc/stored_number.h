#pragma once
// A number as it comes back from the file after being written there as text
// with 15 significant digits: the double nearest to the value rounded (half to
// even) to 15 significant digits, exactly as std::to_chars with precision 15
// and std::from_chars give it.
namespace volm::calc {

double asStoredText(double v);

// The same through std::to_chars and std::from_chars every time (asStoredText
// works the usual magnitudes out in whole numbers).
double asStoredTextByLibrary(double v);

}  // namespace volm::calc
