// The surface the imaging library presents its buffer to. A device context
// handed to DrawBufferOnScreen begins with this record.
#pragma once

#include <cstdint>

struct RastrumPresentTarget
{
    // Called once per DrawBufferOnScreen with the whole buffer (32-bit ARGB pixels).
    void (*present)(void* self, const uint32_t* argb, int width, int height, int pitchBytes);
};
