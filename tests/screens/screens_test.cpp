// The three screens under Qt's offscreen platform: every control's text,
// place, size, font and colour, the splash timer's single hand-over, the
// data-drive screen's buttons. Screenshots go to <build>/screens/.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "platform/access/error.h"
#include "screens/drive_screen.h"
#include "screens/failure_box.h"
#include "screens/form_layout.h"
#include "screens/main_screen.h"
#include "screens/run_context.h"
#include "screens/splash_screen.h"
#include "installation/start_up.h"
#include "tests/support/installation.h"

namespace court::screens {
// The run these tests drive through the fronts.
using namespace court::installation;
namespace {

class ScreensTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "screens_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }

  // Saves what the form looks like, for people to look at.
  static void Screenshot(QWidget& form, const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(COURT_BUILD_DIR) / "screens";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(form.grab().save(QString::fromStdString((folder / file).string())));
  }

  template <typename Control>
  static Control* Find(QWidget& form, const char* name) {
    Control* control = form.findChild<Control*>(QString::fromUtf8(name));
    if (!control) throw std::runtime_error(std::string("no control ") + name);
    return control;
  }

  // Place and size in twips, as the forms are designed.
  static void ExpectPlace(QWidget& control, int left, int top, int width, int height) {
    EXPECT_EQ(control.geometry(), QRect(left / 15, top / 15, width / 15, height / 15))
        << control.objectName().toStdString();
  }

  static void ExpectLabel(QWidget& form, const char* name, const std::string& text, QRect twips) {
    QLabel* label = Find<QLabel>(form, name);
    EXPECT_EQ(label->text().toStdString(), text) << name;
    ExpectPlace(*label, twips.x(), twips.y(), twips.width(), twips.height());
  }

  static void ExpectSong(QWidget& control, double points, bool bold, bool italic) {
    const QFontInfo font(control.font());
    EXPECT_TRUE(font.family() == "SimSun" || font.family() == "Noto Serif CJK SC")
        << font.family().toStdString();
    EXPECT_DOUBLE_EQ(control.font().pointSizeF(), points);
    EXPECT_EQ(control.font().bold(), bold);
    EXPECT_EQ(control.font().italic(), italic);
  }

