// For启始页: the waiting screen of the whole run.
//
// Shown after the start-up check; Timer1 ticks every 20 ms from the start,
// and on the third tick it stops and hands over to the main screen (whose
// load performs the installation), then the splash screen closes.

#ifndef COURT_SCREENS_SPLASH_SCREEN_H_
#define COURT_SCREENS_SPLASH_SCREEN_H_

#include <cstdint>
#include <functional>

#include <QTimer>
#include <QWidget>

namespace court::screens {

class SplashScreen : public QWidget {
 public:
  // show_main runs inside the third tick; it returns false when the program
  // is ending, and the splash screen then stays as it is until the end.
  explicit SplashScreen(std::function<bool()> show_main);

  const QTimer& timer() const { return timer_; }

 private:
  void Tick();

  std::function<bool()> show_main_;
  QTimer timer_;  // Timer1
  std::int16_t ticks_ = 0;
};

}  // namespace court::screens

#endif  // COURT_SCREENS_SPLASH_SCREEN_H_
