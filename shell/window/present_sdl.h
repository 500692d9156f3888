// The frame on a window through SDL's renderer: a streaming texture that
// takes the rows that changed, scaled into the window with bars around it,
// and the indication drawn over it.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host.h"
#include "overlay.h"
#include "scaler.h"
#include "shell.h"

namespace w32::detail {

class Presenter
{
  public:
    explicit Presenter(SDL_Window* window);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Takes the rows of the frame (800 x 700 ARGB) into the texture, from
    // the column `left` on. Drawing into the window's own pixels, the frame
    // is read when it is shown: it must stay as it is until the next Upload.
    void Upload(const uint32_t* frame, Rows rows, int left = 0);
    // Draws the texture into the window, scaled as asked, and shows it.
    void Show(Scaling scaling, const Indication& indication);
    // Where a picture of the frame's size may be drawn straight into the
    // window's pixels: where the frame is shown at its own size, the window
    // keeps its pixels and nothing is over it; none otherwise.
    PictureTarget DirectTarget(Scaling scaling, const Indication& indication);
    // Shows the picture drawn into the last DirectTarget from the column
    // `left` on; left of it, the frame's pixels when `panel`, else those
    // shown before.
    void ShowDrawn(const uint32_t* frame, int left, bool panel);
    // The window's pixels were lost (resized, uncovered): the bars are drawn again.
    void Lost() { barsDrawn_ = false; }
    // Presents in step with the screen's refresh, where the renderer can.
    void SetVsync(bool on);
    // Whether the pictures are drawn by the processor (SDL's software renderer).
    bool Software() const { return software_; }

  private:
    // The frame scaled by the processor straight into the window's pixels
    // (SDL's software renderer); false when the window's pixels have
    // another format.
    bool ShowDirect(Scaling scaling, const Indication& indication);
    // The frame enlarged `scale` times without filtering (crisp scaling);
    // null when it cannot be made.
    SDL_Texture* Enlarged(int scale);
    void ScaleMode(SDL_ScaleMode mode);

    SDL_Window* window_;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Texture* large_ = nullptr; // the enlarged frame
    int largeScale_ = 0;
    bool largeStale_ = true; // whether the frame changed since it was enlarged
    bool software_ = false;  // SDL's own software renderer: the window keeps its pixels
    bool barsDrawn_ = false; // whether the bars around the frame are black already
    bool indicated_ = false; // whether the last picture had an indication over it
    FrameBox lastBox_;
    bool direct_ = false;              // drawing into the window's own pixels
    Scaler scaler_;                    // the scaling there
    const uint32_t* source_ = nullptr; // the frame last uploaded there
    Rows dirty_{0, kClientH};          // its rows not drawn yet
    int dirtyLeft_ = 0;                // and their first column not drawn yet
    SDL_Surface* drawnOn_ = nullptr;   // the window's pixels last drawn on
    SDL_ScaleMode scaleMode_ = SDL_ScaleModeNearest;
};

} // namespace w32::detail
