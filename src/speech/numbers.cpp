#include "speech/numbers.h"

#include <sstream>

namespace speech {

std::string its(int value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

int szbesz(int /*value*/) {
    return 0;
}

}  // namespace speech