  static QColor TextColour(QWidget& control) { return control.palette().color(QPalette::WindowText); }
};

TEST_F(ScreensTest, SplashScreenLooksAsDesigned) {
  SplashScreen splash([] { return true; });
  EXPECT_EQ(splash.objectName(), "For启始页");
  EXPECT_EQ(splash.size(), QSize(4635 / 15, 2115 / 15));
  // No title text, and not the program's name either, which the platform
  // would put in the place of an empty title.
  EXPECT_EQ(splash.windowTitle(), " ");
  ExpectLabel(splash, "Label1", "欢迎使用法院管理系统", QRect(600, 480, 3150, 300));
  ExpectLabel(splash, "Label2", "正在检测服务器安装情况，请稍候。。。。", QRect(480, 1080, 3615, 375));
  ExpectSong(*Find<QLabel>(splash, "Label1"), 15, true, false);
  EXPECT_EQ(TextColour(*Find<QLabel>(splash, "Label1")), QColor(128, 0, 0));
  ExpectSong(*Find<QLabel>(splash, "Label2"), 9, false, false);
  EXPECT_EQ(splash.timer().interval(), 20);
  EXPECT_TRUE(splash.timer().isActive());
  ShowCentred(splash);
  ASSERT_NE(splash.windowHandle(), nullptr);
  EXPECT_EQ(splash.windowHandle()->title(), " ");
  Screenshot(splash, "For启始页.png");
}

TEST_F(ScreensTest, ThirdTickShowsMainScreenOnceAndClosesSplash) {
  int shown = 0;
  SplashScreen splash([&shown] { return ++shown > 0; });
  splash.show();
  // Long after the third tick: the timer must have stopped by itself.
  // Tied to the splash: when its closing ends the loop first, the timer goes
  // with it instead of ending a later test's loop.
  QTimer::singleShot(500, &splash, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(splash.timer().isActive());
  EXPECT_FALSE(splash.isVisible());
}

TEST_F(ScreensTest, SplashStaysWhenTheProgramIsEnding) {
  int shown = 0;
  SplashScreen splash([&shown] {
    ++shown;
    return false;
  });
  splash.show();
  QTimer::singleShot(300, &splash, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(splash.isVisible());
}

TEST_F(ScreensTest, DriveScreenLooksAsDesigned) {
  DriveScreen screen({"C:", "D:", "E:"}, "D:");
  EXPECT_EQ(screen.objectName(), "For建立硬盘");
  EXPECT_EQ(screen.windowTitle(), "建立数据窗口");
  EXPECT_EQ(screen.size(), QSize(4620 / 15, 3375 / 15));
  ExpectLabel(screen, "Label1",
              "请选择数据文件保存的硬盘，然后点建立数据库。\n"
              "    (注意：数据库文件每年约增加1G到2G，硬盘要有足够的空间来保存数据。)",
              QRect(240, 240, 4095, 735));
  EXPECT_EQ(TextColour(*Find<QLabel>(screen, "Label1")), QColor(128, 0, 0));
  ExpectLabel(screen, "安装数据的硬盘", "安装数据的硬盘", QRect(720, 1200, 1455, 255));
  ExpectLabel(screen, "Label2", "    安装后将在此硬盘中生成“法院_SQL数据”的目录，数据文件将保存在此目录中。",
              QRect(240, 1680, 4215, 735));
  EXPECT_EQ(TextColour(*Find<QLabel>(screen, "Label2")), QColor(0, 128, 128));
  auto* drives = Find<QComboBox>(screen, "Drive1");
  ExpectPlace(*drives, 2400, 1200, 1575, 300);
  ASSERT_EQ(drives->count(), 3);
  EXPECT_EQ(drives->currentText(), "D:");
  auto* create = Find<QPushButton>(screen, "Command1");
  auto* cancel = Find<QPushButton>(screen, "Command2");
  EXPECT_EQ(create->text(), "建立数据库");
  EXPECT_EQ(cancel->text(), "取消安装");
  ExpectPlace(*create, 720, 2520, 1575, 375);
  ExpectPlace(*cancel, 2520, 2520, 1575, 375);
  for (QWidget* control : screen.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    ExpectSong(*control, 9, false, false);
  ShowCentred(screen);
  QCoreApplication::processEvents();
  EXPECT_EQ(screen.focusWidget(), create);
  Screenshot(screen, "For建立硬盘.png");
}

// Presses a button of the modal screen once its loop runs.
void PressSoon(DriveScreen& screen, const char* button) {
  QTimer::singleShot(0, &screen, [&screen, button] { screen.findChild<QPushButton*>(button)->click(); });
}

TEST_F(ScreensTest, CreateRunsForTheChosenDriveWhileTheScreenIsOpen) {
  DriveScreen screen({"C:", "D:"}, "C:");
  screen.findChild<QComboBox*>("Drive1")->setCurrentText("D:");
  std::vector<std::string> created;
  bool open_during_create = false;
  PressSoon(screen, "Command1");
  EXPECT_TRUE(screen.Run([&](const std::string& drive) {
    created.push_back(drive);
    open_during_create = screen.isVisible();
  }));
  EXPECT_EQ(created, std::vector<std::string>{"D:"});
  EXPECT_TRUE(open_during_create);
  EXPECT_FALSE(screen.isVisible());
}

TEST_F(ScreensTest, CancelAndWindowCloseCreateNothing) {
  DriveScreen screen({"C:", "D:"}, "C:");
  int created = 0;
  const CreateOnDrive count = [&created](const std::string&) { ++created; };
  PressSoon(screen, "Command2");
  EXPECT_FALSE(screen.Run(count));
  QTimer::singleShot(0, &screen, [&screen] { screen.close(); });
  EXPECT_FALSE(screen.Run(count));
  EXPECT_EQ(created, 0);
}

TEST_F(ScreensTest, FailureOfCreateShowsTheBoxOverTheOpenScreen) {
  DriveScreen screen({"D:"}, "C:");
  PressSoon(screen, "Command1");
  bool open_under_box = false;
  QString box_text;
  auto fail = [&](const std::string&) {
    QTimer::singleShot(0, &screen, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      open_under_box = screen.isVisible();
      box_text = box->text();
      box->accept();
    });
    throw access::Error(1802, "CREATE DATABASE failed.");
  };
  EXPECT_THROW(screen.Run(fail), FailureShown);
  EXPECT_TRUE(open_under_box);
  EXPECT_EQ(box_text, QStringLiteral("错误 1802：CREATE DATABASE failed."));
  EXPECT_FALSE(screen.isVisible());
}

TEST_F(ScreensTest, EscapeLeavesTheDriveScreenOpen) {
  DriveScreen screen({"C:"}, "C:");
  bool open_after_escape = false;
  QTimer::singleShot(0, &screen, [&] {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&screen, &escape);
    open_after_escape = screen.isVisible();
    screen.findChild<QPushButton*>("Command2")->click();
  });
  EXPECT_FALSE(screen.Run([](const std::string&) {}));
  EXPECT_TRUE(open_after_escape);
}

// A run on a new embedded server in a folder of its own, with the sample release.
class ScreensRun {
 public:
  explicit ScreensRun(std::string catalogue = std::string(COURT_BUILD_DIR) + "/table.mdb") {
    Options options;
    options.server = "embedded:" + (folder_.path() / "server").string();
    options.catalogue = std::move(catalogue);
    context_.emplace(options);
  }
  RunContext& context() { return *context_; }
  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  testing::TempDir folder_;
  std::optional<RunContext> context_;  // released before its folder goes
};

TEST_F(ScreensTest, MainScreenLooksAsDesigned) {
  ScreensRun run;
  MainScreen screen(run.context());
  EXPECT_EQ(screen.objectName(), "Forzy");
  EXPECT_EQ(screen.windowTitle(), "法院管理服务器安装");
  EXPECT_EQ(screen.size(), QSize(9555 / 15, 7740 / 15));
  ExpectLabel(screen, "Label1", "法院办公系统服务器安装管理程序", QRect(480, 240, 7455, 735));
  ExpectSong(*Find<QLabel>(screen, "Label1"), 21.75, false, true);
  EXPECT_EQ(TextColour(*Find<QLabel>(screen, "Label1")), QColor(0, 0, 192));
  ExpectLabel(screen, "Label2", "服务器安装提示：", QRect(600, 1200, 2415, 255));
  screen.SetOutcome("升级程序完成。");
  screen.SetLocation(
      "数据库文件保存在：D:\\法院_SQL数据\\法院_Data.MDF\r\n邮件文件保存在：D:\\法院_SQL数据\\内部邮件_Data."
      "MDF");
  ExpectLabel(screen, "Lab提示(0)", "升级程序完成。", QRect(1200, 1680, 8055, 375));
  ExpectLabel(screen, "Lab提示(1)",
              "数据库文件保存在：D:\\法院_SQL数据\\法院_Data.MDF\n邮件文件保存在：D:\\法院_SQL数据\\内部邮件_"
              "Data.MDF",
              QRect(1200, 2760, 6735, 375));
  ExpectLabel(screen, "Label3", "本服务器名称：", QRect(1800, 5280, 1455, 255));
  ExpectPlace(*Find<QLineEdit>(screen, "Texfwq"), 3240, 5280, 2655, 375);
  ExpectPlace(*Find<QLabel>(screen, "Lab提示(2)"), 1200, 4320, 8175, 735);
  ExpectPlace(*Find<QLabel>(screen, "Label4"), 1200, 6000, 6255, 1455);
  for (QLabel* label : screen.findChildren<QLabel*>())
    if (label->objectName() != "Label1") ExpectSong(*label, 9, false, false);
}

TEST_F(ScreensTest, MainScreenLoadRunsTheWholeInstallationBeforeItIsShown) {
  ScreensRun run;
  StartUp(run.context().run());
  MainScreen screen(run.context());
  bool visible_during_run = true;
  // The fresh installation opens the data-drive screen: pick D: and create.
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    visible_during_run = screen.isVisible();
    Screenshot(*modal, "For建立硬盘-fresh.png");
    modal->findChild<QComboBox*>("Drive1")->setCurrentText("D:");
    modal->findChild<QPushButton*>("Command1")->click();
  });
  screen.Load();
  EXPECT_FALSE(visible_during_run);
  EXPECT_EQ(Find<QLabel>(screen, "Lab提示(0)")->text(), "服务器安装完成。");
  EXPECT_EQ(Find<QLabel>(screen, "Lab提示(1)")->text(),
            "数据库文件保存在：D:\\法院_SQL数据\\法院_Data.MDF\n邮件文件保存在：D:\\法院_SQL数据\\内部邮件_"
            "Data.MDF");
  EXPECT_EQ(Find<QLabel>(screen, "Lab提示(2)")->text().toStdString(), kClientNotice);
  EXPECT_EQ(Find<QLineEdit>(screen, "Texfwq")->text().toStdString(), ServerName(system::ComputerName()));
  EXPECT_EQ(Find<QLabel>(screen, "Label4")->text(),
            "有关软件使用及升级信息，请查阅：\n    https://support.court-office.example\n或发电子邮件：\n"
            "    support@court-office.example\n    service@court-office.example");
  ShowCentred(screen);
  Screenshot(screen, "Forzy.png");
}

