// The frame scaled into a window's own pixels on the processor: separable,
// two source pixels per result pixel along each axis, drawn only where the
// source changed. Smooth filters; crisp filters the frame as if enlarged a
// whole number of times first; sharp repeats pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "host.h"
#include "shell_testing.h"

namespace w32::detail {

// One axis: for each result pixel, the first of the two source pixels it lies
// between and the weight of the second, out of 256.
struct ScaleAxis
{
    std::vector<int> first;
    std::vector<uint16_t> weight;
};
// `to` pixels from `from`, centres on centres. `whole` > 1: sampled from the
// source enlarged `whole` times without filtering (crisp). Sharp: the
// nearest source pixel alone.
ScaleAxis MakeAxis(int from, int to, Scaling scaling, int whole);

// Four result pixels made from four source pixels from `first` on: which
// bytes pair up for each channel and their weights.
struct ShuffleGroup
{
    int first = 0;
    uint8_t pick[2][16];
    int8_t weight[2][16];
};

class Scaler
{
  public:
    // The scaling of a frame of srcW x srcH into a box; true when it changed
    // (every row must be drawn again).
    bool Prepare(int srcW, int srcH, const FrameBox& box, Scaling scaling);
    // Draws the result pixels that the source rows `changed`, from the
    // column `left` on, reach into `dst` (the box's first pixel; `pitch`
    // pixels from a row to the next). Returns the part of the box drawn.
    FrameBox Draw(const uint32_t* src, Rows changed, int left, uint32_t* dst, int pitch);

  private:
    // The source row scaled across from the result column `from` (a
    // multiple of 4) on.
    const uint32_t* Across(const uint32_t* src, int row, int slot, int from);

    int srcW_ = 0, srcH_ = 0;
    FrameBox box_;
    Scaling scaling_ = Scaling::Smooth;
    ScaleAxis x_, y_;
    std::vector<ShuffleGroup> groups_;
    std::vector<int16_t> pairWeights_; // per result pixel: 256 - weight, weight, four times
    std::vector<uint32_t> across_[2];  // source rows scaled across
    int acrossRow_[2] = {-1, -1};      // the source row each holds
};

} // namespace w32::detail
