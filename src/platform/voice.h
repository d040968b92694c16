// One sound an engine plays: from a decoded buffer, or streamed from its file.
#pragma once

#include "platform/platform.h"

namespace platform {

class Voice : public Sound {
public:
    virtual ~Voice() = default;
    // Silences it at once and gives its OpenAL objects back; the handle stays
    // usable and reports finished from then on.
    virtual void stop() = 0;
    // Heard right now: neither paused, nor finished, nor yet to start.
    virtual bool isPlaying() = 0;
    // The OpenAL source it plays on; 0 once it has been given back.
    virtual unsigned sourceId() = 0;
};

}  // namespace platform
