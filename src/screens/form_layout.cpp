#include "screens/form_layout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace court::screens {

QRect Twips(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

QFont SongFont(double points, bool bold, bool italic) {
  const QString family = QFontDatabase::families().contains(QStringLiteral("SimSun"))
                             ? QStringLiteral("SimSun")
                             : QStringLiteral("Noto Serif CJK SC");
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

void SetUpForm(QWidget& form, const QString& title, int width_twips, int height_twips) {
  form.setWindowTitle(title);
  form.setFixedSize(width_twips / kTwipsPerPixel, height_twips / kTwipsPerPixel);
  form.setFont(SongFont());
}

void FormLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetricsF metrics(font());
  const qreal step = QFontInfo(font()).pixelSize();
  qreal top = 0;
  for (const QString& paragraph : text().split(QLatin1Char('\n'))) {
    QTextLayout layout(paragraph, font());
    layout.setTextOption(QTextOption(Qt::AlignLeft));
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width());
      // Baselines one step apart, the first where the font's ascent puts it.
      line.setPosition(QPointF(0, top - (metrics.ascent() - step * 0.88)));
      top += step;
    }
    layout.endLayout();
    layout.draw(&painter, QPointF());
  }
}

QLabel* AddLabel(QWidget& form, const QString& name, const QString& text, const QRect& where) {
  auto* label = new FormLabel(text, &form);
  label->setObjectName(name);
  label->setGeometry(where);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}

QPushButton* AddButton(QWidget& form, const QString& name, const QString& text, const QRect& where) {
  auto* button = new QPushButton(text, &form);
  button->setObjectName(name);
  button->setGeometry(where);
  return button;
}

void SetTextColour(QWidget& control, const QColor& colour) {
  QPalette palette = control.palette();
  palette.setColor(QPalette::WindowText, colour);
  control.setPalette(palette);
}

QString LabelText(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void ShowCentred(QWidget& form) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  form.move(screen.center() - QPoint(form.width() / 2, form.height() / 2));
  form.show();
}

}  // namespace court::screens
