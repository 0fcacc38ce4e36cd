#include "frontend/ui/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace dalvo::ui {

bool IsFixedPitch(const QFont& font) {
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) ==
         metrics.horizontalAdvance(QLatin1Char('W'));
}

namespace {

// Sets every property a box's parent could otherwise pass on: a font set on a widget only
// overrides what it sets, and the main window's caption font may be condensed.
QFont Complete(QFont font, int point_size) {
  font.setPointSize(point_size);
  font.setStretch(QFont::Unstretched);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setLetterSpacing(QFont::PercentageSpacing, 100);
  font.setWordSpacing(0);
  return font;
}

}  // namespace

QFont FixedPitchFont(int point_size) {
  QFont font = Complete(QFontDatabase::systemFont(QFontDatabase::FixedFont), point_size);
  if (IsFixedPitch(font)) return font;
  QFont generic(QStringLiteral("monospace"), point_size);
  generic.setStyleHint(QFont::TypeWriter);
  generic.setFixedPitch(true);
  return Complete(generic, point_size);
}

QFont StatusFont() {
  // "Sans Serif" is fontconfig's plain sans-serif (DejaVu Sans on Debian); the hint covers
  // systems without that alias.
  QFont font(QStringLiteral("Sans Serif"), 12, QFont::Bold);
  font.setStyleHint(QFont::SansSerif);
  font.setStretch(QFont::Unstretched);
  font.setItalic(false);
  return font;
}

QFont ChooseCaptionFont(const QFont& base, const std::function<void(const QFont&)>& apply,
                        const std::function<bool()>& fits) {
  struct Candidate {
    qreal points;
    int stretch;
  };
  static constexpr Candidate kCandidates[] = {
      {8.0, QFont::Unstretched}, {8.0, QFont::Condensed}, {7.5, QFont::Unstretched},
      {7.5, QFont::Condensed},   {7.0, QFont::Unstretched}, {7.0, QFont::Condensed},
  };
  QFont font = base;
  for (const Candidate& candidate : kCandidates) {
    font = base;
    font.setPointSizeF(candidate.points);
    font.setStretch(candidate.stretch);
    apply(font);
    if (fits()) break;
  }
  return font;
}

}  // namespace dalvo::ui