TEST_F(ScreensTest, ACataloguedTableWithoutColumnsIsNamedInAWarningBox) {
  testing::TempDir folder;
  std::ifstream in(std::string(COURT_SOURCE_DIR) + "/catalogue/release1.json");
  auto release = nlohmann::json::parse(in);
  for (auto& table : release["tables"])
    if (table["name"] == "表名") table["rows"].push_back({99, "空表"});
  const auto catalogue = folder.path() / "table.mdb";
  testing::BuildCatalogue(release, catalogue);
  ScreensRun run(catalogue.string());
  StartUp(run.context().run());
  MainScreen screen(run.context());
  QString warning;
  // The drive screen (create on D:) and, once the run is done, the warning box.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      warning = box->text();
      box->accept();
    } else if (modal != nullptr && modal->objectName() == "For建立硬盘") {
      modal->findChild<QComboBox*>("Drive1")->setCurrentText("D:");
      modal->findChild<QPushButton*>("Command1")->click();
    }
  });
  watch.start(10);
  screen.Load();
  EXPECT_EQ(warning, "catalogue table 空表 has no columns; not created");
  EXPECT_EQ(Find<QLabel>(screen, "Lab提示(0)")->text(), "服务器安装完成。");
}

}  // namespace
}  // namespace court::screens
