#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

enum class TCGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum class TGaugeBorderStyle { bsNone, bsSingle };

// A drawn progress gauge: a bar (or another kind of drawing) with the percentage written over it
// by exclusive-or, so each glyph pixel shows the inverse of what lies under it. The whole
// picture is built off-screen and copied to the control in one piece.
class TCGauge : public QWidget {
  Q_OBJECT
 public:
  explicit TCGauge(QWidget* parent = nullptr);

  TCGaugeKind Kind() const { return kind_; }
  void SetKind(TCGaugeKind kind);
  bool ShowText() const { return showText_; }
  void SetShowText(bool show);
  TGaugeBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TGaugeBorderStyle style);
  QColor ForeColor() const { return foreColor_; }
  void SetForeColor(const QColor& colour);
  QColor BackColor() const { return backColor_; }
  void SetBackColor(const QColor& colour);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  // A bound that would put the minimum above the maximum is refused with
  // std::invalid_argument; a valid one moves Progress inside the new range.
  void SetMinValue(int value);
  void SetMaxValue(int value);

  int Progress() const { return progress_; }
  // Clamped to MinValue .. MaxValue; repaints only when PercentDone changes.
  void SetProgress(int value);
  // Progress + delta, then a repaint in any case.
  void AddProgress(int delta);
  int PercentDone() const;

  // The picture the control shows, at its current size.
  QImage Picture() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Redraw() { update(); }

  TCGaugeKind kind_ = TCGaugeKind::gkHorizontalBar;
  bool showText_ = true;
  TGaugeBorderStyle borderStyle_ = TGaugeBorderStyle::bsSingle;
  QColor foreColor_ = Qt::black;
  QColor backColor_ = Qt::white;
  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
};
