#pragma once

#include "dialog/picture.h"
#include "host/host.h"

#include <array>

// The dialog's pictures, drawn by the program itself when the dialog loads:
// a linen ground, indigo title plates and top bar, ivory button faces, round
// option marks, square check marks, the close button and a pointing hand.
// The sizes are those the layout is built around; the pixels are ours.
namespace dialog {

struct DialogArt {
    Picture texture;                 // 1030 x 23, tiled over the ground and the panels (Pic_Mbl)
    Picture Img_TT;                  // 95 x 22, the panels' title plate
    Picture Image1;                  // 500 x 22, the top bar, shown stretched to the window's width
    std::array<Picture, 2> imgImages; // the close button: 15 x 15 normal, 16 x 15 pressed
    Picture Img_Off, Img_On;         // 21 x 20 button faces, normal and pressed
    Picture Img_Opt_Off, Img_Opt_On; // 13 x 13 option marks
    std::array<Picture, 2> Img_Ra;   // 12 x 12 check marks, unchecked and checked
    host::CursorPicture hand;        // 32 x 32 pointing hand, hot spot (12, 10)
};

// Draws every picture; the same pictures on every run and every machine.
DialogArt make_dialog_art();

// The colours the dialog draws with besides its pictures, so that the
// controls drawn in code (scroll bars, frames, text) match the artwork.
namespace palette {
constexpr gfx::Pixel kInk = gfx::rgb(44, 40, 34);           // captions and labels
constexpr gfx::Pixel kInkMuted = gfx::rgb(96, 88, 74);       // the marks of a scale (低, 高)
constexpr gfx::Pixel kPlateText = gfx::rgb(246, 241, 228);   // titles on indigo
constexpr gfx::Pixel kLink = gfx::rgb(38, 72, 160);
constexpr gfx::Pixel kGrooveDark = gfx::rgb(170, 160, 139);  // etched frames
constexpr gfx::Pixel kGrooveLight = gfx::rgb(253, 251, 245);
constexpr gfx::Pixel kRim = gfx::rgb(128, 118, 98);          // outlines of faces and boxes
constexpr gfx::Pixel kWindowRim = gfx::rgb(30, 40, 72);
constexpr gfx::Pixel kTrack = gfx::rgb(214, 207, 189);
constexpr gfx::Pixel kTrackShadow = gfx::rgb(184, 176, 156);
constexpr gfx::Pixel kTrackPressed = gfx::rgb(150, 142, 122);
constexpr gfx::Pixel kArrow = gfx::rgb(70, 64, 54);
constexpr gfx::Pixel kBoxFill = gfx::rgb(255, 255, 255);
constexpr gfx::Pixel kBoxShade = gfx::rgb(243, 241, 235);  // the sunk top line of a white box
constexpr gfx::Pixel kRed = gfx::rgb(160, 36, 30);
constexpr gfx::Pixel kGreen = gfx::rgb(34, 112, 44);
constexpr gfx::Pixel kBlue = gfx::rgb(34, 60, 150);
} // namespace palette

} // namespace dialog
