#include "app/qt_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

namespace {
QColor ToQColor(CColor c) { return QColor(c.R, c.G, c.B); }

void SetPenAndBrush(QPainter& painter, CColor pen, int penWidth, std::optional<CColor> fill) {
  painter.setPen(QPen(ToQColor(pen), penWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  if (fill) {
    painter.setBrush(ToQColor(*fill));
  } else {
    painter.setBrush(Qt::NoBrush);
  }
}
}  // namespace

QImage CTextureCache::Get(const std::string& path, int width, int height) {
  std::lock_guard<std::mutex> lock(Mutex);
  if (path != Path || Original.isNull()) {
    Path = path;
    Scaled = QImage();
    Original = QImage(QString::fromStdString(path));
    if (Original.isNull()) return {};
  }
  if (width <= 0 || height <= 0) return {};
  if (Scaled.width() != width || Scaled.height() != height) {
    Scaled = Original.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                 .convertToFormat(QImage::Format_RGB32);
  }
  return Scaled;
}

void CQtCanvas::DrawLine(int x1, int y1, int x2, int y2, CColor pen, int penWidth) {
  Painter.setRenderHint(QPainter::Antialiasing, x1 != x2 && y1 != y2);
  Painter.setPen(QPen(ToQColor(pen), penWidth, Qt::SolidLine, Qt::SquareCap));
  Painter.drawLine(x1, y1, x2, y2);
}

void CQtCanvas::DrawRectangle(int left, int top, int right, int bottom, CColor pen, int penWidth,
                              std::optional<CColor> fill) {
  Painter.setRenderHint(QPainter::Antialiasing, false);
  SetPenAndBrush(Painter, pen, penWidth, fill);
  Painter.drawRect(QRect(left, top, right - left, bottom - top));
}

void CQtCanvas::DrawEllipse(int left, int top, int right, int bottom, CColor pen, int penWidth,
                            std::optional<CColor> fill) {
  Painter.setRenderHint(QPainter::Antialiasing, true);
  SetPenAndBrush(Painter, pen, penWidth, fill);
  Painter.drawEllipse(QRect(left, top, right - left, bottom - top));
}

bool CQtCanvas::DrawImage(const std::string& path, int left, int top, int right, int bottom) {
  const QImage image = Textures.Get(path, right - left, bottom - top);
  if (image.isNull()) return false;
  Painter.drawImage(left, top, image);
  return true;
}

QFont CQtCanvas::MakeFont(const CFontSpec& spec) {
  QFont font;
  font.setFamilies({QString::fromStdString(spec.Face), QStringLiteral("AR PL UKai CN"),
                    QStringLiteral("WenQuanYi Micro Hei")});
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(std::max(1, spec.Height));
  return font;
}

const CQtCanvas::CFontEntry& CQtCanvas::FontFor(const CFontSpec& spec) {
  for (const auto& entry : Fonts) {
    if (entry.Spec == spec) return entry;
  }
  // The height names the whole character cell (ascent + descent), so shrink
  // the em size until the cell fits.
  CFontEntry entry {spec, MakeFont(spec), 0, 0};
  const QFontMetrics first(entry.Font);
  if (first.height() > spec.Height && first.height() > 0) {
    entry.Font.setPixelSize(std::max(1, spec.Height * spec.Height / first.height()));
  }
  const QFontMetrics metrics(entry.Font);
  entry.Ascent = metrics.ascent();
  entry.Descent = metrics.descent();
  Fonts.push_back(entry);
  return Fonts.back();
}

void CQtCanvas::DrawText(int x, int y, const std::string& utf8, const CFontSpec& font, CColor color,
                         CHAlign hAlign, CVAlign vAlign) {
  if (font.Height <= 0 || utf8.empty()) return;
  const CFontEntry& entry = FontFor(font);
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  Painter.setRenderHint(QPainter::Antialiasing, true);
  Painter.setRenderHint(QPainter::TextAntialiasing, true);
  Painter.setFont(entry.Font);
  Painter.setPen(ToQColor(color));
  const int width = QFontMetrics(entry.Font).horizontalAdvance(text);
  int left = x;
  if (hAlign == CHAlign::Center) left = x - width / 2;
  if (hAlign == CHAlign::Right) left = x - width;
  const int baseline = vAlign == CVAlign::Top ? y + entry.Ascent : y - entry.Descent;
  Painter.drawText(left, baseline, text);
}

int CQtCanvas::TextWidth(const std::string& utf8, const CFontSpec& font) {
  if (font.Height <= 0 || utf8.empty()) return 0;
  return QFontMetrics(FontFor(font).Font).horizontalAdvance(QString::fromStdString(utf8));
}

std::string CQtCanvas::ElideText(const std::string& utf8, const CFontSpec& font, int maxWidth) {
  if (font.Height <= 0 || utf8.empty()) return utf8;
  const QFontMetrics metrics(FontFor(font).Font);
  return metrics.elidedText(QString::fromStdString(utf8), Qt::ElideRight, std::max(0, maxWidth))
      .toStdString();
}
