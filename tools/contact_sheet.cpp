// Puts screenshots side by side, scaled to half size, into one PNG.
//   contact_sheet OUT.png COLUMNS IN1.png IN2.png ...
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT.png COLUMNS IN.png...\n", argv[0]);
        return 2;
    }
    const int columns = std::max(1, std::atoi(argv[2]));
    const int count = argc - 3;
    const int rows = (count + columns - 1) / columns;
    constexpr int kW = 400, kH = 350, kGap = 10;
    SDL_Surface* sheet =
        SDL_CreateRGBSurfaceWithFormat(0, columns * kW + (columns + 1) * kGap,
                                       rows * kH + (rows + 1) * kGap, 32, SDL_PIXELFORMAT_RGBA32);
    if (!sheet) {
        std::fprintf(stderr, "%s\n", SDL_GetError());
        return 1;
    }
    SDL_FillRect(sheet, nullptr, SDL_MapRGBA(sheet->format, 48, 48, 48, 255));
    for (int i = 0; i < count; ++i) {
        SDL_Surface* shot = IMG_Load(argv[3 + i]);
        if (!shot) {
            std::fprintf(stderr, "cannot read %s: %s\n", argv[3 + i], IMG_GetError());
            SDL_FreeSurface(sheet);
            return 1;
        }
        SDL_Rect to{kGap + (i % columns) * (kW + kGap), kGap + (i / columns) * (kH + kGap), kW, kH};
        SDL_BlitScaled(shot, nullptr, sheet, &to);
        SDL_FreeSurface(shot);
    }
    const int rc = IMG_SavePNG(sheet, argv[1]) == 0 ? 0 : 1;
    SDL_FreeSurface(sheet);
    return rc;
}
