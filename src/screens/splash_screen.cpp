#include "screens/splash_screen.h"

#include "screens/form_layout.h"

namespace court::screens {

SplashScreen::SplashScreen(std::function<bool()> show_main) : show_main_(std::move(show_main)) {
  setObjectName(QStringLiteral("For启始页"));
  // No title text. An empty title would not do: the platform then shows the
  // program's name in the title bar instead.
  SetUpForm(*this, QStringLiteral(" "), 4635, 2115);
  QLabel* welcome = AddLabel(*this, QStringLiteral("Label1"), QStringLiteral("欢迎使用法院管理系统"),
                             Twips(600, 480, 3150, 300));
  welcome->setFont(SongFont(15, true));
  SetTextColour(*welcome, QColor(128, 0, 0));
  AddLabel(*this, QStringLiteral("Label2"), QStringLiteral("正在检测服务器安装情况，请稍候。。。。"),
           Twips(480, 1080, 3615, 375));
  timer_.setObjectName(QStringLiteral("Timer1"));
  timer_.setInterval(20);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_.start();
}

void SplashScreen::Tick() {
  ++ticks_;
  if (ticks_ <= 2) return;
  // Stopped before the main screen loads: the installation runs inside this
  // tick, and a modal data-drive screen would otherwise deliver more ticks.
  timer_.stop();
  if (show_main_()) close();
}

}  // namespace court::screens
