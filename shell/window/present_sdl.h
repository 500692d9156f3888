// The frame on a window through SDL's renderer: a streaming texture that
// takes the rows that changed, scaled into the window with bars around it,
// and the indication drawn over it.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host.h"
#include "overlay.h"

namespace w32::detail {

class Presenter
{
  public:
    explicit Presenter(SDL_Window* window);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Takes the rows of the frame (800 x 700 ARGB) into the texture.
    void Upload(const uint32_t* frame, Rows rows);
    // Draws the texture into the window and shows it. `sharp`: whole-number
    // scales without filtering.
    void Show(bool sharp, const Indication& indication);
    // The window's pixels were lost (resized, uncovered): the bars are drawn again.
    void Lost() { barsDrawn_ = false; }

  private:
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool software_ = false;  // SDL's own software renderer: the window keeps its pixels
    bool barsDrawn_ = false; // whether the bars around the frame are black already
    bool indicated_ = false; // whether the last picture had an indication over it
    FrameBox lastBox_;
    SDL_ScaleMode scaleMode_ = SDL_ScaleModeNearest;
};

} // namespace w32::detail
