#pragma once
// The board painter's canvas over QPainter, used on an off-screen QImage.
#include <QFont>
#include <QImage>
#include <mutex>
#include <string>
#include <vector>

#include "board/canvas.h"

class QPainter;

// Keeps the last board picture decoded (and scaled to the last size asked
// for) while its path stays the same. Shared by the interface thread and the
// view's workers, so it locks.
class CTextureCache {
 public:
  // The picture at the path scaled to width x height; null when it cannot be loaded.
  QImage Get(const std::string& path, int width, int height);

 private:
  std::mutex Mutex;
  std::string Path;
  QImage Original;
  QImage Scaled;
};

class CQtCanvas : public CCanvas {
 public:
  CQtCanvas(QPainter& painter, CTextureCache& textures) : Painter(painter), Textures(textures) {}

  void DrawLine(int x1, int y1, int x2, int y2, CColor pen, int penWidth) override;
  void DrawRectangle(int left, int top, int right, int bottom, CColor pen, int penWidth,
                     std::optional<CColor> fill) override;
  void DrawEllipse(int left, int top, int right, int bottom, CColor pen, int penWidth,
                   std::optional<CColor> fill) override;
  bool DrawImage(const std::string& path, int left, int top, int right, int bottom) override;
  void DrawText(int x, int y, const std::string& utf8, const CFontSpec& font, CColor color,
                CHAlign hAlign, CVAlign vAlign) override;
  int TextWidth(const std::string& utf8, const CFontSpec& font) override;
  std::string ElideText(const std::string& utf8, const CFontSpec& font, int maxWidth) override;

  // The face first, then the Chinese faces Debian ships.
  static QFont MakeFont(const CFontSpec& spec);

 private:
  struct CFontEntry {
    CFontSpec Spec;
    QFont Font;
    int Ascent = 0;
    int Descent = 0;
  };
  const CFontEntry& FontFor(const CFontSpec& spec);

  QPainter& Painter;
  CTextureCache& Textures;
  std::vector<CFontEntry> Fonts;  // the two or three fonts of one picture
};
