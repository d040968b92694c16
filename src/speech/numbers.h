#pragma once

#include <string>

namespace speech {

// The decimal text of a value, as a stream writes an int: "0", "120", "-5".
std::string its(int value);

// Builds "szamok.wav" in the working directory from the clips in
// "hangok/szamok/" that speak the value in Hungarian. Values with no spoken
// form (four digits not ending in 000, five digits or more) write nothing.
// A clip that cannot be read, or clips of different formats, leave as a
// thrown const char*, and "szamok.wav" is then left as it was. Returns 0.
int szbesz(int value);

}  // namespace speech
