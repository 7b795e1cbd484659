#pragma once

#include <cstddef>
#include <cstdint>

// Runs both passes of the GIF block walk over the bytes and aborts when a result breaks
// the walk's bounds.
int RunGifWalk(const std::uint8_t* data, std::size_t size);
