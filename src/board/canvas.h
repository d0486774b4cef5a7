#pragma once
// The drawing surface the board painter draws on. Toolkit-free: the desktop
// view implements it over QPainter on an off-screen image, the tests with a
// canvas that records every call. Coordinates are pixels; rectangles and
// ellipses are given by their left, top, right and bottom edges.
#include <cstdint>
#include <optional>
#include <string>

struct CColor {
  uint8_t R = 0, G = 0, B = 0;
  friend bool operator==(const CColor&, const CColor&) = default;
};

namespace Colors {
constexpr CColor Black {0, 0, 0};
constexpr CColor White {255, 255, 255};
constexpr CColor Red {255, 0, 0};
constexpr CColor DarkCyan {0, 128, 128};
constexpr CColor LightGrey {224, 224, 224};
}  // namespace Colors

// Where the anchor point of a text lies: left edge, centre or right edge,
// and top or bottom of its character cell.
enum class CHAlign { Left, Center, Right };
enum class CVAlign { Top, Bottom };

struct CFontSpec {
  std::string Face;    // the preferred face; the canvas falls back to what it has
  int32_t Height = 0;  // character cell height in pixels
  friend bool operator==(const CFontSpec&, const CFontSpec&) = default;
};

struct CRect {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

class CCanvas {
 public:
  virtual ~CCanvas() = default;
  virtual void DrawLine(int x1, int y1, int x2, int y2, CColor pen, int penWidth) = 0;
  // fill empty: outline only.
  virtual void DrawRectangle(int left, int top, int right, int bottom, CColor pen, int penWidth,
                             std::optional<CColor> fill) = 0;
  virtual void DrawEllipse(int left, int top, int right, int bottom, CColor pen, int penWidth,
                           std::optional<CColor> fill) = 0;
  // Stretches the picture file over the rectangle; false when it cannot be loaded.
  virtual bool DrawImage(const std::string& path, int left, int top, int right, int bottom) = 0;
  // UTF-8 text on a transparent background, anchored at (x, y).
  virtual void DrawText(int x, int y, const std::string& utf8, const CFontSpec& font, CColor color,
                        CHAlign hAlign, CVAlign vAlign) = 0;
  // Width of the text in the font, in pixels (0 when the canvas cannot measure).
  virtual int TextWidth(const std::string& utf8, const CFontSpec& font) {
    (void)utf8;
    (void)font;
    return 0;
  }
  // The text, shortened with an ellipsis when wider than maxWidth pixels.
  virtual std::string ElideText(const std::string& utf8, const CFontSpec& font, int maxWidth) {
    (void)font;
    (void)maxWidth;
    return utf8;
  }
};
