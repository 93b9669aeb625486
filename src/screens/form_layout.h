// How the screens are drawn: positions and sizes in twips (15 to a pixel),
// the 宋体 font (Noto Serif CJK SC where SimSun is missing), and the labels
// and buttons placed on a form.

#ifndef COURT_SCREENS_FORM_LAYOUT_H_
#define COURT_SCREENS_FORM_LAYOUT_H_

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

namespace court::screens {

inline constexpr int kTwipsPerPixel = 15;

QRect Twips(int left, int top, int width, int height);

// A label as the forms were designed with 宋体: its lines stand one font
// size apart. Noto's CJK faces ask for half as much again, which would push
// the second line of a two-line label out of its designed height.
class FormLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// 宋体 in points; a form's controls use 9 pt unless told otherwise.
QFont SongFont(double points = 9, bool bold = false, bool italic = false);

// A fixed-size form with the client area given in twips, titled title.
void SetUpForm(QWidget& form, const QString& title, int width_twips, int height_twips);

// A label (top-left aligned, wrapping, like the platform's label) named name.
QLabel* AddLabel(QWidget& form, const QString& name, const QString& text, const QRect& where);

QPushButton* AddButton(QWidget& form, const QString& name, const QString& text, const QRect& where);

void SetTextColour(QWidget& control, const QColor& colour);

// The platform's label texts break lines at CR LF; Qt at LF.
QString LabelText(const std::string& text);

// Shows the form centred on the screen.
void ShowCentred(QWidget& form);

}  // namespace court::screens

#endif  // COURT_SCREENS_FORM_LAYOUT_H_
